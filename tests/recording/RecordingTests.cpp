// Recordings on the host: a scripted presence scenario through the statistics,
// noisy and truncated recordings through the scanner (checked against the
// frame parser run over the whole stream at once), and zuv_rec on real files.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "RadarProtocol.h"
#include "RecordingReports.h"
#include "RecordingScan.h"
#include "ReportFrameParser.h"
#include "Scenario.h"
#include "config/Profile.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct Collector : recording::IReportConsumer {
    void OnReport(const recording::Report& report) override { reports.push_back(report); }
    std::vector<recording::Report> reports;
};

// The frames a recording of the script holds: one report per period, as the
// simulator sends them.
Bytes RecordScript(const std::string& script, uint32_t periodMs) {
    zuvsim::Scenario scenario;
    std::string error;
    EXPECT_TRUE(zuvsim::Scenario::Parse(script, scenario, error)) << error;
    Bytes bytes;
    for (uint64_t t = 0; t < scenario.TotalMs(); t += periodMs) {
        radarproto::Report r = scenario.At(t);
        Bytes frame = radarproto::EncodeReport(r.state, r.distance);
        bytes.insert(bytes.end(), frame.begin(), frame.end());
    }
    return bytes;
}

// Feeds in pieces of the given size (0: all at once).
recording::ScanCounts Scan(const Bytes& bytes, recording::IReportConsumer& consumer, size_t piece = 0) {
    recording::RecordingScanner scanner(consumer);
    if (piece == 0) piece = bytes.size() + 1;
    for (size_t at = 0; at < bytes.size(); at += piece)
        scanner.Feed(bytes.data() + at, std::min(piece, bytes.size() - at));
    scanner.Finish();
    return scanner.Counts();
}

// The reference: the acquisition thread's parser over the whole stream.
struct ParserFrames : radar::IReportFrameSink {
    void OnReportFrame(uint8_t state, uint16_t distance) override { frames.push_back({state, distance}); }
    void OnInvalidTrailer() override { ++badTrailers; }
    std::vector<std::pair<int, int>> frames;
    uint64_t badTrailers = 0;
};

TEST(RecordingStats, ScriptedVisitsGiveArrivalsDeparturesAndDwellWithinOnePeriod) {
    // Empty room, a visit of 3 s (moving 2 s, motionless 1 s), away 0.5 s,
    // a visit of 0.75 s, empty again.
    const std::string script = "0 0 1000\n1 300 2000\n2 150 1000\n0 0 500\n1 200 750\n0 0 1000\n";
    for (uint32_t period : {50u, 100u, 30u}) {
        SCOPED_TRACE("period " + std::to_string(period));
        const Bytes bytes = RecordScript(script, period);
        // Every way of feeding gives the same figures.
        for (size_t piece : {size_t(0), size_t(1), size_t(5), size_t(7), size_t(4096)}) {
            recording::PresenceStats stats;
            recording::ScanCounts counts = Scan(bytes, stats, piece);
            recording::PresenceSummary s = stats.Summary();
            EXPECT_EQ(bytes.size() / 7, s.reports);
            EXPECT_EQ(2u, s.arrivals);
            EXPECT_EQ(2u, s.departures);
            EXPECT_EQ(2u, s.spells);
            EXPECT_EQ(0u, s.openSpells);
            EXPECT_NEAR(3000.0, double(s.longestSpell * period), period);
            EXPECT_NEAR(750.0, double(s.shortestSpell * period), period);
            EXPECT_NEAR(1875.0, double(s.spellReportsTotal * period) / 2, period);
            EXPECT_NEAR(2750.0, double(s.moving * period), 2.0 * period);
            EXPECT_NEAR(1000.0, double(s.motionless * period), period);
            EXPECT_NEAR(3750.0 / 6250.0, double(s.present) / double(s.reports), 2.0 * period / 6250.0);
            EXPECT_EQ(0u, counts.badTrailers + counts.resyncs + counts.skippedBytes + counts.trailingBytes);
        }
    }
    // Presence at both ends: two open spells, no dwell figure, no change counted
    // for the first report.
    recording::PresenceStats stats;
    Scan(RecordScript("2 100 500\n0 0 500\n1 80 500\n", 50), stats);
    recording::PresenceSummary s = stats.Summary();
    EXPECT_EQ(1u, s.arrivals);
    EXPECT_EQ(1u, s.departures);
    EXPECT_EQ(0u, s.spells);
    EXPECT_EQ(2u, s.openSpells);
    const std::string text = recording::FormatStats({}, s, 50);
    EXPECT_NE(std::string::npos, text.find("dwell_mean_s: -\n"));
    EXPECT_NE(std::string::npos, text.find("duration_s: 1.500\n"));
}

