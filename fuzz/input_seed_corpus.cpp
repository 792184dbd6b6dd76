// input_seed_corpus KIND DIR: writes the seed corpus of one fuzz target into DIR.
//   report  received report streams (first byte: how the target cuts them)
//   config  appConfig.xml files, good, odd and broken
//   profile parameter profiles, good, odd and broken
//   param   parameter replies and edit texts (first byte: which of the two)
//   replay  replay heads (speed, period, block, clock steps) and recordings
//   scene   scene files after a head of parameters, good and broken
//   scan    recordings with long runs of one state (first byte: the cut and period)
#include <cstdio>
#include <string>
#include <vector>

#include "RadarProtocol.h"

using Bytes = std::vector<uint8_t>;

namespace {

class Writer {
public:
    explicit Writer(std::string dir) : m_dir(std::move(dir)) {}
    void Add(const Bytes& bytes) {
        const std::string path = m_dir + "/seed-" + std::to_string(m_count++);
        std::FILE* f = std::fopen(path.c_str(), "wb");
        if (!f) {
            m_ok = false;
            return;
        }
        if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) m_ok = false;
        if (std::fclose(f) != 0) m_ok = false;
    }
    void Add(const std::string& text) { Add(Bytes(text.begin(), text.end())); }
    bool Ok() const { return m_ok; }

private:
    std::string m_dir;
    int m_count = 0;
    bool m_ok = true;
};

Bytes Report(uint8_t state, uint16_t distance) { return radarproto::EncodeReport(state, distance); }

