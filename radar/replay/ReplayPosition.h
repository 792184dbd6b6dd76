// Where a replay stands, as the user reads it: the time played and the
// recording's whole time, at the module's report period ("0:12 / 1:05").
// Windows-free: host-tested.
#pragma once

#include <cstdint>
#include <string>

namespace radar {

// "m:ss / m:ss", or "h:mm:ss / h:mm:ss" when the recording lasts an hour or
// more; whole seconds, rounded down. framesGiven beyond totalFrames counts as
// totalFrames; a period below 1 ms counts as 1 ms.
// Until the recording's frames are counted (totalKnown false) the played
// time alone: "0:12 / ...".
std::string ReplayPositionText(uint64_t framesGiven, uint64_t totalFrames, int reportMs, bool totalKnown = true);

}  // namespace radar
