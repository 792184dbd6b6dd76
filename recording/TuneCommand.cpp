#include "TuneCommand.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>
#ifdef _WIN32
#include <windows.h>
#endif

#include <pugixml.hpp>

#include "config/ParamKeys.h"
#include "config/Profile.h"
#include "config/RadarParam.h"
#include "RecordingReports.h"
#include "Tuning.h"
#include "TuningText.h"

namespace zuvrec {

namespace {

bool ParseWhole(const char* text, long long min, long long max, long long& out) {
    if (!text || !*text) return false;
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(text, &end, 10);
    if (errno != 0 || *end != '\0' || value < min || value > max) return false;
    out = value;
    return true;
}

int Fail(int status, const std::string& line) {
    std::fprintf(stderr, "zuv_rec: %s\n", line.c_str());
    return status;
}

// The parameters in effect while recording, from a profile or appConfig.xml
// (told apart by the top-level element) over the factory values, and
// appConfig.xml's report period (0 when the file gives none). False with one
// line in error when the file cannot be read or used.
bool ReadParams(const std::string& path, RadarParam& param, std::string& firmware, uint32_t& periodMs,
                std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return (error = "cannot open " + path + ": " + std::strerror(errno ? errno : ENOENT)), false;
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return (error = "cannot read " + path), false;

    pugi::xml_document doc;
    const pugi::xml_parse_result parsed =
        doc.load_buffer(bytes.data(), bytes.size(), pugi::parse_default, pugi::encoding_auto);
    const pugi::xml_node root = doc.document_element();
    if (!root || !EqualsNoCase(root.name(), "AppConfig")) {
        const ProfileReadResult read = ReadProfile(bytes.data(), bytes.size(), param);
        if (read.Ok()) return firmware = read.firmware, true;
        error = path + ": " + DescribeProfileError(read) + " (a parameter profile or appConfig.xml is needed)";
        return false;
    }
    // appConfig.xml: as the tool reads it (an empty value is no value), but a
    // broken file or a value the module would not take is an error, never a
    // silent default.
    if (!parsed) return (error = path + ": not a whole XML file (" + parsed.description() + ")"), false;
    RadarParam read = param;
    for (const ParamKey* key : ModuleKeys()) {
        const pugi::xml_attribute attr = FindAttributeNoCase(root, key->name);
        if (!attr || !*attr.value()) continue;
        if (ParseKeyText(*key, attr.value(), true, read) != KeyParse::Stored) {
            error = path + ": " + key->name + ": \"" + attr.value() + "\" is not a value the module accepts";
            return false;
        }
    }
    for (const ParamKey* key : RecordKeys()) {
        const pugi::xml_attribute attr = FindAttributeNoCase(root, key->name);
        if (std::strcmp(key->name, "ReportTimeMS") != 0 || !attr || !*attr.value()) continue;
        if (ParseKeyText(*key, attr.value(), true, read) != KeyParse::Stored || read.ReportTimeMS < 1 ||
            read.ReportTimeMS > 60000) {
            error = path + ": ReportTimeMS: \"" + attr.value() + "\" is not a report period of 1 to 60000 ms";
            return false;
        }
        periodMs = static_cast<uint32_t>(read.ReportTimeMS);
    }
    param = read;
    return true;
}

FilePath ToFilePath(const std::string& path) {
#ifdef _WIN32
    // Command-line arguments come in the system's ANSI code page.
    const int n = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
    std::wstring wide(n > 0 ? n : 1, L'\0');
    if (n > 0) MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, &wide[0], n);
    wide.resize(wcslen(wide.c_str()));
    return wide;
#else
    return path;
#endif
}

}  // namespace

int RunTune(int argc, char** argv, int (*usage)(const char* problem)) {
    if (argc < 3) return usage("tune needs two recordings: the room empty, then occupied");
    const std::string emptyPath = argv[1], occupiedPath = argv[2];
    std::string paramsPath, profilePath;
    tuning::TuningOptions options;
    options.periodMs = 0;  // until --period or appConfig.xml gives it
    for (int i = 3; i < argc; ++i) {
        const std::string option = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        long long number = 0;
        if (option == "--period") {
            if (!ParseWhole(value, 1, 60000, number))
                return usage("--period needs a whole number of milliseconds from 1 to 60000");
            options.periodMs = static_cast<uint32_t>(number);
        } else if (option == "--true-distance") {
            if (!ParseWhole(value, 0, 65535, number))
                return usage("--true-distance needs whole centimetres, 0 to 65535");
            options.hasTrueDistance = true;
            options.trueDistanceCm = static_cast<int32_t>(number);
        } else if (option == "--params" || option == "--profile") {
            if (!value || !*value) return usage((option + " needs a file").c_str());
            (option == "--params" ? paramsPath : profilePath) = value;
        } else {
            return usage(("unknown option: " + option).c_str());
        }
        ++i;
    }

    RadarParam param;
    LoadDefaultParameters(param);
    ProfileInfo info;
    std::string periodFrom = "--period";
    if (!paramsPath.empty()) {
        std::string error;
        uint32_t filePeriodMs = 0;
        if (!ReadParams(paramsPath, param, info.firmware, filePeriodMs, error)) return Fail(kBadParams, error);
        if (options.periodMs == 0 && filePeriodMs != 0) {
            options.periodMs = filePeriodMs;
            periodFrom = paramsPath + "'s ReportTimeMS";
        }
    }
    if (options.periodMs == 0) {
        options.periodMs = recording::kDefaultPeriodMs;
        periodFrom = "the default";
    }

    tuning::ReportTrack empty, occupied;
    for (auto [path, track] : {std::pair{&emptyPath, &empty}, std::pair{&occupiedPath, &occupied}}) {
        recording::RecordingScanner scanner(*track);
        std::string error;
        if (!recording::ScanFile(*path, scanner, &error)) return Fail(kCannotRead, error);
    }
    const tuning::TuningResult result = tuning::AnalyseTuning(empty, occupied, ModuleParametersOf(param), options);
    const bool noFrames = result.problem == tuning::TuningProblem::EmptyHasNoFrames ||
                          result.problem == tuning::TuningProblem::OccupiedHasNoFrames;
    if (result.problem != tuning::TuningProblem::None)
        return Fail(noFrames ? kNoReports : kCannotJudge, tuning::DescribeProblem(result, options.periodMs));

    std::string text = paramsPath.empty() ? "parameters while recording: the factory values (no --params given)\n"
                                          : "parameters while recording: " + paramsPath + "\n";
    text += "report period: " + std::to_string(options.periodMs) + " ms (" + periodFrom + ")\n";
    text += tuning::FormatTuning(result, options.periodMs);
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::fflush(stdout) != 0)
        return Fail(kCannotWrite, std::string("cannot write the output: ") + std::strerror(errno ? errno : EIO));

    if (!profilePath.empty()) {
        StoreModuleParameters(result.suggested, param);
        info.note = "Suggested by zuv_rec tune from " + emptyPath + " (empty) and " + occupiedPath + " (occupied).";
        unsigned long systemError = 0;
        if (SaveProfile(ToFilePath(profilePath), param, info, &systemError) != FileWriteResult::Written)
            return Fail(kCannotWrite, "cannot write " + profilePath + ": " +
                                          std::strerror(systemError ? static_cast<int>(systemError) : EIO));
    }
    return kOk;
}

}  // namespace zuvrec
