// zuv_cfg's command line: what it asks for, or why it cannot be run.
#pragma once

#include <string>
#include <vector>

namespace zuvcfg {

enum class Command { Help, Version, Read, Write, Restore, Diff, Record };

struct Arguments {
    Command command = Command::Help;
    std::string port;
    int baudRate = 256000;
    std::string profile;  // write, diff
    std::string output;   // read (optional), record
    int seconds = 0;      // record
};

// False with problem set when the line cannot be run.
bool ParseArguments(const std::vector<std::string>& args, Arguments& parsed, std::string& problem);

// --help: commands, options and every exit status.
extern const char kUsage[];

}  // namespace zuvcfg
