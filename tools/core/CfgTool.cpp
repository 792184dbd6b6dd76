#include "CfgTool.h"

#include <cerrno>
#include <cstring>

#include "CfgArgs.h"
#include "ParamCore.h"
#include "ParamTransfer.h"
#include "RadarDeviceCore.h"
#include "config/RadarParam.h"
#include "config/Profile.h"

namespace zuvcfg {

namespace {

// The longest single wait while recording, so Ctrl+C is seen at once.
constexpr int kRecordSliceMs = 100;
constexpr int kRecordBlock = 4096;
// A profile is about 800 bytes; a bigger file (a device, a wrong name) is not read to its end.
constexpr size_t kMaxProfileBytes = 1 << 20;

struct Outcome {
    int status = kExitOk;
    std::string line;  // what stderr says when status is not kExitOk
};

std::string Hex(unsigned value, int digits) {
    static const char kDigits[] = "0123456789abcdef";
    std::string text = "0x";
    for (int i = digits - 1; i >= 0; --i) text += kDigits[(value >> (4 * i)) & 0xF];
    return text;
}

// Command mode for the length of a scope, left on every path out.
class CommandModeScope {
public:
    explicit CommandModeScope(IModuleLink& link) : m_link(link) {
        // A failure here shows in the first command, which says what went wrong.
        m_link.StartCmdMode(kEnterCommandModeAttempts, kEnterCommandModeReplyMs);
        m_link.CleanData(kQuietLineMaxWaitMs);
    }
    ~CommandModeScope() { m_link.StopCmdMode(); }
    CommandModeScope(const CommandModeScope&) = delete;
    CommandModeScope& operator=(const CommandModeScope&) = delete;

private:
    IModuleLink& m_link;
};

// The module's commands, each remembering how the last one ended, so a
// failure is told once, in the words its kind calls for.
class ModuleSession final : public IParamLink {
public:
    ModuleSession(IModuleLink& link, const Arguments& args) : m_link(link), m_args(args) {}

    bool Simple(uint16_t code) { return Send(code, nullptr, 0, StatusOnly, nullptr); }

    bool ReadVersion(std::string& version) {
        return Send(radarproto::kReadVersion, nullptr, 0, TextAfterStatus, &version);
    }

    bool Read(RadarParam& param) override {
        RadarParam read = param;  // taken only when the whole reply decoded
        if (!Send(radarproto::kReadParameters, nullptr, 0, ParseParamResponse, &read)) return false;
        param = read;
        return true;
    }

    bool Write(const ParamWriteGroup& group) override {
        const std::vector<uint8_t> payload =
            radarproto::EncodeParameterWrite(group.ids, group.values, static_cast<size_t>(group.count));
        return Send(group.code, payload.data(), static_cast<int>(payload.size()), StatusOnly, nullptr);
    }

    // How the last command failed. A refused write means the profile did
    // not go in (the same status as a read-back that differs).
    Outcome Failure() const {
        const std::string command = "command " + Hex(m_code, 2);
        switch (m_result) {
        case radardev::kErrNotOpen:
        case radardev::kErrWriteFailed:
        case radardev::kErrBadArgument: return {kExitPort, "port " + m_args.port + " lost during " + command};
        case radardev::kErrTimeout:
            return {kExitNoAnswer, "no answer from the module on " + m_args.port + " at " +
                                       std::to_string(m_args.baudRate) + " baud (" + command +
                                       "; wrong baud rate, or not powered?)"};
        case radardev::kErrReplyLength:
        case kParamReplyUnusable: return {kExitBadReply, "malformed or short reply to " + command};
        default: {
            const bool write = m_code >= radarproto::kWriteGeneral && m_code <= radarproto::kWriteCalibration;
            const std::string status = m_result == radardev::kErrStatus ? "" : " (status " + Hex(m_result, 4) + ")";
            return {write ? kExitMismatch : kExitBadReply, "the module refused " + command + status};
        }
        }
    }

private:
    // The module's status as the result, so a refusal is told with its status.
    static uint16_t StatusOnly(int hasStatus, const unsigned char* data, int length, void*) {
        return hasStatus && length >= 2 ? static_cast<uint16_t>(data[0] | data[1] << 8) : 0;
    }
    static uint16_t TextAfterStatus(int hasStatus, const unsigned char* data, int length, void* context) {
        const int skip = hasStatus ? 2 : 0;
        if (length < skip) return kParamReplyUnusable;
        static_cast<std::string*>(context)->assign(reinterpret_cast<const char*>(data) + skip,
                                                   static_cast<size_t>(length - skip));
        return 0;
    }

