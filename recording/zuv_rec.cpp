// zuv_rec: what a recording (.dat, the module's bytes as the tool received
// them) holds, as CSV or as presence statistics. Reads in fixed blocks, so a
// recording of hours needs no more memory than one of seconds. See --help.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "RecordingReports.h"
#include "RecordingScan.h"
#include "TuneCommand.h"

namespace {

using namespace zuvrec;

const char kUsageText[] =
    "usage: zuv_rec csv FILE [--period MS]\n"
    "       zuv_rec stats FILE [--period MS]\n"
    "       zuv_rec tune EMPTY OCCUPIED [--params FILE] [--true-distance CM]\n"
    "                    [--period MS] [--profile OUT.xml]\n"
    "       zuv_rec --help\n"
    "\n"
    "FILE is a recording (.dat) made by the tool: the module's bytes exactly as\n"
    "received. Report frames are found by the tool's own rules: AA AA, state,\n"
    "distance (cm, little-endian), 55 55; other bytes are skipped.\n"
    "\n"
    "  --period MS   report period in milliseconds, 1 to 60000 (default 50):\n"
    "                every report stands for one period of time\n"
    "\n"
    "csv    one line per report after the header \"frame,time_s,state,distance_cm\":\n"
    "       frame index from 0, time = index * period in seconds, state, distance.\n"
    "\n"
    "stats  one \"name: value\" line per figure:\n"
    "  reports, duration_s   report frames found; their count times the period\n"
    "  occupancy             share of reports that are present: state 1 (moving)\n"
    "                        or 2 (motionless); every other state is nobody\n"
    "  present_s, moving_s, motionless_s, nobody_s\n"
    "                        reports of each kind times the period\n"
    "  arrivals, departures  changes nobody -> present and present -> nobody\n"
    "                        between consecutive reports (the first report is\n"
    "                        no change)\n"
    "  dwell_spells          presence spells (unbroken runs of present reports)\n"
    "                        that began with an arrival and ended with a departure\n"
    "  dwell_min_s, dwell_mean_s, dwell_max_s\n"
    "                        their shortest, mean and longest length; \"-\" when\n"
    "                        there is none. Exact to one report period.\n"
    "  open_spells           spells cut by the start or end of the recording (not\n"
    "                        in the dwell figures)\n"
    "  bad_trailers          AA AA headers whose bytes 5 and 6 were not 55 55\n"
    "  resyncs               runs of bytes outside any frame that end at a frame:\n"
    "                        each is a place where the stream lost its frame\n"
    "                        alignment and found it again\n"
    "  skipped_bytes         the bytes of those runs\n"
    "  trailing_bytes        bytes after the last frame (a cut-off frame, noise)\n"
    "  bytes = 7 * reports + skipped_bytes + trailing_bytes\n"
    "\n"
    "tune   settings that fit a room (docs/tuning.md), from EMPTY, a recording of\n"
    "       the room with nobody in it, and OCCUPIED, one of a person keeping still\n"
    "       at their usual place; each at least 20 s. Prints the false presence in\n"
    "       EMPTY, the false departures in OCCUPIED, the person's distances, the\n"
    "       suggested values (old -> new, each with its reason) and the predicted\n"
    "       counts with them.\n"
    "  --params FILE        the parameters in effect while recording: a parameter\n"
    "                       profile or appConfig.xml (default: the factory values);\n"
    "                       without --period, appConfig.xml's ReportTimeMS is the\n"
    "                       report period when it holds one\n"
    "  --true-distance CM   the person's real distance: suggests a calibration\n"
    "  --profile OUT.xml    writes those parameters with the suggestions applied\n"
    "                       as a parameter profile\n"
    "\n"
    "Exit status: 0 done; 1 FILE cannot be opened or read; 2 bad arguments;\n"
    "3 the output (or OUT.xml) cannot be written; 4 FILE holds no report frame\n"
    "(csv still writes its header, stats its figures; tune writes nothing);\n"
    "5 tune: a recording is too short (or beyond 20,000,000 reports), or the two\n"
    "seem swapped (always present while empty, never present while occupied);\n"
    "6 tune: the --params file is no profile or appConfig.xml, or holds a value\n"
    "the module does not accept.\n";

int Usage(const char* problem) {
    std::fprintf(stderr, "zuv_rec: %s\n\n%s", problem, kUsageText);
    return kUsage;
}

bool ParsePeriod(const char* text, uint32_t& out) {
    if (!text || !*text) return false;
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(text, &end, 10);
    if (errno != 0 || *end != '\0' || value < 1 || value > 60000) return false;
    out = static_cast<uint32_t>(value);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    // Text-mode stdout would turn every "\n" into "\r\n": the output is the
    // same bytes as on Linux and as the tool's own CSV export ("wb").
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    if (argc >= 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(kUsageText, stdout);
        return kOk;
    }
    if (argc < 3) return Usage("a command and a file are needed");
    const std::string command = argv[1];
    if (command == "tune") return RunTune(argc - 1, argv + 1, Usage);
    if (command != "csv" && command != "stats") return Usage(("unknown command: " + command).c_str());
    const std::string file = argv[2];
    uint32_t periodMs = recording::kDefaultPeriodMs;
    for (int i = 3; i < argc; ++i) {
        if (std::strcmp(argv[i], "--period") == 0) {
            if (i + 1 >= argc || !ParsePeriod(argv[i + 1], periodMs))
                return Usage("--period needs a whole number of milliseconds from 1 to 60000");
            ++i;
        } else {
            return Usage((std::string("unknown option: ") + argv[i]).c_str());
        }
    }

    std::string error;
    bool read = false;
    bool written = true;
    uint64_t reports = 0;
    if (command == "csv") {
        recording::CsvWriter csv(stdout, periodMs);
        csv.WriteHeader();
        recording::RecordingScanner scanner(csv);
        read = recording::ScanFile(file, scanner, &error);
        if (read) written = csv.Flush();
        reports = scanner.Counts().reports;
    } else {
        recording::PresenceStats stats;
        recording::RecordingScanner scanner(stats);
        read = recording::ScanFile(file, scanner, &error);
        if (read) {
            const std::string text = recording::FormatStats(scanner.Counts(), stats.Summary(), periodMs);
            written = std::fwrite(text.data(), 1, text.size(), stdout) == text.size() && std::fflush(stdout) == 0;
        }
        reports = scanner.Counts().reports;
    }
    if (!read) {
        std::fprintf(stderr, "zuv_rec: %s\n", error.c_str());
        return kCannotRead;
    }
    if (!written) {
        std::fprintf(stderr, "zuv_rec: cannot write the output: %s\n", std::strerror(errno ? errno : EIO));
        return kCannotWrite;
    }
    if (reports == 0) {
        std::fprintf(stderr, "zuv_rec: %s holds no report frame\n", file.c_str());
        return kNoReports;
    }
    return kOk;
}
