// zuv_rec tune: two recordings to settings that fit the room (docs/tuning.md).
#pragma once

namespace zuvrec {

// Exit statuses of zuv_rec; the usage text lists them.
enum ExitCode {
    kOk = 0,
    kCannotRead = 1,
    kUsage = 2,
    kCannotWrite = 3,
    kNoReports = 4,
    kCannotJudge = 5,  // tune: recordings too short or probably swapped
    kBadParams = 6,    // tune: the --params file is no profile or appConfig.xml, or holds a bad value
};

// argv[0] is "tune". Prints to stdout, one line to stderr on failure; returns
// the exit status. usage prints a problem with the usage text and returns kUsage.
int RunTune(int argc, char** argv, int (*usage)(const char* problem));

}  // namespace zuvrec
