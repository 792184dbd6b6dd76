#include "Options.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace zuvsim {
namespace {

const char kUsage[] =
    "usage: zuv_sim (--link PATH | --device PATH) [options]\n"
    "Behaves as the ZUV-3917 module on a serial line (docs/protocol.md).\n"
    "\n"
    "Line:\n"
    "  --link PATH             create a pty (raw) and symlink its slave at PATH;\n"
    "                          a stale link there is replaced; removed on exit\n"
    "  --device PATH           use an existing serial device or pty end instead\n"
    "Module:\n"
    "  --version-text TEXT     firmware version text (default ZUV3917-2.04.261201)\n"
    "  --period MS             report period (default 50)\n"
    "  --scenario NAME         empty | walk-in | stand-still | walk-out | random\n"
    "                          (default walk-in)\n"
    "  --seed N                seed of the random scenario, of scenes and of noise\n"
    "                          (default 1)\n"
    "  --script FILE           scenario from FILE: lines \"state distance duration_ms\",\n"
    "                          # starts a comment\n"
    "  --scene NAME|FILE       a room instead of a scenario: office-empty (a fan at\n"
    "                          350 cm seen as motion now and then), office-occupied\n"
    "                          (the fan and a person sitting still at 150 cm whose\n"
    "                          breathing is missed for 0.2-2.4 s now and then),\n"
    "                          office (empty, walks in, sits 80 s, walks out; 120 s),\n"
    "                          or a scene file (docs/simulator.md). The reports then\n"
    "                          follow the parameters the module holds: a target is\n"
    "                          seen inside its kind's range (cm; moving: motion\n"
    "                          range, still: micro-motion range), presence is held\n"
    "                          the hold time (report periods) after the last\n"
    "                          sighting, moving wins over motionless, the distance\n"
    "                          is the nearest seen plus the distance calibration.\n"
    "                          --seed makes runs repeat; not with --scenario/--script\n"
    "  --no-loop               hold the last step instead of starting over (a scene:\n"
    "                          play it once, time running on)\n"
    "  --reporting             report from power-up (default: wait for 0x10)\n"
    "  --line-rate B           report frames back to back, paced to B bytes per\n"
    "                          second (frames and noise; 25600 is 256000 baud);\n"
    "                          --period then only advances the scenario\n"
    "  --frames N              send N report frames, then keep the line quiet\n"
    "Faults:\n"
    "  --noise N               N random bytes after every report frame\n"
    "  --bad-trailer-every N   every Nth report frame has a broken trailer\n"
    "  --split-writes          write everything in random pieces with 1-3 ms gaps\n"
    "  --silent                never send report frames\n"
    "  --reply-0x73-length N   0x73 reply payload of N bytes (51 or 53)\n"
    "  --status-0x73 S         status S in the 0x73 reply (data still sent)\n"
    "  --refuse-code C         answer write code C with status 0x0005\n"
    "  --hangup-after N        after N report frames remove the link, close the\n"
    "                          line and exit (the port vanishes)\n"
    "  --reply-delay MS        answer commands MS later\n"
    "  --hangup-on-command C   when command code C arrives, hang up as\n"
    "                          --hangup-after does, without answering it\n"
    "  --hangup-mid-reply C    send the first half of the reply to code C,\n"
    "                          then hang up\n"
    "Control:\n"
    "  --ready-file PATH       written (pid, line path) once the line is ready\n"
    "  --stop-file PATH        exit cleanly as soon as PATH exists (checked every 20 ms)\n"
    "  --scene-switch-file PATH\n"
    "                          with --scene: when PATH appears holding a scene\n"
    "                          name or file (write it whole: echo NAME > PATH),\n"
    "                          play that room from the next report, from its\n"
    "                          start and with the draws of --seed as at power-up,\n"
    "                          keeping the parameters the module holds; PATH is\n"
    "                          then removed (a name that is no scene is told on\n"
    "                          stderr and in the log, and the room stays)\n"
    "  --max-runtime SEC       exit after SEC seconds whatever happens (default 600)\n"
    "  --exit-with-parent      exit when the parent process goes away\n"
    "  --log FILE              time-stamped log of every byte block and command\n"
    "  --log-wall-clock        log time stamps as Unix time (s, microseconds), not\n"
    "                          seconds since start: comparable with another clock\n"
    "  --help                  this text\n"
    "SIGTERM, SIGINT and SIGHUP end it cleanly. Exit status: 0 after a clean end\n"
    "(including a hang-up), 1 when the line fails, 2 for bad arguments.\n";

bool ParseNumber(const char* text, long long min, long long max, long long& out) {
    char* end = nullptr;
    errno = 0;
    const long long v = std::strtoll(text, &end, 0);
    if (errno != 0 || end == text || *end != '\0' || v < min || v > max) return false;
    out = v;
    return true;
}

bool ReadFile(const std::string& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    text = all.str();
    return static_cast<bool>(in);
}

}  // namespace

int Usage(const std::string& problem) {
    std::fprintf(stderr, "zuv_sim: %s\n%s", problem.c_str(), kUsage);
    return 2;
}

