#include "Tuning.h"

#include <algorithm>

namespace tuning {

namespace {

using Entry = ReportTrack::Entry;
using Track = std::vector<Entry>;

bool IsPresent(uint8_t state) { return state == 1 || state == 2; }

uint64_t CeilDiv(uint64_t a, uint64_t b) { return (a + b - 1) / b; }

int32_t Clamp16(int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, 0, radarproto::kMaxReplyField16)); }

int32_t& RangeMin(radarproto::ModuleParameters& p, Kind kind) {
    return kind == Kind::Moving ? p.motionRangeMin : p.motionlessRangeMin;
}
int32_t& RangeMax(radarproto::ModuleParameters& p, Kind kind) {
    return kind == Kind::Moving ? p.motionRangeMax : p.motionlessRangeMax;
}

// Nearest-rank percentiles of the occupied room's presence distances, by
// counting (a recording of hours is sorted in one pass).
void PersonDistances(const Track& track, TuningResult& r) {
    std::vector<uint32_t> counts(65536, 0);
    for (const Entry& e : track)
        if (IsPresent(e.state)) ++counts[e.distance];
    r.personReports = 0;
    for (const Entry& e : track) r.personReports += IsPresent(e.state) ? 1 : 0;
    const uint64_t n = r.personReports;
    const uint64_t ranks[3] = {CeilDiv(n * 5, 100), CeilDiv(n * 50, 100), CeilDiv(n * 95, 100)};
    uint16_t* const out[3] = {&r.person5, &r.person50, &r.person95};
    uint64_t seen = 0;
    size_t next = 0;
    for (uint32_t d = 0; d < counts.size() && next < 3; ++d) {
        seen += counts[d];
        while (next < 3 && seen >= std::max<uint64_t>(ranks[next], 1)) *out[next++] = static_cast<uint16_t>(d);
    }
    r.personLow = std::max<int32_t>(0, r.person5 - static_cast<int32_t>(kPersonMarginCm));
    r.personHigh = r.person95 + static_cast<int32_t>(kPersonMarginCm);
}

void Widen(uint16_t d, uint64_t& count, uint16_t& nearest, uint16_t& farthest) {
    if (count++ == 0) nearest = farthest = d;
    nearest = std::min(nearest, d);
    farthest = std::max(farthest, d);
}

// The kind of presence each report stands for (0 for nobody): its state,
// except that the module reports its hold as motionless at the last
// distance, so motionless reports right after moving ones, at the last
// moving distance and no more than nOffTime of them, are that moving
// presence held and count as moving.
std::vector<uint8_t> KindsOf(const Track& track, int32_t offTime) {
    std::vector<uint8_t> kinds(track.size());
    for (size_t i = 0; i < track.size(); ++i) kinds[i] = IsPresent(track[i].state) ? track[i].state : 0;
    for (size_t i = 1; i < track.size(); ++i) {
        if (track[i - 1].state != 1 || track[i].state != 2) continue;
        size_t end = i;
        while (end < track.size() && track[end].state == 2 && track[end].distance == track[i - 1].distance) ++end;
        if (end == i) continue;  // motionless at another distance: a target of its own
        if (static_cast<int64_t>(end - i) <= offTime) std::fill(kinds.begin() + i, kinds.begin() + end, 1);
        i = end - 1;
    }
    return kinds;
}

void FindSpellsAndClutter(const Track& track, TuningResult& r) {
    const std::vector<uint8_t> kinds = KindsOf(track, r.current.offTime);
    for (size_t i = 0; i < track.size(); ++i) {
        const Entry& e = track[i];
        if (kinds[i] == 0) continue;
        const Kind kind = static_cast<Kind>(kinds[i]);
        if (i == 0 || kinds[i - 1] != kinds[i]) r.spells.push_back({kind, i, 0, e.distance, e.distance});
        PresenceSpell& spell = r.spells.back();
        ++spell.length;
        spell.nearest = std::min(spell.nearest, e.distance);
        spell.farthest = std::max(spell.farthest, e.distance);

        ClutterPlace& place = kind == Kind::Moving ? r.moving : r.motionless;
        ++place.reports;
        if (e.distance < r.personLow)
            Widen(e.distance, place.nearReports, place.nearestNear, place.farthestNear);
        else if (e.distance > r.personHigh)
            Widen(e.distance, place.farReports, place.nearestFar, place.farthestFar);
        else
            Widen(e.distance, place.amongReports, place.nearestAmong, place.farthestAmong);
    }
}

void FindGaps(const Track& track, TuningResult& r) {
    bool seenPresence = false;
    for (size_t i = 0; i < track.size(); ++i) {
        const bool present = IsPresent(track[i].state);
        if (present) {
            seenPresence = true;
            continue;
        }
        if (!seenPresence) continue;
        if (IsPresent(track[i - 1].state)) r.gaps.push_back({i, 0, false});
        ++r.gaps.back().length;
    }
    if (!r.gaps.empty() && !IsPresent(track.back().state)) r.gaps.back().atEnd = true;
}

