// The tuning loop on the host, with the real programs: the simulated module in
// the empty office and then with the person at the desk (one module, switched
// between rooms), 30 s of each recorded by zuv_cfg, tuned by zuv_rec, the
// suggestion written back by zuv_cfg, and both rooms recorded and judged
// again. A switch plays the room from its start with the seed's draws, so the
// second pass sees the rooms of the first under the new values.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "SimProcess.h"

using namespace testsupport;

namespace {

const char kSpells[] = "false presence spells in the empty room";
const char kDepartures[] = "false departures with the person there";

// "LABEL: BEFORE -> AFTER" in tune's prediction; -1 for what is not there.
std::pair<int, int> Prediction(const std::string& tuneOutput, const std::string& label) {
    std::pair<int, int> counts{-1, -1};
    const size_t at = tuneOutput.find("  " + label + ": ");
    if (at != std::string::npos)
        std::sscanf(tuneOutput.c_str() + at + label.size() + 4, "%d -> %d", &counts.first, &counts.second);
    return counts;
}

class TuningLoop : public ::testing::Test {
protected:
    // Runs a program to its end; its stdout (the test fails unless it exited 0).
    std::string Run(const std::vector<std::string>& argv) {
        ChildProcess run(argv, dir.Path() + "/run" + std::to_string(++runs));
        EXPECT_EQ(run.Wait(std::chrono::seconds(300)), 0) << argv[0] << " " << argv[1] << ": " << run.Err();
        return run.Out();
    }
    std::string Cfg(const std::vector<std::string>& args) {
        std::vector<std::string> argv = {ZUV_CFG_PATH, "--port", sim.Link()};
        argv.insert(argv.end(), args.begin(), args.end());
        return Run(argv);
    }
    // The module into room from its next report; taken once the file is gone.
    void Enter(const std::string& room) {
        ASSERT_TRUE(WriteFile(switchFile + ".tmp", room + "\n"));
        ASSERT_EQ(std::rename((switchFile + ".tmp").c_str(), switchFile.c_str()), 0);
        ASSERT_TRUE(WaitFor([&] { return !std::ifstream(switchFile); })) << sim.Log();
    }
    std::string Record(const std::string& name) {
        const std::string file = dir.Path() + "/" + name + ".dat";
        Cfg({"record", "--seconds", "30", "-o", file});
        return file;
    }

    ScratchDir dir;
    int runs = 0;
    const std::string switchFile = dir.Path() + "/room";
    // Seed 1 gives false presence (the fan) and false departures (missed
    // breathing) in the first 30 s of each room at factory values.
    SimProcess sim{
        ZUV_SIM_PATH,
        dir.Path(),
        "tty",
        {"--scene", "office-empty", "--seed", "1", "--scene-switch-file", switchFile, "--max-runtime", "900"}};
};

}  // namespace

TEST_F(TuningLoop, TunedValuesWrittenToTheModuleRemoveTheFaultsAsPredicted) {
    ASSERT_TRUE(sim.Started()) << sim.Problem();
    const std::string empty = Record("empty");
    Enter("office-occupied");
    const std::string occupied = Record("occupied");
    const std::string tuned = dir.Path() + "/tuned.xml";
    const std::string first = Run({ZUV_REC_PATH, "tune", empty, occupied, "--profile", tuned});
    const auto spells = Prediction(first, kSpells), departures = Prediction(first, kDepartures);
    EXPECT_GT(spells.first, 0) << first;
    EXPECT_GT(departures.first, 0) << first;
    EXPECT_EQ(spells.second, 0) << first;
    EXPECT_EQ(departures.second, 0) << first;

    EXPECT_NE(Cfg({"write", tuned}).find("all 18 parameters match"), std::string::npos);
    Enter("office-empty");
    const std::string emptyAgain = Record("empty-again");
    Enter("office-occupied");
    const std::string occupiedAgain = Record("occupied-again");
    const std::string second = Run({ZUV_REC_PATH, "tune", emptyAgain, occupiedAgain, "--params", tuned});
    EXPECT_EQ(Prediction(second, kSpells), std::make_pair(0, 0)) << second;
    EXPECT_EQ(Prediction(second, kDepartures), std::make_pair(0, 0)) << second;
    EXPECT_NE(second.find("none: the recordings show nothing these settings can remove"), std::string::npos) << second;
}
