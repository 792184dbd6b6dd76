// Internal pieces of the common library that the host can reach directly.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "core/CommonInternal.h"

namespace {

using tavo_common::LocalTime;
using tavo_common::NextDateStampAt;

TEST(PortNames, SortByNumberNotByText) {
    std::vector<std::wstring> names{L"COM10", L"COM2", L"com3", L"COM1", L"COM2", L"COM100", L"COM9"};
    tavo_common::SortPortNames(names);
    EXPECT_EQ((std::vector<std::wstring>{L"COM1", L"COM2", L"com3", L"COM9", L"COM10", L"COM100"}), names);

    std::vector<std::wstring> odd{L"COM", L"USBSER5", L"COM12", L"COM3"};
    tavo_common::SortPortNames(odd);
    EXPECT_EQ((std::vector<std::wstring>{L"COM3", L"COM12", L"COM", L"USBSER5"}), odd);
}

TEST(DateStamp, NeverRepeatsWithinTheProcess) {
    const LocalTime t{2024, 5, 1, 13, 4, 5, 678};
    std::set<std::string> seen;
    for (int i = 0; i < 300; ++i) {
        ASSERT_TRUE(seen.insert(NextDateStampAt(t, false)).second) << i;
        ASSERT_TRUE(seen.insert(NextDateStampAt(t, true)).second) << i;
    }
    // The clock going back must not bring an old name back either.
    const LocalTime earlier{2024, 5, 1, 12, 0, 0, 0};
    for (int i = 0; i < 5; ++i) ASSERT_TRUE(seen.insert(NextDateStampAt(earlier, false)).second);
    const LocalTime later{2024, 5, 1, 13, 4, 6, 0};
    const std::string fresh = NextDateStampAt(later, false);
    EXPECT_EQ("20240501_130406", fresh);
    EXPECT_TRUE(seen.insert(fresh).second);
    EXPECT_EQ("20240501_130407_009", NextDateStampAt(LocalTime{2024, 5, 1, 13, 4, 7, 9}, true));
}

}  // namespace