// Far clutter lowers the range's end, near clutter raises its start, never
// into the person's distances; clutter among them is only told. The module
// compares its ranges with the distance before calibration: an edge found in
// reported distances is that less the calibration in effect.
void SuggestRanges(Kind kind, const ClutterPlace& place, TuningResult& r) {
    const int32_t calibration = r.current.distanceCalibration;
    const Setting minSetting = kind == Kind::Moving ? Setting::MotionRangeMin : Setting::MotionlessRangeMin;
    const Setting maxSetting = kind == Kind::Moving ? Setting::MotionRangeMax : Setting::MotionlessRangeMax;
    int32_t& newMin = RangeMin(r.suggested, kind);
    int32_t& newMax = RangeMax(r.suggested, kind);
    if (place.farReports > 0) {
        const int32_t edge =
            Clamp16(std::max(r.personHigh, place.nearestFar - static_cast<int32_t>(kClutterMarginCm)) - calibration);
        if (edge < newMax && edge >= newMin) {
            r.suggestions.push_back({maxSetting, newMax, edge, Reason::FarClutter, place.nearestFar, r.personHigh});
            newMax = edge;
        }
    }
    if (place.nearReports > 0) {
        const int32_t edge =
            Clamp16(std::min(r.personLow, place.farthestNear + static_cast<int32_t>(kClutterMarginCm)) - calibration);
        if (edge > newMin && edge <= newMax) {
            r.suggestions.push_back({minSetting, newMin, edge, Reason::NearClutter, place.farthestNear, r.personLow});
            newMin = edge;
        }
    }
    if (place.amongReports > 0)
        r.notices.push_back({NoticeKind::ClutterAmongPerson, kind, place.nearestAmong, place.farthestAmong});
}

// The hold that bridges every gap it can: a gap of g reports under a hold of
// h was a loss of sight of h + g reports, so a hold of h + g covers it.
void SuggestHold(const TuningOptions& options, TuningResult& r) {
    const int64_t hold = r.current.offTime;
    const int64_t cap = std::min<int64_t>(kHoldCapMs / options.periodMs, radarproto::kMaxReplyField16);
    uint64_t longest = 0;
    for (const Gap& gap : r.gaps) {
        if (hold + static_cast<int64_t>(gap.length) > cap)
            r.notices.push_back({NoticeKind::GapBeyondCap, Kind::Moving, static_cast<int64_t>(gap.length),
                                 static_cast<int64_t>(gap.start)});
        else
            longest = std::max(longest, gap.length);
    }
    if (longest == 0) return;
    const int64_t margin =
        static_cast<int64_t>(std::max(CeilDiv(longest, 2), CeilDiv(kHoldMarginMinMs, options.periodMs)));
    int64_t wanted = hold + static_cast<int64_t>(longest) + margin;
    Reason reason = Reason::BridgeGaps;
    if (wanted > cap) {
        wanted = cap;
        reason = Reason::BridgeGapsCapped;
    }
    r.suggestions.push_back({Setting::OffTime, r.current.offTime, static_cast<int32_t>(wanted), reason,
                             static_cast<int64_t>(longest), margin});
    r.suggested.offTime = static_cast<int32_t>(wanted);
}

void SuggestCalibration(const TuningOptions& options, TuningResult& r) {
    if (!options.hasTrueDistance) return;
    const int64_t delta = static_cast<int64_t>(options.trueDistanceCm) - r.person50;
    if (delta == 0) return;
    const int64_t calibrated =
        std::clamp<int64_t>(static_cast<int64_t>(r.current.distanceCalibration) + delta, INT32_MIN, INT32_MAX);
    r.suggestions.push_back({Setting::Calibration, r.current.distanceCalibration, static_cast<int32_t>(calibrated),
                             Reason::Calibration, options.trueDistanceCm, r.person50});
    r.suggested.distanceCalibration = static_cast<int32_t>(calibrated);
}

TuningProblem Judge(const ReportTrack& empty, const ReportTrack& occupied, const TuningOptions& options) {
    if (empty.Size() == 0) return TuningProblem::EmptyHasNoFrames;
    if (occupied.Size() == 0) return TuningProblem::OccupiedHasNoFrames;
    if (empty.Overflowed() || occupied.Overflowed()) return TuningProblem::TooLong;
    const uint64_t minReports = CeilDiv(kMinRecordingMs, options.periodMs);
    if (empty.Size() < minReports) return TuningProblem::EmptyTooShort;
    if (occupied.Size() < minReports) return TuningProblem::OccupiedTooShort;
    const auto present = [](const Entry& e) { return IsPresent(e.state); };
    const bool emptyAlways = std::all_of(empty.Entries().begin(), empty.Entries().end(), present);
    const bool occupiedNever = std::none_of(occupied.Entries().begin(), occupied.Entries().end(), present);
    if (emptyAlways && occupiedNever) return TuningProblem::Swapped;
    if (emptyAlways) return TuningProblem::EmptyAlwaysPresent;
    if (occupiedNever) return TuningProblem::OccupiedNeverPresent;
    return TuningProblem::None;
}

}  // namespace

