#include "SimLog.h"

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <regex>
#include <sstream>

#include "RadarProtocol.h"

namespace testsupport {
namespace {

// The bytes of the rest of a TX line: hex pairs, then perhaps "(N dropped)"
// when the last N of them never reached the line.
std::string TxBytes(std::istringstream& fields) {
    std::string hex, block;
    while (fields >> hex && hex.size() == 2 && std::isxdigit(static_cast<unsigned char>(hex[0])))
        block += static_cast<char>(std::stoi(hex, nullptr, 16));
    size_t dropped = 0;
    if (hex.size() > 1 && hex[0] == '(') dropped = std::stoul(hex.substr(1));
    return block.substr(0, block.size() - (dropped < block.size() ? dropped : block.size()));
}

}  // namespace

std::string BytesSent(const std::string& simLog) {
    std::istringstream lines(simLog);
    std::string line, bytes;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string time, tag;
        fields >> time >> tag;
        if (tag == "TX") bytes += TxBytes(fields);
    }
    return bytes;
}

std::vector<TxBlock> ReportBlocks(const std::string& simLog) {
    std::vector<TxBlock> blocks;
    std::istringstream lines(simLog);
    std::string line;
    bool reporting = false, replyNext = false;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string time, tag;
        fields >> time >> tag;
        if (tag == "CMD") {
            // A command is logged just before its reply goes out.
            reporting = line.find("leave command mode") != std::string::npos;
            if (reporting) blocks.clear();
            replyNext = true;
            continue;
        }
        if (tag != "TX") continue;
        if (replyNext) {
            replyNext = false;
            continue;
        }
        if (!reporting) continue;
        blocks.push_back(TxBlock{std::atof(time.c_str()), TxBytes(fields)});
    }
    return blocks;
}

std::string ReportBytesSent(const std::string& simLog) {
    std::string bytes;
    for (const TxBlock& block : ReportBlocks(simLog)) bytes += block.bytes;
    return bytes;
}

std::vector<long> FramesIn(const std::string& data) {
    std::vector<long> frames;
    for (size_t pos = 0; pos + radarproto::kReportSize <= data.size();) {
        const uint8_t* frame = reinterpret_cast<const uint8_t*>(data.data() + pos);
        if (radarproto::HasReportHeader(frame) && radarproto::HasReportTrailer(frame)) {
            const radarproto::Report report = radarproto::DecodeReport(frame);
            frames.push_back(static_cast<long>(report.state) << 16 | report.distance);
            pos += radarproto::kReportSize;
        } else {
            ++pos;
        }
    }
    return frames;
}

std::vector<long> FramesLogged(const std::string& log) {
    std::vector<long> frames;
    std::regex line("State=(\\d+), M_D=(\\d{3,})\\r\\n");
    for (auto it = std::sregex_iterator(log.begin(), log.end(), line); it != std::sregex_iterator(); ++it)
        frames.push_back(std::stol((*it)[1]) << 16 | std::stol((*it)[2]));
    return frames;
}

std::string FirstIncompleteLine(const std::string& text) {
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find('\n', start);
        if (end == std::string::npos) return text.substr(start);
        if (end == start || text[end - 1] != '\r') return text.substr(start, end - start + 1);
        start = end + 1;
    }
    return std::string();
}

}  // namespace testsupport
