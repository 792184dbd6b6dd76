// The chart's time arithmetic (seconds before the newest sample), its hover
// read-out and the CSV text of the samples shown.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "ChartReadout.h"

namespace {

using radar::HoverReadout;
using radar::SamplesCsv;
using radar::SecondsBeforeNewest;
using radar::T0Label;

TEST(ChartTime, CountsBackFromTheNewestSampleOverTheWholeWindow) {
    // 300 reports 50 ms apart: the oldest is 14.95 s before the newest.
    EXPECT_DOUBLE_EQ(0.0, SecondsBeforeNewest(299, 300, 50));
    EXPECT_DOUBLE_EQ(0.05, SecondsBeforeNewest(298, 300, 50));
    EXPECT_DOUBLE_EQ(14.95, SecondsBeforeNewest(0, 300, 50));
    // 150 reports 100 ms apart; one report of 15 s.
    EXPECT_DOUBLE_EQ(14.9, SecondsBeforeNewest(0, 150, 100));
    EXPECT_DOUBLE_EQ(0.0, SecondsBeforeNewest(0, 1, 15000));
    // Positions outside the window are taken as its ends.
    EXPECT_DOUBLE_EQ(14.95, SecondsBeforeNewest(-3, 300, 50));
    EXPECT_DOUBLE_EQ(0.0, SecondsBeforeNewest(300, 300, 50));
    EXPECT_DOUBLE_EQ(0.0, SecondsBeforeNewest(5, 0, 50));
}

TEST(ChartTime, LabelsCountLikeTheTimeAxisWithTwoDecimals) {
    EXPECT_EQ(L"T0-0.00", T0Label(0.0));
    EXPECT_EQ(L"T0-0.00", T0Label(-0.001)) << "never a negative zero";
    EXPECT_EQ(L"T0-1.25", T0Label(1.25));
    EXPECT_EQ(L"T0-15.00", T0Label(15.0));
    EXPECT_EQ(L"T0-0.03", T0Label(0.033));
}

TEST(ChartReadout, FillsTimeAndWholeCentimetresIntoEitherLanguage) {
    EXPECT_EQ(L"T0-1.25 s: 123 cm", HoverReadout(L"{0} s: {1} cm", 274, 300, 50, 123.0));
    EXPECT_EQ(L"T0-0.00 秒: 460 厘米", HoverReadout(L"{0} 秒: {1} 厘米", 299, 300, 50, 459.6));
    // Order in the text is the language's: the placeholders say which is which.
    EXPECT_EQ(L"7 cm at T0-14.95", HoverReadout(L"{1} cm at {0}", 0, 300, 50, 7.4));
    // What is no placeholder stays as written.
    EXPECT_EQ(L"{x} {9} {0", HoverReadout(L"{x} {9} {0", 0, 300, 50, 1.0));
}

// Parses "time_s,distance_cm" lines back; fails the test on a malformed line.
std::vector<std::pair<double, long>> ParseCsv(const std::wstring& csv) {
    std::vector<std::pair<double, long>> rows;
    std::wistringstream in(csv);
    std::wstring line;
    bool header = true;
    while (std::getline(in, line)) {
        EXPECT_FALSE(line.empty()) << "an empty line";
        EXPECT_EQ(L'\r', line.back()) << "lines end with CR LF";
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        if (header) {
            EXPECT_EQ(L"time_s,distance_cm", line);
            header = false;
            continue;
        }
        const size_t comma = line.find(L',');
        EXPECT_NE(std::wstring::npos, comma) << "no comma in a line";
        if (comma == std::wstring::npos) continue;
        rows.emplace_back(std::wcstod(line.substr(0, comma).c_str(), nullptr),
                          std::wcstol(line.substr(comma + 1).c_str(), nullptr, 10));
    }
    EXPECT_FALSE(header) << "no header";
    return rows;
}

TEST(ChartCsv, OneLinePerSampleOldestFirstTimedBackFromTheNewest) {
    const std::wstring csv = SamplesCsv({0, 120, 119.6, 65535}, 50);
    EXPECT_EQ(L"time_s,distance_cm\r\n-0.150,0\r\n-0.100,120\r\n-0.050,120\r\n0.000,65535\r\n", csv);
    const auto rows = ParseCsv(csv);
    ASSERT_EQ(4u, rows.size());
    EXPECT_EQ(65535, rows.back().second);
}

TEST(ChartCsv, ExactToTheMillisecondForAnyWholePeriodAndAFullWindow) {
    for (int period : {1, 33, 50, 70, 100, 15000}) {
        const int count = 15000 / period;
        std::vector<double> samples(static_cast<size_t>(count));
        for (int i = 0; i < count; ++i) samples[static_cast<size_t>(i)] = i % 800;
        const auto rows = ParseCsv(SamplesCsv(samples, period));
        ASSERT_EQ(static_cast<size_t>(count), rows.size()) << "period " << period;
        for (int i = 0; i < count; ++i) {
            const long long ms = std::llround(rows[static_cast<size_t>(i)].first * 1000);
            EXPECT_EQ(-static_cast<long long>(count - 1 - i) * period, ms) << "period " << period << " row " << i;
            EXPECT_EQ(i % 800, rows[static_cast<size_t>(i)].second);
        }
    }
}

}  // namespace