void ReportTrack::OnReports(const recording::Report* reports, size_t count) {
    if (count > m_maxReports - m_entries.size()) {
        m_overflowed = true;
        count = m_maxReports - m_entries.size();
    }
    for (size_t i = 0; i < count; ++i) m_entries.push_back({reports[i].state, reports[i].distance});
}

ReportTrack TrackOf(const uint8_t* data, size_t size) {
    ReportTrack track;
    recording::RecordingScanner scanner(track);
    if (size > 0) scanner.Feed(data, size);
    scanner.Finish();
    return track;
}

Track Replay(const Track& track, const radarproto::ModuleParameters& current,
             const radarproto::ModuleParameters& suggested) {
    const std::vector<uint8_t> kinds = KindsOf(track, current.offTime);
    const int64_t added = std::max<int64_t>(0, static_cast<int64_t>(suggested.offTime) - current.offTime);
    const int64_t low[3] = {0, suggested.motionRangeMin, suggested.motionlessRangeMin};
    const int64_t high[3] = {0, suggested.motionRangeMax, suggested.motionlessRangeMax};
    Track out;
    out.reserve(track.size());
    Entry last{0, 0};
    bool seenPresence = false;
    int64_t sinceLast = 0;
    for (size_t i = 0; i < track.size(); ++i) {
        Entry now = track[i];
        if (kinds[i] != 0) {
            // Ranges see the distance before calibration; the new calibration is added after.
            const int64_t raw = static_cast<int64_t>(now.distance) - current.distanceCalibration;
            if (raw < low[kinds[i]] || raw > high[kinds[i]]) {
                now = Entry{0, 0};
            } else {
                now.distance =
                    static_cast<uint16_t>(std::clamp<int64_t>(raw + suggested.distanceCalibration, 0, 65535));
            }
        }
        if (IsPresent(now.state)) {
            last = now;
            seenPresence = true;
            sinceLast = 0;
        } else if (seenPresence && sinceLast++ < added) {
            now = Entry{2, last.distance};  // held, shown as motionless like the module's own hold
        }
        out.push_back(now);
    }
    return out;
}

Outcome CountOutcome(const Track& empty, const Track& occupied) {
    Outcome o;
    for (size_t i = 0; i < empty.size(); ++i) {
        if (!IsPresent(empty[i].state)) continue;
        ++o.falsePresenceReports;
        if (i == 0 || !IsPresent(empty[i - 1].state)) ++o.falsePresenceSpells;
    }
    bool seenPresence = false;
    for (size_t i = 0; i < occupied.size(); ++i) {
        if (IsPresent(occupied[i].state)) {
            seenPresence = true;
        } else if (seenPresence) {
            ++o.nobodyReports;
            if (IsPresent(occupied[i - 1].state)) ++o.falseDepartures;
        }
    }
    return o;
}

TuningResult AnalyseTuning(const ReportTrack& empty, const ReportTrack& occupied,
                           const radarproto::ModuleParameters& current, const TuningOptions& options) {
    TuningResult r;
    r.emptyReports = empty.Size();
    r.occupiedReports = occupied.Size();
    r.current = r.suggested = current;
    TuningOptions checked = options;
    if (checked.periodMs == 0) checked.periodMs = 1;
    r.problem = Judge(empty, occupied, checked);
    if (r.problem != TuningProblem::None) return r;

    PersonDistances(occupied.Entries(), r);
    FindSpellsAndClutter(empty.Entries(), r);
    FindGaps(occupied.Entries(), r);
    SuggestRanges(Kind::Moving, r.moving, r);
    SuggestRanges(Kind::Motionless, r.motionless, r);
    SuggestHold(checked, r);
    SuggestCalibration(checked, r);

    r.before = CountOutcome(empty.Entries(), occupied.Entries());
    r.after = CountOutcome(Replay(empty.Entries(), r.current, r.suggested),
                           Replay(occupied.Entries(), r.current, r.suggested));
    return r;
}

TuningResult AnalyseTuning(const uint8_t* empty, size_t emptySize, const uint8_t* occupied, size_t occupiedSize,
                           const radarproto::ModuleParameters& current, const TuningOptions& options) {
    return AnalyseTuning(TrackOf(empty, emptySize), TrackOf(occupied, occupiedSize), current, options);
}

}  // namespace tuning