    bool Send(uint16_t code, const void* request, int length, ReplyHandler handler, void* context) {
        m_code = code;
        m_result = m_link.SendCommand(code, request, length, handler, context, kCommandReplyMs);
        return m_result == 0;
    }

    IModuleLink& m_link;
    const Arguments& m_args;
    uint16_t m_code = 0;
    uint16_t m_result = 0;
};

Outcome ReadProfileFile(IPlatform& platform, const std::string& path, RadarParam& param) {
    std::FILE* file = platform.OpenFile(path, "rb");
    if (!file) return {kExitBadProfile, "cannot read " + path + ": " + std::strerror(errno)};
    std::string bytes;
    char block[4096];
    size_t n = 0;
    errno = 0;
    while (bytes.size() <= kMaxProfileBytes && (n = std::fread(block, 1, sizeof block, file)) > 0)
        bytes.append(block, n);
    const bool failed = std::ferror(file) != 0;
    const int error = errno;
    std::fclose(file);
    if (failed) return {kExitBadProfile, "cannot read " + path + ": " + std::strerror(error)};
    if (bytes.size() > kMaxProfileBytes) return {kExitBadProfile, path + " is larger than any profile (1 MiB)"};
    const ProfileReadResult result = ReadProfile(bytes.data(), bytes.size(), param);
    if (!result.Ok()) return {kExitBadProfile, path + ": " + DescribeProfileError(result)};
    return {};
}

void PrintDifferences(const std::vector<ProfileDifference>& differences, const char* first, const char* second,
                      std::ostream& out) {
    for (const ProfileDifference& d : differences)
        out << d.key << ": " << first << " " << d.first << ", " << second << " " << d.second << "\n";
}

// Writes wanted (all six groups), reads back and compares.
Outcome WriteVerified(ModuleSession& session, const RadarParam& wanted, std::ostream& out) {
    RadarParam held = wanted;
    const WriteAllResult result = WriteAllAndVerify(session, wanted, held);
    switch (result.outcome) {
    case WriteAllResult::Outcome::Verified: out << "written and verified: all 18 parameters match\n"; return {};
    case WriteAllResult::Outcome::Mismatch:
        PrintDifferences(result.differences, "expected", "got", out);
        return {kExitMismatch,
                "verify failed: " + std::to_string(result.differences.size()) + " parameter(s) read back different"};
    default: return session.Failure();
    }
}

class Tool {
public:
    Tool(const Arguments& args, IPlatform& platform, IModuleLink& link, std::ostream& out)
        : m_args(args), m_platform(platform), m_link(link), m_session(link, args), m_out(out) {}

    Outcome Run() {
        switch (m_args.command) {
        case Command::Version: return Version();
        case Command::Read: return Read();
        case Command::Write: return Write();
        case Command::Restore: return Restore();
        case Command::Diff: return Diff();
        case Command::Record: return Record();
        case Command::Help: break;
        }
        return {};
    }

private:
    Outcome Version() {
        std::string version;
        if (!m_session.ReadVersion(version)) return m_session.Failure();
        m_out << version << "\n";
        return {};
    }

    Outcome Read() {
        ProfileInfo info;
        RadarParam param;
        {
            CommandModeScope mode(m_link);
            if (!m_session.ReadVersion(info.firmware) || !m_session.Read(param)) return m_session.Failure();
        }
        if (m_args.output.empty()) {
            m_out << WriteProfile(param, info);
            return {};
        }
        unsigned long code = 0;
        const FileWriteResult saved = SaveProfile(m_platform.NativePath(m_args.output), param, info, &code);
        if (saved == FileWriteResult::Written) return {};
        const std::string reason =
            saved == FileWriteResult::Skipped ? "the file is read-only" : m_platform.SystemReason(code);
        return {kExitFileWrite, "cannot write " + m_args.output + ": " + reason};
    }

    Outcome Write() {
        RadarParam wanted;
        Outcome checked = ReadProfileFile(m_platform, m_args.profile, wanted);  // a bad file never reaches the module
        if (checked.status != kExitOk) return checked;
        CommandModeScope mode(m_link);
        if (!m_session.Read(wanted)) return m_session.Failure();
        checked = ReadProfileFile(m_platform, m_args.profile, wanted);  // the file's keys over the module's values
        if (checked.status != kExitOk) return checked;
        return WriteVerified(m_session, wanted, m_out);
    }

    Outcome Restore() {
        RadarParam factory;
        LoadDefaultParameters(factory);
        CommandModeScope mode(m_link);
        return WriteVerified(m_session, factory, m_out);
    }