TEST(RecordingScan, NoisyAndTruncatedRecordingsMatchTheParserAndAccountForEveryByte) {
    // Faults one frame in ten with a new state each frame, and one in three
    // hundred within runs of one state (the scanner's fast paths).
    for (const int faultOneIn : {10, 300}) {
        SCOPED_TRACE("a fault in " + std::to_string(faultOneIn));
        std::mt19937 random(7);
        Bytes bytes;
        uint8_t state = 0;
        // Enough for several scanner blocks: frames, noise runs, broken trailers
        // and stray headers, also across block edges.
        while (bytes.size() < 3 * recording::RecordingScanner::kBlockSize + 1000) {
            const int kind = random() % faultOneIn;
            if (faultOneIn == 10 || random() % 200 == 0) state = random() % 4;
            Bytes frame = radarproto::EncodeReport(state, random() % 900);
            if (kind == 0) {
                const size_t noise = 1 + random() % 12;
                for (size_t i = 0; i < noise; ++i) bytes.push_back(0x10 + random() % 0x40);  // never AA or 55
            } else if (kind == 1) {
                frame[6] = 0x54;  // broken trailer
                bytes.insert(bytes.end(), frame.begin(), frame.end());
            } else if (kind == 2) {
                bytes.push_back(0xAA);  // a stray header byte before a frame
                bytes.insert(bytes.end(), frame.begin(), frame.end());
            } else {
                bytes.insert(bytes.end(), frame.begin(), frame.end());
            }
        }
        ParserFrames parser;
        radar::ScanReportFrames(bytes.data(), bytes.size(), parser);

        for (size_t cut : {bytes.size(), bytes.size() - 3, bytes.size() - 9}) {
            SCOPED_TRACE("length " + std::to_string(cut));
            const Bytes recordingBytes(bytes.begin(), bytes.begin() + cut);
            ParserFrames reference;
            radar::ScanReportFrames(recordingBytes.data(), recordingBytes.size(), reference);
            for (size_t piece : {size_t(0), size_t(3), size_t(1000)}) {
                Collector collector;
                recording::ScanCounts counts = Scan(recordingBytes, collector, piece);
                ASSERT_EQ(reference.frames.size(), collector.reports.size());
                EXPECT_EQ(reference.badTrailers, counts.badTrailers);
                // Each report's offset points at its bytes; between reports lie
                // exactly the skipped runs.
                uint64_t end = 0, resyncs = 0, skipped = 0;
                for (size_t i = 0; i < collector.reports.size(); ++i) {
                    const recording::Report& r = collector.reports[i];
                    ASSERT_EQ(i, r.index);
                    ASSERT_EQ(reference.frames[i].first, r.state);
                    ASSERT_EQ(reference.frames[i].second, r.distance);
                    ASSERT_EQ(radarproto::EncodeReport(r.state, r.distance),
                              Bytes(recordingBytes.begin() + r.offset, recordingBytes.begin() + r.offset + 7));
                    if (r.offset > end) {
                        ++resyncs;
                        skipped += r.offset - end;
                    }
                    end = r.offset + 7;
                }
                EXPECT_GT(resyncs, 100u);
                EXPECT_EQ(resyncs, counts.resyncs);
                EXPECT_EQ(skipped, counts.skippedBytes);
                EXPECT_EQ(cut - end, counts.trailingBytes);
                EXPECT_EQ(cut, 7 * counts.reports + counts.skippedBytes + counts.trailingBytes);

                // The statistics, which take runs of one state, against the same from the parser's frames.
                recording::PresenceStats scanned, fromParser;
                const recording::ScanCounts statsCounts = Scan(recordingBytes, scanned, piece);
                for (const auto& frame : reference.frames)
                    fromParser.OnReport({0, 0, static_cast<uint8_t>(frame.first), static_cast<uint16_t>(frame.second)});
                EXPECT_EQ(recording::FormatStats(counts, fromParser.Summary(), 50),
                          recording::FormatStats(statsCounts, scanned.Summary(), 50));
            }
        }
    }
}