Bytes Cat(uint8_t cut, std::initializer_list<Bytes> parts) {
    Bytes out{cut};
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

void ReportSeeds(Writer& w) {
    w.Add(Cat(0, {Report(1, 300)}));
    w.Add(Cat(3, {Report(1, 300), Report(2, 100), Report(0, 0)}));
    w.Add(Cat(1, {{0x00}, Report(1, 300)}));                                      // one byte skipped
    w.Add(Cat(5, {{0xAA}, Report(2, 100)}));                                      // stray header byte
    w.Add(Cat(7, {Report(0xAA, 0x5555), Report(2, 0xFFFF)}));                     // tested bytes only at 0, 1, 5, 6
    w.Add(Cat(9, {{0xAA, 0xAA, 0x01, 0x2C, 0x01, 0x55, 0x54}, Report(1, 301)}));  // broken trailer
    w.Add(Cat(2, {{0xAA, 0xAA, 0x01}}));                                          // a frame's start only
    Bytes reply = {0xC5, 0x5C, 0x81, 0x03, 0x00, 0x02, 0x00, 0x00, 0x00, 0x12, 0x34, 0x5C, 0xC5};
    w.Add(Cat(13, {Report(1, 50), reply, Report(2, 60), {0x13, 0x11, 0xAA, 0x55}, Report(1, 70)}));
}

void ConfigSeeds(Writer& w) {
    w.Add(std::string());
    w.Add("<?xml version=\"1.0\"?>\n<AppConfig />\n");
    w.Add(
        "<?xml version=\"1.0\"?>\n<AppConfig\n\tLanguage=\"ENG\"\n\tBaudRate=\"256000\"\n"
        "\tnMotionlessRangeMin=\"30\"\n\tnMotionlessRangeMax=\"425\"\n\tnMotionRangeMin=\"30\"\n"
        "\tnMotionRangeMax=\"717\"\n\tnOffTime=\"20\"\n\tfMotionNearEndCoef=\"40.000000\"\n"
        "\tfMotionFarEndCoef=\"6.000000\"\n\tfMotionlessNearEndCoef=\"40.000000\"\n"
        "\tfMotionlessFarEndCoef=\"9.000000\"\n\tnMotionIIR=\"2\"\n\tnMotionlessIIR=\"8\"\n"
        "\tnMotionWindowRange=\"5\"\n\tnMotionlessWindowRange=\"10\"\n\tfKalman1=\"0.500000\"\n"
        "\tfKalman2=\"0.500000\"\n\tfKalman3=\"0.850000\"\n\tfKalman4=\"0.150000\"\n"
        "\tnDistanceCalibration=\"-5\"\n\tReportTimeMS=\"50\" />\n");
    w.Add("<appconfig baudrate=\"9600\" BAUDRATE=\"1200\" language=\"cht\" Site=\"lab 2\"><Note>x</Note></appconfig>");
    w.Add(
        "<AppConfig BaudRate=\"99999999999\" fKalman1=\"1e308\" fKalman2=\"NaN\" nOffTime=\"-1\" "
        "fKalman3=\"-3.4e39\" nMotionIIR=\" +7 \" fKalman4=\"inf\" ReportTimeMS=\"0x10\"/>");
    w.Add("<AppConfig Language=\"ENG\" BaudRate=\"9600\"><Note>half a hand edit</AppConfig");
    w.Add(
        "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><!-- c --><?pi x?><!DOCTYPE a><AppConfig a=\"&amp;&#x41;\"/>");
    w.Add(Bytes{0xEF, 0xBB, 0xBF, '<', 'A', 'p', 'p', 'C', 'o', 'n', 'f', 'i', 'g', '/', '>'});
    // UTF-16LE with a byte-order mark.
    const std::string narrow = "<AppConfig BaudRate=\"115200\"/>";
    Bytes wide{0xFF, 0xFE};
    for (char c : narrow) {
        wide.push_back(static_cast<uint8_t>(c));
        wide.push_back(0);
    }
    w.Add(wide);
    w.Add(Bytes{0x00, 0xFF, 0x3C, 0x41, 0x00, 0x80, 0xFE});
}

void ProfileSeeds(Writer& w) {
    w.Add(std::string());
    w.Add(
        "<?xml version=\"1.0\"?>\n<RadarProfile\n\tFirmware=\"V2.04\"\n\tnMotionlessRangeMin=\"30\"\n"
        "\tnMotionlessRangeMax=\"425\"\n\tnMotionRangeMin=\"30\"\n\tnMotionRangeMax=\"717\"\n\tnOffTime=\"20\"\n"
        "\tfMotionNearEndCoef=\"40.000000\"\n\tfMotionFarEndCoef=\"6.000000\"\n\tfMotionlessNearEndCoef=\"40.000000\"\n"
        "\tfMotionlessFarEndCoef=\"9.000000\"\n\tnMotionIIR=\"2\"\n\tnMotionlessIIR=\"8\"\n\tnMotionWindowRange=\"5\"\n"
        "\tnMotionlessWindowRange=\"10\"\n\tfKalman1=\"0.500000\"\n\tfKalman2=\"0.500000\"\n\tfKalman3=\"0.850000\"\n"
        "\tfKalman4=\"0.150000\"\n\tnDistanceCalibration=\"-5\">\n\t<Note>hall B &amp; C\n2.6 "
        "m</Note>\n</RadarProfile>\n");
    w.Add(
        "<radarprofile NOFFTIME=\" +9 \" nOffTime=\"x\" ReportTimeMS=\"1\" "
        "Site=\"lab\"><Other/>t<note>n</note></radarprofile>");
    w.Add("<RadarProfile nMotionRangeMax=\"65536\" fKalman1=\"1e39\" nMotionIIR=\"7x\" fKalman2=\"\"/>");
    w.Add("<RadarProfile fKalman3=\"0.0000001\" fKalman4=\"-3.4e38\" nDistanceCalibration=\"-2147483648\"/>");
    w.Add("<RadarProfile/><RadarProfile/>");
    w.Add("<AppConfig nOffTime=\"9\"/>");
    w.Add("<RadarProfile Firmware=\"a&#10;b&#13;\"><Note>&#13;x&#9;<![CDATA[]]>y</Note></RadarProfile");
}

void ParamSeeds(Writer& w) {
    // The factory set as the module sends it, with a negative calibration;
    // first the byte that picks the reply decoder, then hasStatus.
    radarproto::ModuleParameters factory;
    factory.distanceCalibration = -5;
    Bytes reply = {0, 1};
    const Bytes payload = radarproto::EncodeParameterReply(radarproto::kStatusOk, factory);
    reply.insert(reply.end(), payload.begin(), payload.end());
    w.Add(reply);
    Bytes failed = reply;
    failed[2] = 0x05;  // status "value refused"
    w.Add(failed);
    Bytes noStatus = reply;
    noStatus[1] = 0;
    w.Add(noStatus);
    w.Add(Bytes(reply.begin(), reply.end() - 1));  // 51 bytes
    w.Add(Bytes{1, 0xFF, 0xFF, 0x7F, 0x80, 0xC0, 0x7F});
    for (const char* text : {"30", "  -12.5e3xyz", ".5", "5.", "+1e", "1e400", "-1e-400", "99999999999", "nan", "inf",
                             "0x10", "\t\n717cm", "-", "2147483647.9", "-2147483648.5"}) {
        w.Add(std::string("\x02") + text);
    }
}

// The replay source: a 16-byte head (speed, period, block size, wait, clock
// steps, a speed change) and the recording.
Bytes ReplayHead(unsigned speed, unsigned period, uint8_t block, uint8_t wait, std::initializer_list<uint8_t> steps,
                 uint8_t changeAfter, uint8_t changedSpeed) {
    Bytes head = {static_cast<uint8_t>(speed),
                  static_cast<uint8_t>(speed >> 8),
                  static_cast<uint8_t>(period),
                  static_cast<uint8_t>(period >> 8),
                  block,
                  wait};
    head.insert(head.end(), steps.begin(), steps.end());
    head.push_back(changeAfter);
    head.push_back(changedSpeed);
    return head;
}

// Runs long enough for the scanner's sixteen-frame tests, broken at their
// edges and inside; the two halves an empty and an occupied room.
void ScanSeeds(Writer& w) {
    auto run = [](Bytes& out, uint8_t state, uint16_t distance, int count) {
        for (int i = 0; i < count; ++i) {
            const Bytes r = Report(state, distance);
            out.insert(out.end(), r.begin(), r.end());
        }
    };
    Bytes rooms{0};
    run(rooms, 0, 0, 20);
    run(rooms, 1, 600, 17);
    run(rooms, 2, 40, 16);
    run(rooms, 0, 0, 20);
    run(rooms, 2, 150, 40);
    run(rooms, 0, 0, 5);
    run(rooms, 2, 150, 28);
    w.Add(rooms);
    Bytes faulty = rooms;
    faulty[0] = 7;
    faulty[1 + 7 * 16 + 6] = 0x54;                     // a broken trailer at the end of a block
    faulty.insert(faulty.begin() + 1 + 7 * 40, 0xAA);  // a stray header byte inside a run
    w.Add(faulty);
    Bytes noisy{0};
    run(noisy, 2, 300, 33);
    noisy.insert(noisy.end(), {0x20, 0x21});
    run(noisy, 1, 310, 33);
    w.Add(noisy);
}

void ReplaySeeds(Writer& w) {
    Bytes frames;
    for (int i = 0; i < 40; ++i) {
        const Bytes r = Report(static_cast<uint8_t>(i % 3), static_cast<uint16_t>(100 + i));
        frames.insert(frames.end(), r.begin(), r.end());
    }
    const Bytes noise(100, 0x20);
    const Bytes tail = {0xAA, 0xAA, 0x01};
    // Speeds 0..9 pick the menu's (1, 5, 20, 3, 1.5, 0.3, 0.01, 1000, 999.9, 33.3);
    // the period is 1 + value % 15000; block 0..5: 1, 6, 7, 8, 70, 4096.
    const unsigned speeds[] = {0, 1, 2, 3, 4, 5, 9, 40000};
    const unsigned periods[] = {49, 10, 48, 50, 14999, 0};
    for (size_t i = 0; i < 8; ++i) {
        const uint8_t block = static_cast<uint8_t>(i % 6);
        const uint8_t over = i % 2 ? 7 : 0;
        const Bytes seed = ReplayHead(speeds[i], periods[i % 6], block, 25, {over, over, over, over, 0, 0, 0, 0}, 0, 0);
        w.Add(Cat(seed[0], {Bytes(seed.begin() + 1, seed.end()), Bytes(5, 0x20), frames, noise, frames, tail}));
    }
    Bytes change = ReplayHead(3, 49, 4, 25, {0, 7, 0, 7, 0, 0, 0, 0}, 0, 0);
    change[10] = 3;  // a late reader
    change[14] = 5;  // a new speed after five reads
    change[15] = 200;
    w.Add(Cat(change[0], {Bytes(change.begin() + 1, change.end()), frames, tail}));
}

void SceneSeeds(Writer& w) {
    // period-1, hold, motion max/min, micro-motion max/min (cm / 3), calibration (cm / 300), seed
    const std::string factory = std::string{49, 20, char(239), 10, char(141), 10, 0, 1};
    w.Add(factory + "length 60000\nclutter 350 burst 15000 100 500\nstill 150 miss 6000 200 2400\n");
    w.Add(factory + "walk 500 150 from 20000 until 24000 # in\nstill 150 from 24000\n");
    w.Add(std::string{9, 0, 100, 0, 100, 0, 1, 7} + "length 100\nstill 150 until 50\nclutter 300 burst 1 50 50\n");
    w.Add(factory + "still\n");
    w.Add(factory + "length 1000\nwalk 0 65535 until 2000\n");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: input_seed_corpus report|config|profile|param|replay|scene|scan DIR\n");
        return 2;
    }
    const std::string kind = argv[1];
    Writer w(argv[2]);
    if (kind == "report")
        ReportSeeds(w);
    else if (kind == "config")
        ConfigSeeds(w);
    else if (kind == "profile")
        ProfileSeeds(w);
    else if (kind == "param")
        ParamSeeds(w);
    else if (kind == "replay")
        ReplaySeeds(w);
    else if (kind == "scene")
        SceneSeeds(w);
    else if (kind == "scan")
        ScanSeeds(w);
    else {
        std::fprintf(stderr, "input_seed_corpus: unknown kind %s\n", kind.c_str());
        return 2;
    }
    return w.Ok() ? 0 : 1;
}
