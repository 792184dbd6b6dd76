// The tuning analysis on hand-made recordings: one row per room, at a report
// period of one second (20 reports make the shortest recording judged) and the
// factory parameters (motion 30-717 cm, motionless 30-425 cm, hold 20).
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "Detection.h"
#include "ReplaySupport.h"
#include "Scene.h"
#include "Tuning.h"
#include "TuningText.h"

namespace {

using tuning::Setting;
using tuning::TuningProblem;

struct Run {
    uint8_t state;
    uint16_t distance;
    int count;
};

struct Change {
    Setting setting;
    int32_t to;
};

struct Row {
    const char* room;
    std::vector<Run> empty, occupied;
    int32_t trueDistance;  // -1: not given
    TuningProblem problem;
    std::vector<Change> changes;                 // exactly these suggestions
    uint64_t spellsBefore, spellsAfter;          // false presence spells, empty room
    uint64_t departuresBefore, departuresAfter;  // false departures, occupied room
    const char* textHas;                         // in the formatted report (or the problem's line)
};

std::vector<uint8_t> Build(const std::vector<Run>& runs) {
    testsupport::RecordingBuilder builder;
    for (const Run& run : runs) builder.Run(run.state, run.distance, run.count);
    if (runs.empty()) builder.Noise(100);
    return builder.Bytes();
}

const std::vector<Run> kStill = {{2, 150, 90}};  // the person at 150 cm, seen throughout
const std::vector<Run> kQuiet = {{0, 0, 90}};

// clang-format off
const Row kRows[] = {
    {"far moving clutter lowers the motion range's end", {{0, 0, 40}, {1, 600, 5}, {0, 0, 45}}, kStill, -1,
     TuningProblem::None, {{Setting::MotionRangeMax, 550}}, 1, 0, 0, 0, "nMotionRangeMax: 717 -> 550"},
    {"near motionless clutter raises the motionless range's start", {{0, 0, 40}, {2, 40, 3}, {0, 0, 47}}, kStill, -1,
     TuningProblem::None, {{Setting::MotionlessRangeMin, 90}}, 1, 0, 0, 0, "nMotionlessRangeMin: 30 -> 90"},
    {"a moving source's hold, shown as motionless, goes with it", {{0, 0, 40}, {1, 400, 5}, {2, 400, 20}, {0, 0, 25}},
     kStill, -1, TuningProblem::None, {{Setting::MotionRangeMax, 350}}, 1, 0, 0, 0, "nMotionRangeMax: 717 -> 350"},
    {"clutter among the person's distances is only told", {{0, 0, 40}, {2, 160, 4}, {0, 0, 46}}, kStill, -1,
     TuningProblem::None, {}, 1, 1, 0, 0, "ranges cannot remove it"},
    {"a longer hold bridges the gaps and merges the empty room's spells",
     {{0, 0, 40}, {2, 160, 4}, {0, 0, 8}, {2, 160, 4}, {0, 0, 34}}, {{2, 150, 30}, {0, 0, 5}, {2, 150, 55}}, -1,
     TuningProblem::None, {{Setting::OffTime, 28}}, 2, 1, 1, 0, "nobody is reported 28.000 s after a person leaves"},
    {"a gap the cap cannot bridge is told, not bridged", kQuiet, {{2, 150, 20}, {0, 0, 45}, {2, 150, 25}}, -1,
     TuningProblem::None, {}, 0, 0, 1, 1, "a person who really left"},
    {"a hold held at the cap", kQuiet, {{2, 150, 20}, {0, 0, 38}, {2, 150, 32}}, -1,
     TuningProblem::None, {{Setting::OffTime, 60}}, 0, 0, 1, 0, "held at the cap of 60.000 s"},
    {"a true distance gives the calibration; ranges stay in distances before it",
     {{0, 0, 40}, {1, 600, 5}, {0, 0, 45}}, kStill, 170, TuningProblem::None,
     {{Setting::MotionRangeMax, 550}, {Setting::Calibration, 20}}, 1, 0, 0, 0, "nDistanceCalibration: 0 -> 20"},
    {"swapped recordings", {{2, 150, 90}}, kQuiet, -1, TuningProblem::Swapped, {}, 0, 0, 0, 0, "other way round"},
    {"an empty room present throughout", {{1, 300, 90}}, kStill, -1, TuningProblem::EmptyAlwaysPresent, {},
     0, 0, 0, 0, "really empty"},
    {"an occupied room never present", kQuiet, kQuiet, -1, TuningProblem::OccupiedNeverPresent, {},
     0, 0, 0, 0, "never shows presence"},
    {"no frames in the empty room's recording", {}, kStill, -1, TuningProblem::EmptyHasNoFrames, {},
     0, 0, 0, 0, "no report frame"},
    {"no frames in the occupied room's recording", kQuiet, {}, -1, TuningProblem::OccupiedHasNoFrames, {},
     0, 0, 0, 0, "no report frame"},
    {"too short to judge", {{0, 0, 19}}, kStill, -1, TuningProblem::EmptyTooShort, {},
     0, 0, 0, 0, "lasts 19.000 s; at least 20.000 s"},
    {"the occupied one too short", kQuiet, {{2, 150, 19}}, -1, TuningProblem::OccupiedTooShort, {},
     0, 0, 0, 0, "occupied room's recording lasts 19.000 s"},
    {"the shortest judged", {{0, 0, 10}, {1, 600, 2}, {0, 0, 8}}, {{2, 150, 20}}, -1, TuningProblem::None,
     {{Setting::MotionRangeMax, 550}}, 1, 0, 0, 0, "nMotionRangeMax: 717 -> 550"},
};
// clang-format on

TEST(Tuning, EachRoomGivesItsFindingsSuggestionsAndPrediction) {
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.room);
        const std::vector<uint8_t> empty = Build(row.empty), occupied = Build(row.occupied);
        tuning::TuningOptions options;
        options.periodMs = 1000;
        options.hasTrueDistance = row.trueDistance >= 0;
        options.trueDistanceCm = row.trueDistance;
        const radarproto::ModuleParameters factory;
        const tuning::TuningResult r =
            tuning::AnalyseTuning(empty.data(), empty.size(), occupied.data(), occupied.size(), factory, options);