bool LoadScene(const std::string& nameOrFile, Scene& scene, std::string& error) {
    // A built-in name wins; anything else is a file (./office reads a file of that name).
    if (Scene::Builtin(nameOrFile, scene)) return true;
    std::string text;
    if (ReadFile(nameOrFile, text) && Scene::Parse(text, scene, error)) return true;
    error = nameOrFile + ": " + (error.empty() ? std::string("cannot read") : error);
    return false;
}

int ParseCommandLine(int argc, char** argv, Settings& s, Scenario& scenario, Scene& scene) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&](const char*& out) {
            if (i + 1 >= argc) return false;
            out = argv[++i];
            return true;
        };
        auto number = [&](long long min, long long max, long long& out) {
            const char* v;
            return value(v) && ParseNumber(v, min, max, out);
        };
        const char* v = nullptr;
        long long n = 0;
        bool ok = true;
        if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (a == "--link")
            ok = value(v) && (s.link = v, true);
        else if (a == "--device")
            ok = value(v) && (s.device = v, true);
        else if (a == "--version-text")
            ok = value(v) && (s.module.versionText = v, s.module.versionText.size() <= 1000);
        else if (a == "--period")
            ok = number(1, 60000, n) && (s.module.periodMs = static_cast<uint32_t>(n), true);
        else if (a == "--scenario")
            ok = value(v) && (s.scenario = v, s.scenarioGiven = true);
        else if (a == "--scene")
            ok = value(v) && (s.scene = v, !s.scene.empty());
        else if (a == "--seed")
            ok = number(0, INT64_MAX, n) && (s.module.seed = static_cast<uint64_t>(n), true);
        else if (a == "--script")
            ok = value(v) && (s.script = v, true);
        else if (a == "--no-loop")
            s.loop = false;
        else if (a == "--reporting")
            s.reporting = true;
        else if (a == "--line-rate")
            ok = number(1, 100000000, s.lineRate);
        else if (a == "--frames")
            ok = number(0, INT64_MAX, s.frameLimit);
        else if (a == "--log-wall-clock")
            s.logWallClock = true;
        else if (a == "--noise")
            ok = number(0, 1000, n) && (s.module.noisePerFrame = static_cast<uint32_t>(n), true);
        else if (a == "--bad-trailer-every")
            ok = number(1, 1000000, n) && (s.module.badTrailerEvery = static_cast<uint32_t>(n), true);
        else if (a == "--split-writes")
            s.splitWrites = true;
        else if (a == "--silent")
            s.silent = true;
        else if (a == "--reply-0x73-length")
            ok = number(0, 1024, n) && (s.module.reply73Length = static_cast<size_t>(n), true);
        else if (a == "--status-0x73")
            ok = number(0, 0xFFFF, n) && (s.module.status73 = static_cast<uint16_t>(n), true);
        else if (a == "--refuse-code")
            ok = number(0, 0xFFFF, n) && (s.module.refuseCode = static_cast<int>(n), true);
        else if (a == "--hangup-after")
            ok = number(0, INT64_MAX, s.hangupAfter);
        else if (a == "--reply-delay")
            ok = number(0, 60000, s.replyDelayMs);
        else if (a == "--hangup-on-command")
            ok = number(0, 0xFFFF, s.hangupOnCommand);
        else if (a == "--hangup-mid-reply")
            ok = number(0, 0xFFFF, s.hangupMidReply);
        else if (a == "--ready-file")
            ok = value(v) && (s.readyFile = v, true);
        else if (a == "--stop-file")
            ok = value(v) && (s.stopFile = v, true);
        else if (a == "--scene-switch-file")
            ok = value(v) && (s.sceneSwitchFile = v, !s.sceneSwitchFile.empty());
        else if (a == "--max-runtime")
            ok = number(1, 86400, s.maxRuntimeS);
        else if (a == "--exit-with-parent")
            s.exitWithParent = true;
        else if (a == "--log")
            ok = value(v) && (s.logFile = v, true);
        else
            return Usage("unknown option " + a);
        if (!ok) return Usage("bad or missing value for " + a);
    }
    if (s.link.empty() == s.device.empty()) return Usage("give exactly one of --link and --device");

    if (!s.scene.empty()) {
        if (s.scenarioGiven || !s.script.empty()) return Usage("--scene goes without --scenario and --script");
        std::string error;
        if (!LoadScene(s.scene, scene, error)) return Usage(error);
        scene.loop = s.loop;
    } else if (!s.sceneSwitchFile.empty()) {
        return Usage("--scene-switch-file goes with --scene");
    } else if (!s.script.empty()) {
        std::string text, error;
        if (!ReadFile(s.script, text) || !Scenario::Parse(text, scenario, error))
            return Usage(s.script + ": " + (error.empty() ? std::string("cannot read") : error));
    } else if (!Scenario::Builtin(s.scenario, s.module.seed, scenario)) {
        return Usage("unknown scenario " + s.scenario);
    }
    scenario.loop = s.loop;
    return -1;
}

}  // namespace zuvsim