    Outcome Diff() {
        RadarParam module;
        Outcome checked = ReadProfileFile(m_platform, m_args.profile, module);
        if (checked.status != kExitOk) return checked;
        {
            CommandModeScope mode(m_link);
            if (!m_session.Read(module)) return m_session.Failure();
        }
        RadarParam file = module;  // keys the file lacks are no difference
        checked = ReadProfileFile(m_platform, m_args.profile, file);
        if (checked.status != kExitOk) return checked;
        const std::vector<ProfileDifference> differences = CompareProfiles(file, module);
        if (differences.empty()) return {};
        PrintDifferences(differences, "file", "module", m_out);
        return {kExitDiffer, "the module differs from " + m_args.profile + " in " + std::to_string(differences.size()) +
                                 " parameter(s)"};
    }

    Outcome Record();

    const Arguments& m_args;
    IPlatform& m_platform;
    IModuleLink& m_link;
    ModuleSession m_session;
    std::ostream& m_out;
};

// Every byte received, as it came, flushed block by block so an interrupted
// run keeps all it was given; after a failed write nothing more is written.
Outcome Tool::Record() {
    {
        // The tool's start: reporting switched on inside command mode, which
        // is left to let the frames flow.
        CommandModeScope mode(m_link);
        if (!m_session.Simple(radarproto::kStartReporting)) return m_session.Failure();
    }
    // Created only once the module reports, so a module that cannot start
    // leaves an earlier file of that name as it was; the frames sent
    // meanwhile wait in the port.
    std::FILE* file = m_platform.OpenFile(m_args.output, "wb");
    if (!file) {
        const int error = errno;
        m_session.Simple(radarproto::kStopReporting);
        return {kExitFileWrite, "cannot create " + m_args.output + ": " + std::strerror(error)};
    }
    Outcome outcome;
    uint64_t written = 0;
    bool portLost = false;
    const int64_t end = m_platform.NowMs() + static_cast<int64_t>(m_args.seconds) * 1000;
    std::vector<uint8_t> block(kRecordBlock);
    while (outcome.status == kExitOk && !m_platform.StopRequested()) {
        const int64_t left = end - m_platform.NowMs();
        if (left <= 0) break;
        const int n =
            m_link.ReadData(block.data(), kRecordBlock, static_cast<int>(std::min<int64_t>(left, kRecordSliceMs)));
        if (n < 0) {
            portLost = true;
            outcome = {kExitPort, "port " + m_args.port + " lost while recording; " + m_args.output + " keeps " +
                                      std::to_string(written) + " bytes"};
            break;
        }
        if (n == 0) continue;
        errno = 0;
        if (std::fwrite(block.data(), 1, static_cast<size_t>(n), file) != static_cast<size_t>(n) ||
            std::fflush(file) != 0) {
            outcome = {kExitFileWrite, "cannot write " + m_args.output + ": " + std::strerror(errno) +
                                           " (the file keeps what was written before)"};
            break;
        }
        written += static_cast<uint64_t>(n);
    }
    if (!portLost && !m_session.Simple(radarproto::kStopReporting) && outcome.status == kExitOk)
        outcome = m_session.Failure();
    errno = 0;
    if (std::fclose(file) != 0 && outcome.status == kExitOk)
        outcome = {kExitFileWrite, "cannot write " + m_args.output + ": " + std::strerror(errno)};
    if (outcome.status == kExitOk)
        m_out << "recorded " << written << " bytes to " << m_args.output
              << (m_platform.StopRequested() ? " (stopped early)" : "") << "\n";
    return outcome;
}

}  // namespace

int Run(const std::vector<std::string>& args, IPlatform& platform, std::ostream& out, std::ostream& err) {
    Arguments parsed;
    std::string problem;
    if (!ParseArguments(args, parsed, problem)) {
        err << "zuv_cfg: " << problem << " (zuv_cfg --help lists the commands)\n";
        return kExitUsage;
    }
    if (parsed.command == Command::Help) {
        out << kUsage;
        return kExitOk;
    }
    std::unique_ptr<IModuleLink> link = platform.Open(parsed.port, parsed.baudRate, problem);
    if (!link) {
        err << "zuv_cfg: cannot open " << parsed.port << ": " << problem << "\n";
        return kExitPort;
    }
    Outcome outcome = Tool(parsed, platform, *link, out).Run();
    out.flush();
    if (!out && outcome.status == kExitOk) outcome = {kExitFileWrite, "cannot write to standard output"};
    if (outcome.status != kExitOk) err << "zuv_cfg: " << outcome.line << "\n";
    return outcome.status;
}

}  // namespace zuvcfg
