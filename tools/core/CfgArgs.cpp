#include "CfgArgs.h"

#include <cerrno>
#include <cstdlib>

namespace zuvcfg {

const char kUsage[] =
    "usage: zuv_cfg --port PORT [--baud N] COMMAND [ARGUMENTS]\n"
    "Reads, writes, compares and records the ZUV-3917 module's detection parameters.\n"
    "\n"
    "Commands:\n"
    "  version              print the module's firmware version\n"
    "  read [-o FILE]       the module's 18 parameters as a profile, to stdout or FILE\n"
    "  write PROFILE        put PROFILE into the module (keys it lacks keep the module's\n"
    "                       values), read back and compare all 18\n"
    "  restore              put the factory values into the module, read back and compare\n"
    "  diff PROFILE         list the keys where the module differs from PROFILE\n"
    "  record --seconds N -o FILE.dat\n"
    "                       start reporting and keep every byte received for N seconds\n"
    "                       (Ctrl+C stops early and keeps what came), then stop the module\n"
    "Options:\n"
    "  --port PORT          COM5 on Windows; /dev/ttyUSB0, /dev/ttyACM0 or a pty on Linux\n"
    "  --baud N             baud rate (default 256000)\n"
    "  -o FILE              output file (read, record)\n"
    "  --seconds N          how long record runs, 1 to 86400\n"
    "  --help               this text\n"
    "Exit status:\n"
    "  0  done (diff: no difference)\n"
    "  1  diff: the module differs from the profile\n"
    "  2  bad arguments\n"
    "  3  port missing or busy, or lost while in use\n"
    "  4  no answer from the module (wrong baud rate?)\n"
    "  5  malformed or short reply, or a read the module refused\n"
    "  6  write or restore not verified: refused, or read back different\n"
    "  7  bad profile (cannot be read, or not a valid profile)\n"
    "  8  an output file could not be written\n"
    "Errors are told in one line on stderr; differences go to stdout, one line a key.\n";

namespace {

bool ParseInt(const std::string& text, long min, long max, int& out) {
    if (text.empty() || text[0] == '-' || text[0] == '+' || text[0] == ' ') return false;
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || v < min || v > max) return false;
    out = static_cast<int>(v);
    return true;
}

bool CommandNamed(const std::string& name, Command& command) {
    static const struct {
        const char* name;
        Command command;
    } kCommands[] = {{"version", Command::Version}, {"read", Command::Read}, {"write", Command::Write},
                     {"restore", Command::Restore}, {"diff", Command::Diff}, {"record", Command::Record}};
    for (const auto& c : kCommands)
        if (name == c.name) {
            command = c.command;
            return true;
        }
    return false;
}

}  // namespace

bool ParseArguments(const std::vector<std::string>& args, Arguments& parsed, std::string& problem) {
    parsed = Arguments();
    std::vector<std::string> words;
    bool haveSeconds = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            parsed.command = Command::Help;
            return true;
        }
        const bool takesValue = a == "--port" || a == "--baud" || a == "-o" || a == "--seconds";
        if (takesValue && i + 1 >= args.size()) {
            problem = a + " needs a value";
            return false;
        }
        if (a == "--port") {
            parsed.port = args[++i];
            if (parsed.port.empty()) {
                problem = "--port needs a port name";
                return false;
            }
        } else if (a == "--baud") {
            if (!ParseInt(args[++i], 1, 4000000, parsed.baudRate)) {
                problem = "--baud wants a whole number from 1 to 4000000, not \"" + args[i] + "\"";
                return false;
            }
        } else if (a == "-o") {
            parsed.output = args[++i];
            if (parsed.output.empty()) {
                problem = "-o needs a file name";
                return false;
            }
        } else if (a == "--seconds") {
            if (!ParseInt(args[++i], 1, 86400, parsed.seconds)) {
                problem = "--seconds wants a whole number from 1 to 86400, not \"" + args[i] + "\"";
                return false;
            }
            haveSeconds = true;
        } else if (a.size() > 1 && a[0] == '-') {
            problem = "unknown option " + a;
            return false;
        } else {
            words.push_back(a);
        }
    }
    if (words.empty()) {
        problem = "no command given (version, read, write, restore, diff, record)";
        return false;
    }
    if (!CommandNamed(words[0], parsed.command)) {
        problem = "unknown command " + words[0];
        return false;
    }
    const bool wantsProfile = parsed.command == Command::Write || parsed.command == Command::Diff;
    if (words.size() != (wantsProfile ? 2u : 1u)) {
        problem = words[0] + (wantsProfile ? " takes one profile file" : " takes no file name (use -o)");
        return false;
    }
    if (wantsProfile) parsed.profile = words[1];
    const bool record = parsed.command == Command::Record;
    if (!parsed.output.empty() && parsed.command != Command::Read && !record) {
        problem = "-o is for read and record only";
        return false;
    }
    if (haveSeconds != record || (record && parsed.output.empty())) {
        problem = record ? "record needs --seconds N and -o FILE" : "--seconds is for record only";
        return false;
    }
    if (parsed.port.empty()) {
        problem = "--port PORT is required";
        return false;
    }
    return true;
}

}  // namespace zuvcfg
