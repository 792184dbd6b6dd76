// The simulator's command line: what it was asked to do, read and checked
// before anything is opened.
#pragma once

#include <string>

#include "Module.h"
#include "Scenario.h"
#include "Scene.h"

namespace zuvsim {

struct Settings {
    std::string link, device, scenario = "walk-in", script, scene, readyFile, stopFile, logFile;
    std::string sceneSwitchFile;  // scene mode: another room named in it from the next report
    bool scenarioGiven = false;
    bool loop = true, reporting = false, splitWrites = false, silent = false, exitWithParent = false;
    bool logWallClock = false;
    long long hangupAfter = -1, replyDelayMs = 0, maxRuntimeS = 600, lineRate = 0, frameLimit = -1;
    long long hangupOnCommand = -1, hangupMidReply = -1;
    zuvsim::ModuleOptions module;
};

// Reads the command line into settings and the scenario or, with --scene,
// the scene it names (its loop flag set). -1: go on; otherwise the exit
// status to end with at once (0 after --help, 2 after the complaint and the
// usage on stderr).
int ParseCommandLine(int argc, char** argv, Settings& s, Scenario& scenario, Scene& scene);

// A built-in scene by name, else the scene file of that name; false with
// the problem (naming the file and line) in error.
bool LoadScene(const std::string& nameOrFile, Scene& scene, std::string& error);

// Tells problem and the usage on stderr; the exit status for bad arguments.
int Usage(const std::string& problem);

}  // namespace zuvsim
