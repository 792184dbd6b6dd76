// The simulator's log read back and report frames counted, for tests and
// benchmarks that compare what the module sent with what the tool recorded
// and logged. Windows-free: builds for the host and for Windows.
#pragma once

#include <string>
#include <vector>

namespace testsupport {

// Every byte the simulator wrote to the line, in order, from its log (TX
// blocks, replies included, without the bytes it had to drop).
std::string BytesSent(const std::string& simLog);

// One TX block of the log: when it went out (the log's time stamp) and the
// bytes that reached the line.
struct TxBlock {
    double time = 0;
    std::string bytes;
};
// The report stream: the TX blocks after the reply to "leave command mode"
// (the last command of the tool's start sequence), up to the next command.
std::vector<TxBlock> ReportBlocks(const std::string& simLog);
// The bytes of ReportBlocks, joined.
std::string ReportBytesSent(const std::string& simLog);

// Whole report frames of a byte stream as (state << 16 | distance), found
// with the tool's own rules (skip one byte unless a whole frame starts here).
std::vector<long> FramesIn(const std::string& bytes);
// The frames the log reports, one "State=%d, M_D=%03d\r\n" line each.
std::vector<long> FramesLogged(const std::string& log);
inline int FrameState(long frame) { return static_cast<int>(frame >> 16); }
inline int FrameDistance(long frame) { return static_cast<int>(frame & 0xFFFF); }

// Empty, or the first line of text that does not end with "\r\n".
std::string FirstIncompleteLine(const std::string& text);

}  // namespace testsupport
