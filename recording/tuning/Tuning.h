// Settings that fit a room, from two recordings: the room empty, and a person
// keeping still at their usual place (docs/tuning.md). Windows-free and pure:
// the recordings' reports, the parameters in effect while recording and the
// options in; findings, suggestions and their predicted effect out. The text
// for people is TuningText's.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "RadarProtocol.h"
#include "RecordingScan.h"

namespace tuning {

// The reports of one recording, kept compactly (state and distance; the index
// is the place in the vector). Fed by the same scanner as zuv_rec's.
class ReportTrack : public recording::IReportConsumer {
public:
    struct Entry {
        uint8_t state;
        uint16_t distance;
    };
    // Beyond maxReports a track keeps nothing more and says so: memory stays
    // bounded whatever file it is given (4 bytes a report).
    explicit ReportTrack(size_t maxReports = kMaxReports) : m_maxReports(maxReports) {}
    static constexpr size_t kMaxReports = 20000000;  // 11.5 days at 50 ms

    void OnReport(const recording::Report& report) override { OnReports(&report, 1); }
    void OnReports(const recording::Report* reports, size_t count) override;

    const std::vector<Entry>& Entries() const { return m_entries; }
    size_t Size() const { return m_entries.size(); }
    bool Overflowed() const { return m_overflowed; }

private:
    size_t m_maxReports;
    bool m_overflowed = false;
    std::vector<Entry> m_entries;
};

// Scans a recording's bytes into a track.
ReportTrack TrackOf(const uint8_t* data, size_t size);

// The figures the method works with; docs/tuning.md gives the reasons.
constexpr uint32_t kMinRecordingMs = 20 * 1000;  // each recording at least this long
constexpr uint32_t kPersonMarginCm = 50;         // kept free around the person's distances
constexpr uint32_t kClutterMarginCm = 50;        // a new range edge stays this far inside clutter where it can
constexpr uint32_t kHoldMarginMinMs = 1000;      // the hold's margin: half the longest gap, at least this
constexpr uint32_t kHoldCapMs = 60 * 1000;       // never a hold longer than this

struct TuningOptions {
    uint32_t periodMs = 50;
    bool hasTrueDistance = false;
    int32_t trueDistanceCm = 0;
};

enum class TuningProblem {
    None,
    EmptyHasNoFrames,     // the empty room's recording holds no report frame
    OccupiedHasNoFrames,  // the occupied room's recording holds no report frame
    EmptyTooShort,        // shorter than kMinRecordingMs
    OccupiedTooShort,
    TooLong,               // a recording holds more than ReportTrack::kMaxReports reports
    Swapped,               // the "empty" one always present and the "occupied" one never
    EmptyAlwaysPresent,    // presence in every report of the empty room
    OccupiedNeverPresent,  // no presence report at all with the person there
};

// Kinds of presence a report shows.
enum class Kind : uint8_t { Moving = 1, Motionless = 2 };

// An unbroken run of reports of one presence kind in the empty room.
struct PresenceSpell {
    Kind kind = Kind::Moving;
    uint64_t start = 0;                  // index of its first report
    uint64_t length = 0;                 // reports
    uint16_t nearest = 0, farthest = 0;  // its distances, cm
};

// An unbroken run of nobody in the occupied room after its first presence report.
struct Gap {
    uint64_t start = 0;
    uint64_t length = 0;  // reports
    bool atEnd = false;   // cut by the end of the recording
};

// Where the empty room's presence of one kind lies against the person's
// distances (the person's 5th to 95th percentile widened by kPersonMarginCm).
struct ClutterPlace {
    uint64_t reports = 0;  // empty-room reports of this kind
    uint64_t nearReports = 0, amongReports = 0, farReports = 0;
    uint16_t nearestNear = 0, farthestNear = 0;  // when nearReports
    uint16_t nearestAmong = 0, farthestAmong = 0;
    uint16_t nearestFar = 0, farthestFar = 0;
};

enum class Setting { MotionRangeMin, MotionRangeMax, MotionlessRangeMin, MotionlessRangeMax, OffTime, Calibration };

enum class Reason {
    NearClutter,       // a = farthest clutter distance, b = the person's low edge
    FarClutter,        // a = nearest clutter distance, b = the person's high edge
    BridgeGaps,        // a = longest bridged gap (reports), b = margin (reports)
    BridgeGapsCapped,  // as BridgeGaps, the result held at the cap
    Calibration,       // a = true distance, b = median reported
};

struct Suggestion {
    Setting setting = Setting::OffTime;
    int32_t from = 0, to = 0;
    Reason reason = Reason::NearClutter;
    int64_t a = 0, b = 0;
};

enum class NoticeKind {
    ClutterAmongPerson,  // kind's clutter inside the person's distances: a, b = its distances
    GapBeyondCap,        // a gap no hold up to the cap bridges: a = its length (reports), b = start
};

struct Notice {
    NoticeKind kind = NoticeKind::ClutterAmongPerson;
    Kind presence = Kind::Moving;  // ClutterAmongPerson
    int64_t a = 0, b = 0;
};

// Counts in a recording as played through one set of parameters.
struct Outcome {
    uint64_t falsePresenceSpells = 0;  // presence runs (any kind) in the empty room
    uint64_t falsePresenceReports = 0;
    uint64_t falseDepartures = 0;  // nobody runs after the first presence, occupied room
    uint64_t nobodyReports = 0;    // their reports
};

struct TuningResult {
    TuningProblem problem = TuningProblem::None;
    uint64_t emptyReports = 0, occupiedReports = 0;

    std::vector<PresenceSpell> spells;  // empty room, in order
    std::vector<Gap> gaps;              // occupied room, in order
    uint64_t personReports = 0;         // presence reports of the occupied room
    uint16_t person5 = 0, person50 = 0, person95 = 0;
    int32_t personLow = 0, personHigh = 0;  // the distances kept free of range cuts
    ClutterPlace moving, motionless;

    radarproto::ModuleParameters current, suggested;
    std::vector<Suggestion> suggestions;
    std::vector<Notice> notices;
    Outcome before, after;
};

// The whole analysis; with a problem set, nothing else past the report counts is filled.
TuningResult AnalyseTuning(const ReportTrack& empty, const ReportTrack& occupied,
                           const radarproto::ModuleParameters& current, const TuningOptions& options);
TuningResult AnalyseTuning(const uint8_t* empty, size_t emptySize, const uint8_t* occupied, size_t occupiedSize,
                           const radarproto::ModuleParameters& current, const TuningOptions& options);

// The model: a track recorded under current as it would come out under
// suggested (docs/tuning.md, "The model"). Exposed for the tests.
std::vector<ReportTrack::Entry> Replay(const std::vector<ReportTrack::Entry>& track,
                                       const radarproto::ModuleParameters& current,
                                       const radarproto::ModuleParameters& suggested);
Outcome CountOutcome(const std::vector<ReportTrack::Entry>& empty, const std::vector<ReportTrack::Entry>& occupied);

}  // namespace tuning
