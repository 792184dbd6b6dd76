#include "TuningText.h"

#include <cstdarg>
#include <cstdio>

#include "RecordingReports.h"

namespace tuning {

namespace {

// Spells and gaps listed one a line at most; the rest are counted.
constexpr size_t kListed = 20;

std::string Seconds(uint64_t reports, uint32_t periodMs) { return recording::FormatSeconds(reports * periodMs); }

std::string Printf(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Printf(const char* format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

unsigned long long Count(uint64_t n) { return static_cast<unsigned long long>(n); }

const char* KindName(Kind kind) { return kind == Kind::Moving ? "moving" : "motionless"; }

std::string ReasonText(const Suggestion& s, uint32_t periodMs) {
    const long long a = s.a, b = s.b;
    switch (s.reason) {
    case Reason::NearClutter:
        return Printf("presence in the empty room reached out to %lld cm, nearer than the person (from %lld cm).", a,
                      b);
    case Reason::FarClutter:
        return Printf("presence in the empty room began at %lld cm, farther than the person (up to %lld cm).", a, b);
    case Reason::BridgeGaps:
    case Reason::BridgeGapsCapped: {
        std::string text = Printf(
            "bridges the longest false departure (%llu periods, %s s) with a margin of %lld "
            "periods; the cost: nobody is reported %s s after a person leaves",
            static_cast<unsigned long long>(a), Seconds(a, periodMs).c_str(), b, Seconds(s.to, periodMs).c_str());
        if (s.reason == Reason::BridgeGapsCapped)
            text += Printf(" (held at the cap of %s s, so the margin is shorter)",
                           recording::FormatSeconds(kHoldCapMs).c_str());
        return text + ".";
    }
    case Reason::Calibration:
        return Printf("the person stood at %lld cm and the module reported a median of %lld cm.", a, b);
    }
    return {};
}

std::string NoticeText(const tuning::Notice& n, uint32_t periodMs) {
    switch (n.kind) {
    case NoticeKind::ClutterAmongPerson:
        return Printf(
            "%s presence in the empty room at %lld-%lld cm lies among the person's distances: ranges "
            "cannot remove it; move the module or the source.",
            KindName(n.presence), static_cast<long long>(n.a), static_cast<long long>(n.b));
    case NoticeKind::GapBeyondCap:
        return Printf(
            "the departure at %s s lasting %s s is longer than a hold of at most %s s bridges: a person "
            "who really left, or a place the module cannot see; not bridged.",
            Seconds(n.b, periodMs).c_str(), Seconds(n.a, periodMs).c_str(),
            recording::FormatSeconds(kHoldCapMs).c_str());
    }
    return {};
}

}  // namespace

const char* SettingKey(Setting setting) {
    switch (setting) {
    case Setting::MotionRangeMin: return "nMotionRangeMin";
    case Setting::MotionRangeMax: return "nMotionRangeMax";
    case Setting::MotionlessRangeMin: return "nMotionlessRangeMin";
    case Setting::MotionlessRangeMax: return "nMotionlessRangeMax";
    case Setting::OffTime: return "nOffTime";
    case Setting::Calibration: return "nDistanceCalibration";
    }
    return "";
}

std::string DescribeProblem(const TuningResult& r, uint32_t periodMs) {
    const std::string least = recording::FormatSeconds(kMinRecordingMs);
    switch (r.problem) {
    case TuningProblem::None: return {};
    case TuningProblem::EmptyHasNoFrames: return "the empty room's recording holds no report frame";
    case TuningProblem::OccupiedHasNoFrames: return "the occupied room's recording holds no report frame";
    case TuningProblem::EmptyTooShort:
        return "the empty room's recording lasts " + Seconds(r.emptyReports, periodMs) + " s; at least " + least +
               " s are needed to judge it";
    case TuningProblem::OccupiedTooShort:
        return "the occupied room's recording lasts " + Seconds(r.occupiedReports, periodMs) + " s; at least " + least +
               " s are needed to judge it";
    case TuningProblem::TooLong:
        return "a recording holds more than " + std::to_string(ReportTrack::kMaxReports) +
               " reports; cut it to the part that matters";
    case TuningProblem::Swapped:
        return "the empty room's recording shows presence all the time and the occupied one never: were they "
               "given the other way round?";
    case TuningProblem::EmptyAlwaysPresent:
        return "the empty room's recording shows presence in every report: was the room really empty (or were "
               "the recordings swapped)?";
    case TuningProblem::OccupiedNeverPresent:
        return "the occupied room's recording never shows presence: was the person in the module's view (or were "
               "the recordings swapped)?";
    }
    return {};
}

std::string FormatTuning(const TuningResult& r, uint32_t periodMs) {
    std::string out;
    out += "empty room: " + std::to_string(r.emptyReports) + " reports, " + Seconds(r.emptyReports, periodMs) + " s\n";
    out += "occupied room: " + std::to_string(r.occupiedReports) + " reports, " + Seconds(r.occupiedReports, periodMs) +
           " s\n\n";

    uint64_t moving = 0;
    for (const PresenceSpell& s : r.spells) moving += s.kind == Kind::Moving ? 1 : 0;
    out +=
        Printf("false presence in the empty room: %llu spells (%llu moving, %llu motionless)\n", Count(r.spells.size()),
               static_cast<unsigned long long>(moving), static_cast<unsigned long long>(r.spells.size() - moving));
    for (size_t i = 0; i < r.spells.size() && i < kListed; ++i) {
        const PresenceSpell& s = r.spells[i];
        const std::string where =
            s.nearest == s.farthest ? Printf("%u cm", s.nearest) : Printf("%u-%u cm", s.nearest, s.farthest);
        out += Printf("  %-10s at %s s for %s s, %s\n", KindName(s.kind), Seconds(s.start, periodMs).c_str(),
                      Seconds(s.length, periodMs).c_str(), where.c_str());
    }
    if (r.spells.size() > kListed) out += Printf("  ... and %llu more\n", Count(r.spells.size() - kListed));

    out += Printf("false departures with the person there: %llu\n", Count(r.gaps.size()));
    for (size_t i = 0; i < r.gaps.size() && i < kListed; ++i) {
        const Gap& g = r.gaps[i];
        out += Printf("  at %s s for %s s (%llu periods)%s\n", Seconds(g.start, periodMs).c_str(),
                      Seconds(g.length, periodMs).c_str(), static_cast<unsigned long long>(g.length),
                      g.atEnd ? ", until the end of the recording" : "");
    }
    if (r.gaps.size() > kListed) out += Printf("  ... and %llu more\n", Count(r.gaps.size() - kListed));

    out += Printf(
        "person's distance over %llu presence reports: 5%% %u cm, median %u cm, 95%% %u cm (kept free of "
        "range cuts: %d-%d cm)\n\n",
        static_cast<unsigned long long>(r.personReports), r.person5, r.person50, r.person95, r.personLow, r.personHigh);

    out += "suggestions:\n";
    if (r.suggestions.empty()) out += "  none: the recordings show nothing these settings can remove\n";
    for (const Suggestion& s : r.suggestions)
        out += Printf("  %s: %d -> %d: ", SettingKey(s.setting), s.from, s.to) + ReasonText(s, periodMs) + "\n";
    if (!r.notices.empty()) out += "notes:\n";
    for (const tuning::Notice& n : r.notices) out += "  " + NoticeText(n, periodMs) + "\n";

    out += "\npredicted with the suggested values (a model, see docs/tuning.md; record again to verify):\n";
    out += Printf("  false presence spells in the empty room: %llu -> %llu (present %s s -> %s s)\n",
                  static_cast<unsigned long long>(r.before.falsePresenceSpells),
                  static_cast<unsigned long long>(r.after.falsePresenceSpells),
                  Seconds(r.before.falsePresenceReports, periodMs).c_str(),
                  Seconds(r.after.falsePresenceReports, periodMs).c_str());
    out += Printf("  false departures with the person there: %llu -> %llu (nobody %s s -> %s s)\n",
                  static_cast<unsigned long long>(r.before.falseDepartures),
                  static_cast<unsigned long long>(r.after.falseDepartures),
                  Seconds(r.before.nobodyReports, periodMs).c_str(), Seconds(r.after.nobodyReports, periodMs).c_str());
    return out;
}

}  // namespace tuning