        ASSERT_EQ(row.problem, r.problem);
        if (r.problem != TuningProblem::None) {
            EXPECT_TRUE(r.suggestions.empty());
            EXPECT_NE(std::string::npos, tuning::DescribeProblem(r, 1000).find(row.textHas))
                << tuning::DescribeProblem(r, 1000);
            continue;
        }
        ASSERT_EQ(row.changes.size(), r.suggestions.size());
        for (size_t i = 0; i < row.changes.size(); ++i) {
            EXPECT_EQ(row.changes[i].setting, r.suggestions[i].setting) << i;
            EXPECT_EQ(row.changes[i].to, r.suggestions[i].to) << i;
        }
        EXPECT_EQ(row.spellsBefore, r.before.falsePresenceSpells);
        EXPECT_EQ(row.spellsAfter, r.after.falsePresenceSpells);
        EXPECT_EQ(row.departuresBefore, r.before.falseDepartures);
        EXPECT_EQ(row.departuresAfter, r.after.falseDepartures);
        // Never a range edge inside the person's distances.
        for (const tuning::Suggestion& s : r.suggestions) {
            if (s.setting == Setting::MotionRangeMin || s.setting == Setting::MotionlessRangeMin) {
                EXPECT_LE(s.to, r.personLow - r.current.distanceCalibration);
            }
            if (s.setting == Setting::MotionRangeMax || s.setting == Setting::MotionlessRangeMax) {
                EXPECT_GE(s.to, r.personHigh - r.current.distanceCalibration);
            }
        }
        const std::string text = tuning::FormatTuning(r, 1000);
        EXPECT_NE(std::string::npos, text.find(row.textHas)) << text;
    }
}

