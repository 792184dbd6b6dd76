// Scene mode: the simulated module's reports follow the parameters it holds.
// Driven as a host drives it (commands in, report frames out), no line.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "Module.h"
#include "Scene.h"
#include "SimModuleSupport.h"

using namespace radarproto;
using namespace zuvsim;
using testsupport::ParameterWrite;

namespace {

Scene SceneOf(const std::string& nameOrText) {
    Scene scene;
    std::string error;
    if (!Scene::Builtin(nameOrText, scene)) {
        EXPECT_TRUE(Scene::Parse(nameOrText, scene, error)) << error;
    }
    return scene;
}

// The ranges and hold time (motion max, min, micro-motion max, min, hold).
ParameterWrite General(uint32_t motionMax, uint32_t motionMin, uint32_t stillMax, uint32_t stillMin, uint32_t hold) {
    return {kWriteGeneral, {{0, motionMax}, {1, motionMin}, {2, stillMax}, {3, stillMin}, {4, hold}}};
}
ParameterWrite Factory() { return General(717, 30, 425, 30, 20); }
ParameterWrite Hold(uint32_t periods) { return {kWriteGeneral, {{4, periods}}}; }
ParameterWrite Calibration(int32_t cm) { return {kWriteCalibration, {{0, static_cast<uint32_t>(cm)}}}; }

struct ReportCase {
    const char* what;
    const char* scene;
    std::vector<std::pair<size_t, ParameterWrite>> writes;  // before the report of that index
    const char* reports;                                    // "state/distance" each period
};

}  // namespace

TEST(SceneReports, RangesHoldCalibrationAndWritesFromTheNextReportOn) {
    const ReportCase cases[] = {
        {"micro-motion range's start counts", "still 30\nstill 425", {}, "2/30"},
        {"micro-motion range's end counts", "still 30\nstill 425", {{0, General(717, 30, 425, 100, 20)}}, "2/425"},
        {"still, outside the micro-motion range", "still 29\nstill 426", {}, "0/0 0/0"},
        {"a still target is not gated by the motion range", "still 150", {{0, General(100, 30, 425, 30, 20)}}, "2/150"},
        {"walking, 500 to 150 cm: seen from the motion range's end",
         "walk 500 100 until 400",
         {{0, General(300, 30, 425, 30, 20)}},
         "0/0 0/0 0/0 0/0 1/300 1/250 1/200 1/150"},
        {"walking past the motion range's start: held, then gone",
         "walk 500 100 until 400",
         {{0, General(717, 400, 425, 30, 2)}},
         "1/500 1/450 1/400 2/400 2/400 0/0 0/0 0/0"},
        {"hold time in report periods", "still 150 until 100", {{0, Hold(3)}}, "2/150 2/150 2/150 2/150 2/150 0/0 0/0"},
        {"moving wins, the nearest distance", "still 150\nwalk 300 300 until 1000", {}, "1/150 1/150"},
        {"nearest of what is seen",
         "still 150\nwalk 300 300 until 1000",
         {{0, General(717, 30, 425, 200, 20)}},
         "1/300"},
        {"calibration added", "still 150", {{0, Calibration(-20)}}, "2/130"},
        {"calibration clamped high", "still 150", {{0, Calibration(70000)}}, "2/65535"},
        {"calibration clamped low", "still 150", {{0, Calibration(-500)}}, "2/0"},
        {"nobody is 0 whatever the calibration", "still 150 from 50", {{0, Calibration(25)}}, "0/0 2/175"},
        {"a write changes the next report", "still 150", {{2, Calibration(25)}}, "2/150 2/150 2/175 2/175"},
        {"restored defaults give factory behaviour",
         "still 150",
         {{0, General(717, 30, 100, 30, 20)}, {0, Calibration(40)}, {2, Factory()}, {2, Calibration(0)}},
         "0/0 0/0 2/150"},
        {"a miss of 2 periods, then a pause before the next",
         "still 150 miss 1 100 100",
         {{0, Hold(0)}},
         "0/0 0/0 2/150 0/0 0/0 2/150"},
        {"bursts of clutter seen as motion", "clutter 300 burst 1 50 50", {{0, Hold(0)}}, "1/300 0/0 1/300 0/0"},
        {"a scene with a length starts over", "length 100\nstill 150 until 50", {{0, Hold(0)}}, "2/150 0/0 2/150 0/0"},
    };
    for (const ReportCase& c : cases) {
        Module module = testsupport::SceneModule(SceneOf(c.scene));
        std::string reports;
        const size_t count = std::count(c.reports, c.reports + std::strlen(c.reports), ' ') + 1;
        for (size_t i = 0; i < count; ++i) {
            for (const auto& w : c.writes)
                EXPECT_TRUE(w.first != i || testsupport::ModuleWrite(module, w.second) == kStatusOk) << c.what;
            reports += (i ? " " : "") + testsupport::PlayReports(module, 1).text;
        }
        EXPECT_EQ(reports, c.reports) << c.what;
    }
}