// zuv_rec as a user runs it.
class ZuvRecProgram : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/zuv_rec_test_XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(pattern));
        m_dir = pattern;
    }
    void TearDown() override { std::system(("rm -rf '" + m_dir + "'").c_str()); }

    std::string Write(const std::string& name, const Bytes& bytes) {
        std::string path = m_dir + "/" + name;
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        return path;
    }
    // Runs zuv_rec with the arguments; stdout and stderr into out and err.
    int Run(const std::string& args, std::string* out = nullptr, std::string* err = nullptr) {
        const std::string outPath = m_dir + "/out.txt", errPath = m_dir + "/err.txt";
        const int status =
            std::system((std::string(ZUV_REC_PATH) + " " + args + " >'" + outPath + "' 2>'" + errPath + "'").c_str());
        auto read = [](const std::string& path) {
            std::ifstream in(path, std::ios::binary);
            std::stringstream text;
            text << in.rdbuf();
            return text.str();
        };
        if (out) *out = read(outPath);
        if (err) *err = read(errPath);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string m_dir;
};

TEST_F(ZuvRecProgram, CsvRoundTripsEveryFrameAndStatsReadsTheSameFile) {
    Bytes bytes = RecordScript("0 0 300\n1 420 700\n2 65535 400\n0 0 300\n", 100);
    const Bytes noise = {0x01, 0xAA, 0xAA, 0x00, 0x00, 0x00, 0x00, 0x02};  // skipped, one bad trailer
    bytes.insert(bytes.begin() + 14, noise.begin(), noise.end());
    bytes.push_back(0xAA);  // cut off at the end
    const std::string path = Write("visit.dat", bytes);

    std::string out, err;
    ASSERT_EQ(0, Run("csv '" + path + "' --period 100", &out, &err)) << err;
    std::istringstream lines(out);
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ("frame,time_s,state,distance_cm", line);
    Bytes rebuilt;
    int index = 0;
    while (std::getline(lines, line)) {
        int frame = -1, state = -1, distance = -1;
        unsigned seconds = 0, ms = 0;
        ASSERT_EQ(5, std::sscanf(line.c_str(), "%d,%u.%3u,%d,%d", &frame, &seconds, &ms, &state, &distance)) << line;
        EXPECT_EQ(index, frame);
        EXPECT_EQ(index * 100u, seconds * 1000 + ms) << line;
        Bytes f = radarproto::EncodeReport(static_cast<uint8_t>(state), static_cast<uint16_t>(distance));
        rebuilt.insert(rebuilt.end(), f.begin(), f.end());
        ++index;
    }
    Bytes clean = bytes;
    clean.erase(clean.begin() + 14, clean.begin() + 14 + noise.size());
    clean.pop_back();
    EXPECT_EQ(clean, rebuilt);

    ASSERT_EQ(0, Run("stats '" + path + "' --period 100", &out, &err)) << err;
    for (const char* expected :
         {"reports: 17\n", "duration_s: 1.700\n", "arrivals: 1\n", "departures: 1\n", "dwell_min_s: 1.100\n",
          "dwell_max_s: 1.100\n", "moving_s: 0.700\n", "occupancy: 64.71%\n", "bad_trailers: 1\n", "resyncs: 1\n",
          "skipped_bytes: 8\n", "trailing_bytes: 1\n"})
        EXPECT_NE(std::string::npos, out.find(expected)) << expected << "\n" << out;
}

TEST_F(ZuvRecProgram, BadFilesAndArgumentsGiveAClearMessageAndTheirExitCode) {
    std::string out, err;
    EXPECT_EQ(1, Run("stats '" + m_dir + "/missing.dat'", &out, &err));
    EXPECT_NE(std::string::npos, err.find("cannot open")) << err;
    EXPECT_EQ("", out);
    EXPECT_EQ(1, Run("csv '" + m_dir + "'", &out, &err));  // a folder
    EXPECT_NE(std::string::npos, err.find("cannot read")) << err;

    EXPECT_EQ(4, Run("stats '" + Write("empty.dat", {}) + "'", &out, &err));
    EXPECT_NE(std::string::npos, err.find("no report frame")) << err;
    EXPECT_NE(std::string::npos, out.find("reports: 0\n"));
    EXPECT_EQ(4, Run("csv '" + Write("text.dat", Bytes(5000, 'x')) + "'", &out, &err));
    EXPECT_EQ("frame,time_s,state,distance_cm\n", out);

    const std::string ok = Write("ok.dat", RecordScript("1 100 500\n", 50));
    EXPECT_EQ(2, Run("", &out, &err));
    EXPECT_EQ(2, Run("count '" + ok + "'", &out, &err));
    EXPECT_EQ(2, Run("stats '" + ok + "' --period 0", &out, &err));
    EXPECT_EQ(2, Run("stats '" + ok + "' --period", &out, &err));
    EXPECT_EQ(2, Run("stats '" + ok + "' --speed 2", &out, &err));
    EXPECT_NE(std::string::npos, err.find("usage:"));
    EXPECT_EQ(0, Run("--help", &out, &err));
    EXPECT_NE(std::string::npos, out.find("Exit status"));
    // Output that cannot be written.
    if (access("/dev/full", W_OK) == 0) {
        EXPECT_EQ(3,
                  std::system((std::string(ZUV_REC_PATH) + " csv '" + ok + "' >/dev/full 2>/dev/null").c_str()) >> 8);
    }
}

Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