TEST(Tuning, FindingsListEachSpellAndGapWithItsPlace) {
    const std::vector<uint8_t> empty = Build({{0, 0, 40}, {1, 600, 2}, {2, 610, 3}, {0, 0, 45}});
    const std::vector<uint8_t> occupied = Build({{2, 140, 5}, {2, 150, 45}, {2, 160, 45}, {2, 200, 5}, {0, 0, 4}});
    tuning::TuningOptions options;
    options.periodMs = 1000;
    const tuning::TuningResult r = tuning::AnalyseTuning(empty.data(), empty.size(), occupied.data(), occupied.size(),
                                                         radarproto::ModuleParameters(), options);
    ASSERT_EQ(TuningProblem::None, r.problem);
    ASSERT_EQ(2u, r.spells.size());
    EXPECT_EQ(tuning::Kind::Moving, r.spells[0].kind);
    EXPECT_EQ(40u, r.spells[0].start);
    EXPECT_EQ(tuning::Kind::Motionless, r.spells[1].kind);
    EXPECT_EQ(3u, r.spells[1].length);
    EXPECT_EQ(610, r.spells[1].nearest);
    ASSERT_EQ(1u, r.gaps.size());
    EXPECT_TRUE(r.gaps[0].atEnd);
    EXPECT_EQ(4u, r.gaps[0].length);
    EXPECT_EQ(140, r.person5);
    EXPECT_EQ(150, r.person50);
    EXPECT_EQ(160, r.person95);  // nearest rank: the 95th of 100 distances
}

// The simulated office (a fan at 350 cm, a person at 150 cm whose stillness
// is missed now and then): ten minutes of each room tuned, then an hour of
// each with the suggested values and another seed has neither fault.
TEST(Tuning, SuggestionsForTheSimulatedOfficeRemoveBothFaults) {
    auto record = [](const char* name, uint64_t seed, const radarproto::ModuleParameters& p, int reports,
                     zuvsim::FaultCount* faults) {
        zuvsim::Scene scene;
        EXPECT_TRUE(zuvsim::Scene::Builtin(name, scene));
        zuvsim::ScenePlayer player(scene, seed, 50);
        zuvsim::Detector module;
        tuning::ReportTrack track;
        for (int i = 0; i < reports; ++i) {
            const radarproto::Report r = module.Next(player.Next(), p);
            track.OnReport({static_cast<uint64_t>(i), 0, r.state, r.distance});
            if (faults) faults->Add(r.state, player.Occupied());
        }
        return track;
    };
    const radarproto::ModuleParameters factory;
    const tuning::TuningResult r =
        tuning::AnalyseTuning(record("office-empty", 1, factory, 12000, nullptr),
                              record("office-occupied", 1, factory, 12000, nullptr), factory, tuning::TuningOptions());
    ASSERT_EQ(TuningProblem::None, r.problem);
    EXPECT_GT(r.before.falsePresenceSpells, 0u);
    EXPECT_GT(r.before.falseDepartures, 0u);
    EXPECT_EQ(0u, r.after.falsePresenceSpells);
    EXPECT_EQ(0u, r.after.falseDepartures);
    zuvsim::FaultCount empty, occupied;
    record("office-empty", 2, r.suggested, 72000, &empty);
    record("office-occupied", 2, r.suggested, 72000, &occupied);
    EXPECT_EQ(0u, empty.falsePresence);
    EXPECT_EQ(0u, occupied.falseDepartures);
    EXPECT_EQ(occupied.reports, occupied.presentReports);
}

TEST(Tuning, ARecordingBeyondWhatATrackKeepsIsToldNotJudged) {
    const std::vector<uint8_t> bytes = Build({{2, 150, 100}});
    tuning::ReportTrack small(99), whole;
    recording::RecordingScanner smallScanner(small), wholeScanner(whole);
    smallScanner.Feed(bytes.data(), bytes.size());
    wholeScanner.Feed(bytes.data(), bytes.size());
    EXPECT_EQ(99u, small.Size());
    tuning::TuningOptions options;
    options.periodMs = 1000;
    const tuning::TuningResult r = tuning::AnalyseTuning(whole, small, radarproto::ModuleParameters(), options);
    EXPECT_EQ(TuningProblem::TooLong, r.problem);
    EXPECT_NE(std::string::npos, tuning::DescribeProblem(r, 1000).find("more than 20000000 reports"));
}

}  // namespace
