#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "DistanceHistory.h"

namespace {

// What the chart was always given: the array shifted down by one per report,
// the newest distance last.
class ShiftedArray {
public:
    explicit ShiftedArray(int32_t count) : values(static_cast<size_t>(count), 0) {}
    void Push(int32_t distance) {
        std::memmove(values.data(), values.data() + 1, sizeof(int32_t) * (values.size() - 1));
        values.back() = distance;
    }
    std::vector<int32_t> values;
};

std::vector<int32_t> Window(const radar::DistanceHistory& history) {
    return std::vector<int32_t>(history.Data(), history.Data() + history.Count());
}

TEST(DistanceHistory, GivesTheSameWindowAsShiftingTheWholeArrayAtEveryReport) {
    for (int32_t count : {1, 2, 3, 7, 300}) {
        radar::DistanceHistory history;
        history.Renew(count);
        ShiftedArray shifted(count);
        ASSERT_EQ(Window(history), shifted.values) << "count " << count << ", fresh";
        // More than two rounds, so the ring wraps more than once.
        for (int32_t i = 1; i <= 2 * count + 5; ++i) {
            const int32_t distance = (i * 37) % 65536;
            history.Push(distance);
            shifted.Push(distance);
            ASSERT_EQ(Window(history), shifted.values) << "count " << count << ", after report " << i;
        }
    }
}

TEST(DistanceHistory, RenewStartsFromZerosOfTheNewLength) {
    radar::DistanceHistory history;
    EXPECT_EQ(history.Data(), nullptr);
    history.Push(5);  // nothing to push into yet
    EXPECT_EQ(history.Count(), 0);
    history.Renew(4);
    for (int32_t d : {10, 20, 30}) history.Push(d);
    history.Renew(3);
    EXPECT_EQ(Window(history), (std::vector<int32_t>{0, 0, 0}));
    history.Push(99);
    EXPECT_EQ(Window(history), (std::vector<int32_t>{0, 0, 99}));
    history.Renew(0);
    EXPECT_EQ(history.Count(), 1);
}

TEST(DistanceHistory, CountSpansTheTimeAndIsNeverBelowOne) {
    EXPECT_EQ(radar::DistanceHistory::CountFor(15000, 50), 300);
    EXPECT_EQ(radar::DistanceHistory::CountFor(15000, 100), 150);
    EXPECT_EQ(radar::DistanceHistory::CountFor(15000, 15000), 1);
    EXPECT_EQ(radar::DistanceHistory::CountFor(15000, 20000), 1);
    EXPECT_EQ(radar::DistanceHistory::CountFor(15000, 0), 1);
}

}  // namespace
