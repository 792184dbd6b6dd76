// Internal helpers of the common library, shared by its portable and its
// Windows parts (and by the host tests). Not exported.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tavo_common {

// Ids shown by the debug output; one implementation per platform.
uint32_t CurrentProcessId();
uint32_t CurrentThreadId();

// Date and time text for file names: "YYYYMMDD_HHMMSS", with "_mmm" (milliseconds)
// when withMillis. Never returns the same text twice in one process: when the
// time text repeats (or the clock went back), "-N" follows, N counting up for
// the whole process.
std::string NextDateStamp(bool withMillis);

// The same, for a given local time (tests drive this one).
struct LocalTime {
    int year, month, day, hour, minute, second, millis;
};
LocalTime NowLocal();
std::string NextDateStampAt(const LocalTime& t, bool withMillis);

// Orders port names by their prefix (case ignored) and then by the number
// that ends them, so COM2 comes before COM10; removes duplicates.
void SortPortNames(std::vector<std::wstring>& names);

}  // namespace tavo_common
