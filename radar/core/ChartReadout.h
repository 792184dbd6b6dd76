// What the main window's chart tells about its samples, without Windows: the
// time of a sample as seconds before the newest one ("T0-1.25", as the time
// axis counts from "T0-15" to "T0"), the hover read-out's text, and the
// samples shown as CSV text for the clipboard.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace radar {

// Seconds from the sample at position (0: the oldest of windowLength
// samples, windowLength - 1: the newest) to the newest one, for one sample
// every periodMs milliseconds. 0 for the newest; positions outside the
// window are clamped into it.
double SecondsBeforeNewest(int position, int windowLength, int periodMs);

// "T0-1.25": seconds before the newest sample with two decimals.
std::wstring T0Label(double secondsBefore);

// format with "{0}", "{1}", ... replaced by the values of those indexes;
// anything else (an unknown index too) is kept as it stands.
std::wstring FillPlaceholders(const std::wstring& format, const std::vector<std::wstring>& values);

// The read-out under the pointer: format's "{0}" is the T0 label of the
// position, "{1}" the distance, rounded to whole centimetres.
std::wstring HoverReadout(const std::wstring& format, int position, int windowLength, int periodMs, double distance);

// The samples shown, oldest first, the last one the newest (T0), as CSV:
// the header "time_s,distance_cm", then one line per sample: the time in
// seconds relative to the newest sample, so negative for every sample but the
// newest, with three decimals (exact for any whole-millisecond period), and
// the distance in whole centimetres. Lines end with "\r\n", as Windows
// programs expect pasted text to.
std::wstring SamplesCsv(const std::vector<double>& samples, int periodMs);

}  // namespace radar
