#include "replay/ReplayPosition.h"

#include <cstdio>

namespace radar {
namespace {

std::string Clock(uint64_t seconds, bool withHours) {
    char text[48];
    if (withHours) {
        std::snprintf(text, sizeof text, "%llu:%02u:%02u", static_cast<unsigned long long>(seconds / 3600),
                      static_cast<unsigned>(seconds / 60 % 60), static_cast<unsigned>(seconds % 60));
    } else {
        std::snprintf(text, sizeof text, "%llu:%02u", static_cast<unsigned long long>(seconds / 60),
                      static_cast<unsigned>(seconds % 60));
    }
    return text;
}

}  // namespace

std::string ReplayPositionText(uint64_t framesGiven, uint64_t totalFrames, int reportMs, bool totalKnown) {
    const uint64_t period = reportMs > 0 ? static_cast<uint64_t>(reportMs) : 1;
    // Seconds from milliseconds without overflow for any frame count a file can hold.
    auto seconds = [period](uint64_t frames) { return frames / 1000 * period + frames % 1000 * period / 1000; };
    if (!totalKnown) {
        const uint64_t played = seconds(framesGiven);
        return Clock(played, played >= 3600) + " / ...";
    }
    if (framesGiven > totalFrames) framesGiven = totalFrames;
    const uint64_t total = seconds(totalFrames);
    const bool withHours = total >= 3600;
    return Clock(seconds(framesGiven), withHours) + " / " + Clock(total, withHours);
}

}  // namespace radar
