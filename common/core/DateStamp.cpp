// Date and time texts for file names, unique within the process.
#include "CommonInternal.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <mutex>

namespace tavo_common {

LocalTime NowLocal() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm tm{};
#ifdef _WIN32
    localtime_s(&tm, &seconds);
#else
    localtime_r(&seconds, &tm);
#endif
    return LocalTime{tm.tm_year + 1900,
                     tm.tm_mon + 1,
                     tm.tm_mday,
                     tm.tm_hour,
                     tm.tm_min,
                     tm.tm_sec,
                     static_cast<int>(millis < 0 ? millis + 1000 : millis)};
}

std::string NextDateStampAt(const LocalTime& t, bool withMillis) {
    // The last text handed out per format; texts of one format have a fixed
    // width, so string order is time order.
    static std::mutex mutex;
    static std::string last[2];
    static unsigned long long counter = 0;

    char text[64];
    if (withMillis)
        std::snprintf(text, sizeof text, "%04d%02d%02d_%02d%02d%02d_%03d", t.year, t.month, t.day, t.hour, t.minute,
                      t.second, t.millis);
    else
        std::snprintf(text, sizeof text, "%04d%02d%02d_%02d%02d%02d", t.year, t.month, t.day, t.hour, t.minute,
                      t.second);
    std::lock_guard<std::mutex> lock(mutex);
    std::string& previous = last[withMillis ? 1 : 0];
    if (previous.empty() || previous < text) {
        previous = text;
        return text;
    }
    // Same second (or the clock went back): keep the last text and number the
    // name; the number never repeats, so neither does the name.
    char numbered[96];
    std::snprintf(numbered, sizeof numbered, "%s-%llu", previous.c_str(), ++counter);
    return numbered;
}

std::string NextDateStamp(bool withMillis) { return NextDateStampAt(NowLocal(), withMillis); }

}  // namespace tavo_common