TEST(SceneReports, SameSeedAndWritesGiveTheSameBytes) {
    const Scene office = SceneOf("office-occupied");
    auto run = [&](uint64_t seed, size_t writeAt) {
        Module module = testsupport::SceneModule(office, seed);
        std::vector<uint8_t> bytes = testsupport::PlayReports(module, writeAt).bytes;
        testsupport::ModuleWrite(module, General(300, 30, 425, 30, 48));
        const std::vector<uint8_t> after = testsupport::PlayReports(module, 3000 - writeAt).bytes;
        bytes.insert(bytes.end(), after.begin(), after.end());
        return bytes;
    };
    const std::vector<uint8_t> first = run(7, 1500);
    ASSERT_EQ(first.size(), 3000 * kReportSize);
    EXPECT_EQ(run(7, 1500), first);
    EXPECT_NE(run(8, 1500), first) << "another seed, other misses";
    EXPECT_NE(run(7, 1000), first) << "the write at another report";
}

// A switch plays the new room from its start with the parameters held and
// nothing held over from the old room (the sitter's presence there): the same
// bytes as a module in the new room from power-up with the same writes.
TEST(SceneReports, ASwitchedRoomStartsOverWithTheParametersHeld) {
    const Scene office = SceneOf("office-empty");
    Module fresh = testsupport::SceneModule(office, 7), switched = testsupport::SceneModule(SceneOf("still 150"), 7);
    for (Module* m : {&fresh, &switched}) testsupport::ModuleWrite(*m, General(717, 30, 425, 30, 48));
    testsupport::PlayReports(switched, 700);
    ASSERT_TRUE(switched.SwitchScene(office));
    EXPECT_EQ(testsupport::PlayReports(switched, 3000).bytes, testsupport::PlayReports(fresh, 3000).bytes);
    Module scenario(ModuleOptions{}, Scenario{});
    EXPECT_FALSE(scenario.SwitchScene(office)) << "a scenario has no room to switch";
}

TEST(SceneReports, OfficeFaultsAndTheSettingsThatRemoveThem) {
    struct FaultCase {
        const char* scene;
        const char* settings;
        std::vector<ParameterWrite> writes;
        bool falsePresence, falseDepartures;
    };
    const FaultCase cases[] = {
        // Factory: the fan at 350 cm lies in the motion range, misses of up to
        // 2.4 s outlast the 1 s hold.
        {"office-empty", "factory", {}, true, false},
        {"office-empty", "motion max 350", {General(350, 30, 425, 30, 20)}, true, false},
        {"office-empty", "motion max 349", {General(349, 30, 425, 30, 20)}, false, false},
        {"office-occupied", "factory", {}, false, true},
        {"office-occupied", "hold 47", {Hold(47)}, false, true},
        {"office-occupied", "hold 48", {Hold(48)}, false, false},
        {"office", "factory", {}, true, true},
        {"office", "motion max 349, hold 48", {General(349, 30, 425, 30, 48)}, false, false},
        {"office", "motion max 300, still max 300, hold 60", {General(300, 30, 300, 30, 60)}, false, false},
    };
    for (const FaultCase& c : cases) {
        for (uint64_t seed : {1, 2}) {
            Module module = testsupport::SceneModule(SceneOf(c.scene), seed);
            for (const ParameterWrite& w : c.writes) testsupport::ModuleWrite(module, w);
            const FaultCount f = testsupport::PlayReports(module, 24000).faults;  // 20 minutes
            const std::string what = std::string(c.scene) + ", " + c.settings + ", seed " + std::to_string(seed);
            EXPECT_EQ(f.falsePresence > 0, c.falsePresence) << what << ": " << f.falsePresence;
            EXPECT_EQ(f.falseDepartures > 0, c.falseDepartures) << what << ": " << f.falseDepartures;
            if (std::string(c.scene) == "office-empty" && !c.falsePresence) {
                EXPECT_EQ(f.presentReports, 0u) << what;
            }
        }
    }
}

TEST(SceneFiles, ErrorsNameTheLine) {
    const std::pair<const char*, const char*> cases[] = {
        {"still\n", "line 1: expected \"still DISTANCE_CM"},
        {"# door\nstill 150\nwalk 500 150\n", "line 3: expected \"walk FROM_CM TO_CM"},
        {"clutter 350 miss 1 1 1\n", "line 1: expected \"clutter"},
        {"still 70000\n", "line 1: \"70000\" is not a number from 0 to 65535"},
        {"still 150 miss 6000 300 200\n", "line 1: \"200\" is not a number from 300"},
        {"still 150 from 500 until 100\n", "line 1: from must come before until"},
        {"length 1000\n\nstill 150 until 2000\n", "line 3: from and until must lie within the length (1000 ms)"},
        {"still 150\nlength 0\n", "line 2: expected \"length MS\""},
        {"sofa 100\n", "line 1: unknown word \"sofa\""},
        {"# nothing here\n", "the scene has no targets"},
    };
    for (const auto& c : cases) {
        Scene scene;
        std::string error;
        EXPECT_FALSE(Scene::Parse(c.first, scene, error)) << c.first;
        EXPECT_EQ(error.rfind(c.second, 0), 0u) << c.first << " gave: " << error;
    }
    Scene scene;
    std::string error;
    ASSERT_TRUE(Scene::Parse("length 9000 # ms\r\nwalk 500 150 from 1000 until 3000\nclutter 350 burst 100 1 2\n",
                             scene, error))
        << error;
    EXPECT_EQ(scene.TimeAt(9100), 100u);
    scene.loop = false;
    EXPECT_EQ(scene.TimeAt(9100), 9100u);
    EXPECT_FALSE(Scene::Builtin("kitchen", scene));
}
