// Fuzzes the recording scanner's fast paths (sixteen frames tested at once;
// runs of one state for the statistics) and the tuning analysis over
// arbitrary bytes. Beyond not crashing:
//   - fed in pieces (cut where the first byte says), the scanner finds
//     exactly the parser's frames and bad trailers, each report's offset
//     points at its bytes, and every byte is in a frame, skipped or trailing;
//   - the statistics, which take runs of one state, equal those made from
//     the parser's frames one by one;
//   - the tuning analysis of the stream's two halves never suggests a hold
//     beyond its cap (unless already in effect) nor a range edge outside
//     what the module keeps.
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "FuzzSupport.h"
#include "RecordingReports.h"
#include "RecordingScan.h"
#include "ReportFrameParser.h"
#include "Tuning.h"
#include "TuningText.h"

namespace {

struct ParserFrames : radar::IReportFrameSink {
    void OnReportFrame(uint8_t state, uint16_t distance) override { frames.push_back({state, distance}); }
    void OnInvalidTrailer() override { ++badTrailers; }
    std::vector<std::pair<uint8_t, uint16_t>> frames;
    uint64_t badTrailers = 0;
};

struct Collector : recording::IReportConsumer {
    void OnReport(const recording::Report& report) override { reports.push_back(report); }
    std::vector<recording::Report> reports;
};

recording::ScanCounts ScanInPieces(const uint8_t* data, size_t size, recording::IReportConsumer& consumer) {
    fuzzsupport::CutInput input(data, size);
    recording::RecordingScanner scanner(consumer);
    for (size_t fed = 0; fed < input.length;) {
        const size_t n = input.NextPiece(fed);
        scanner.Feed(input.stream + fed, n);
        fed += n;
    }
    scanner.Finish();
    return scanner.Counts();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const uint8_t* stream = data + 1;
    const size_t length = size - 1;
    ParserFrames parser;
    radar::ScanReportFrames(stream, length, parser);

    Collector collector;
    const recording::ScanCounts counts = ScanInPieces(data, size, collector);
    Check(collector.reports.size() == parser.frames.size());
    Check(counts.badTrailers == parser.badTrailers);
    Check(counts.bytes == length);
    Check(counts.bytes == 7 * counts.reports + counts.skippedBytes + counts.trailingBytes);
    for (size_t i = 0; i < collector.reports.size(); ++i) {
        const recording::Report& r = collector.reports[i];
        Check(r.index == i && r.state == parser.frames[i].first && r.distance == parser.frames[i].second);
        Check(r.offset + 7 <= length && stream[r.offset] == 0xAA && stream[r.offset + 2] == r.state);
    }

    recording::PresenceStats scanned, fromParser;
    const recording::ScanCounts statsCounts = ScanInPieces(data, size, scanned);
    for (const auto& frame : parser.frames) fromParser.OnReport({0, 0, frame.first, frame.second});
    Check(recording::FormatStats(statsCounts, scanned.Summary(), 50) ==
          recording::FormatStats(counts, fromParser.Summary(), 50));

    // A period of 1 to 65 s, so that short inputs reach the analysis too.
    tuning::TuningOptions options;
    options.periodMs = 1000 + 250u * data[0];
    options.hasTrueDistance = data[0] % 2 == 1;
    options.trueDistanceCm = data[0] * 3;
    radarproto::ModuleParameters current;
    current.offTime = data[0] % 7 == 0 ? 70000 : current.offTime;
    const tuning::TuningResult result =
        tuning::AnalyseTuning(stream, length / 2, stream + length / 2, length - length / 2, current, options);
    const std::string text = result.problem == tuning::TuningProblem::None
                                 ? tuning::FormatTuning(result, options.periodMs)
                                 : tuning::DescribeProblem(result, options.periodMs);
    Check(!text.empty());
    const int64_t cap = std::min<int64_t>(tuning::kHoldCapMs / options.periodMs, 0xFFFF);
    Check(result.suggested.offTime == current.offTime || result.suggested.offTime <= cap);
    for (const int32_t edge : {result.suggested.motionRangeMin, result.suggested.motionRangeMax,
                               result.suggested.motionlessRangeMin, result.suggested.motionlessRangeMax})
        Check(edge >= 0 && edge <= 0xFFFF);
    return 0;
}