// zuv_rec tune: one row per command line, its exit status and what it prints.
TEST_F(ZuvRecProgram, TuneTellsEachOutcomeByItsExitStatus) {
    const std::string empty = Write("empty.dat", RecordScript("0 0 40000\n1 600 5000\n0 0 45000\n", 1000));
    const std::string still = Write("still.dat", RecordScript("2 150 30000\n0 0 5000\n2 150 55000\n", 1000));
    const std::string quiet = Write("quiet.dat", RecordScript("0 0 90000\n", 1000));
    const std::string always = Write("always.dat", RecordScript("2 150 90000\n", 1000));
    const std::string shortOne = Write("short.dat", RecordScript("2 150 10000\n", 1000));
    const std::string noFrames = Write("noise.dat", Bytes(500, 'x'));
    const std::string profile = Write("in.xml", Text("<RadarProfile nOffTime=\"10\" nDistanceCalibration=\"-100\"/>"));
    const std::string config = Write("appConfig.xml", Text("<AppConfig nOffTime=\"-1\"/>"));
    const std::string goodConfig = Write("good.xml", Text("<AppConfig ReportTimeMS=\"1000\" noffTIME=\"10\"/>"));
    const std::string brokenConfig = Write("broken.xml", Text("<AppConfig nOffTime=\"10\""));
    const std::string out = m_dir + "/out.xml";
    const std::string both = " '" + empty + "' '" + still + "' --period 1000";
    struct {
        std::string args;
        int status;
        const char* says;  // in stdout (status 0) or stderr
    } rows[] = {
        {both, 0, "parameters while recording: the factory values"},
        {both + " --params '" + profile + "' --true-distance 170 --profile '" + out + "'", 0, "nOffTime: 10 -> 18"},
        {" '" + quiet + "' '" + empty + "' --period 1000", 0, "false departures with the person there: 1"},
        {" '" + always + "' '" + quiet + "' --period 1000", 5, "other way round"},
        {" '" + empty + "' '" + shortOne + "' --period 1000", 5, "lasts 10.000 s; at least 20.000 s"},
        {" '" + noFrames + "' '" + still + "'", 4, "no report frame"},
        {" '" + m_dir + "/missing.dat' '" + still + "'", 1, "cannot open"},
        {both + " --params '" + profile + "'", 0, "false presence spells in the empty room: 1 -> 0"},
        {both + " --params '" + config + "'", 6, "nOffTime: \"-1\""},
        {both + " --params '" + noFrames + "'", 6, "parameter profile or appConfig.xml"},
        {" '" + empty + "' '" + still + "' --params '" + goodConfig + "'", 0, "nOffTime: 10 -> 18"},
        {both + " --params '" + brokenConfig + "'", 6, "not a whole XML file"},
        {both + " --true-distance far", 2, "--true-distance needs"},
        {" '" + empty + "'", 2, "two recordings"},
        {both + " --profile", 2, "--profile needs a file"},
    };
    for (const auto& row : rows) {
        std::string text, err;
        EXPECT_EQ(row.status, Run("tune" + row.args, &text, &err)) << row.args << "\n" << err;
        EXPECT_NE(std::string::npos, (row.status == 0 ? text : err).find(row.says)) << row.args << "\n" << text << err;
        if (row.status != 0 && row.status != 2) {
            EXPECT_EQ(std::string::npos, err.find('\n', err.find('\n') + 1)) << "one line: " << err;
        }
    }
    // The profile written holds the suggestions over the values given.
    std::ifstream in(out, std::ios::binary);
    const std::string written((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    RadarParam read;
    LoadDefaultParameters(read);
    ASSERT_TRUE(ReadProfile(written.data(), written.size(), read).Ok()) << written;
    EXPECT_EQ(18, read.nOffTime);
    // Ranges in distances before calibration: the clutter reported at 600 cm lay at 700.
    EXPECT_EQ(-80, read.nDistanceCalibration);
    EXPECT_EQ(650, read.nMotionRangeMax);
}

}  // namespace
