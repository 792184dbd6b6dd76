#include "ChartReadout.h"

#include <cmath>
#include <cstdio>

namespace radar {
namespace {

std::wstring Fixed(double value, int decimals) {
    // Never "-0.00": the newest sample is at 0.
    const double scale = std::pow(10.0, decimals);
    if (std::round(value * scale) == 0.0) value = 0.0;
    wchar_t text[64];
    const int n = std::swprintf(text, 64, L"%.*f", decimals, value);
    return n > 0 ? std::wstring(text, static_cast<size_t>(n)) : std::wstring();
}

long long WholeCentimetres(double distance) { return std::llround(distance); }

}  // namespace

double SecondsBeforeNewest(int position, int windowLength, int periodMs) {
    if (windowLength < 1) return 0.0;
    if (position < 0) position = 0;
    if (position > windowLength - 1) position = windowLength - 1;
    const long long steps = static_cast<long long>(windowLength) - 1 - position;
    return static_cast<double>(steps * periodMs) / 1000.0;
}

std::wstring T0Label(double secondsBefore) { return L"T0-" + Fixed(secondsBefore, 2); }

std::wstring FillPlaceholders(const std::wstring& format, const std::vector<std::wstring>& values) {
    std::wstring out;
    out.reserve(format.size());
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] == L'{' && i + 2 < format.size() && format[i + 2] == L'}' && format[i + 1] >= L'0' &&
            format[i + 1] <= L'9') {
            const size_t index = static_cast<size_t>(format[i + 1] - L'0');
            if (index < values.size()) {
                out += values[index];
                i += 2;
                continue;
            }
        }
        out += format[i];
    }
    return out;
}

std::wstring HoverReadout(const std::wstring& format, int position, int windowLength, int periodMs, double distance) {
    return FillPlaceholders(format, {T0Label(SecondsBeforeNewest(position, windowLength, periodMs)),
                                     std::to_wstring(WholeCentimetres(distance))});
}

std::wstring SamplesCsv(const std::vector<double>& samples, int periodMs) {
    std::wstring csv = L"time_s,distance_cm\r\n";
    const int count = static_cast<int>(samples.size());
    for (int i = 0; i < count; ++i) {
        csv += Fixed(-SecondsBeforeNewest(i, count, periodMs), 3);
        csv += L',';
        csv += std::to_wstring(WholeCentimetres(samples[static_cast<size_t>(i)]));
        csv += L"\r\n";
    }
    return csv;
}

}  // namespace radar
