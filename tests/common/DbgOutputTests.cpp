// Debug output: concurrent delivery, sink removal, message prefixes.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <future>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "Tavo_Common.h"
#include "TestWait.h"

namespace {

// Plain messages unless a test asks for more; every test leaves this state behind.
class DbgOutputTest : public ::testing::Test {
protected:
    void SetUp() override { Plain(); }
    void TearDown() override { Plain(); }
    static void Plain() {
        DbgOutputSetTimeType(0);
        DbgOutputSetTag(nullptr, 0);
        DbgOutputSetIncludePIDTID(0);
    }
};

constexpr int kThreads = 4;
constexpr int kPerThread = 400;

// Checks that each message "<t:i:len:payload>" arrived whole and exactly once.
struct WholeMessageSink {
    std::mutex mutex;
    std::vector<int> seen = std::vector<int>(kThreads * kPerThread, 0);
    int broken = 0;

    static int Call(void* context, int level, const char* text, int length) {
        auto* self = static_cast<WholeMessageSink*>(context);
        const std::string message(text, static_cast<size_t>(length));
        int t = -1, i = -1, len = -1, head = 0;
        const bool parsed = std::sscanf(message.c_str(), "<%d:%d:%d:%n", &t, &i, &len, &head) == 3 && t >= 0 &&
                            t < kThreads && i >= 0 && i < kPerThread && len >= 0;
        bool whole = parsed && message.size() == static_cast<size_t>(head) + static_cast<size_t>(len) + 1 &&
                     message.back() == '>';
        for (int k = 0; whole && k < len; ++k)
            whole = message[static_cast<size_t>(head + k)] == static_cast<char>('a' + t);
        std::lock_guard<std::mutex> lock(self->mutex);
        if (whole)
            ++self->seen[static_cast<size_t>(t * kPerThread + i)];
        else
            ++self->broken;
        return 0;
    }
};

TEST_F(DbgOutputTest, FourThreadsDeliverEveryMessageWholeToEverySink) {
    WholeMessageSink first, second;
    ASSERT_TRUE(DbgOutputAddCallback(&WholeMessageSink::Call, &first));
    // A second sink needs a distinct function: a repeated function only replaces its context.
    auto call2 = [](void* c, int l, const char* t, int n) { return WholeMessageSink::Call(c, l, t, n); };
    ASSERT_TRUE(DbgOutputAddCallback(call2, &second));

    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t] {
            // Lengths from 0 to a few KiB, beyond any fixed formatting buffer.
            std::string payload;
            for (int i = 0; i < kPerThread; ++i) {
                payload.assign(static_cast<size_t>((i * 37) % 3000), static_cast<char>('a' + t));
                DbgOutputA(2, "<%d:%d:%d:%s>", t, i, static_cast<int>(payload.size()), payload.c_str());
            }
        });
    }
    for (auto& th : threads) th.join();
    EXPECT_TRUE(DbgOutputDelCallback(&WholeMessageSink::Call));
    EXPECT_TRUE(DbgOutputDelCallback(call2));

    for (WholeMessageSink* sink : {&first, &second}) {
        EXPECT_EQ(0, sink->broken);
        int once = 0;
        for (int n : sink->seen) once += n == 1;
        EXPECT_EQ(kThreads * kPerThread, once);
    }
}

struct CountingSink {
    std::atomic<int> entered{0};
    std::atomic<int> left{0};
    Signal* signal = nullptr;
    static int Call(void* context, int, const char*, int) {
        auto* self = static_cast<CountingSink*>(context);
        self->entered.fetch_add(1);
        self->left.fetch_add(1);
        if (self->signal) self->signal->Update([] {});
        return 0;
    }
};

TEST_F(DbgOutputTest, RemovedSinkReceivesNothingWhileOthersKeepLogging) {
    Signal progress;
    CountingSink removed, kept;
    removed.signal = &progress;
    kept.signal = &progress;
    ASSERT_TRUE(DbgOutputAddCallback(&CountingSink::Call, &removed));
    auto keptCall = [](void* c, int l, const char* t, int n) { return CountingSink::Call(c, l, t, n); };
    ASSERT_TRUE(DbgOutputAddCallback(keptCall, &kept));

    std::atomic<bool> stop{false};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&stop, t] {
            while (!stop.load()) DbgOutputA(2, "thread %d\r\n", t);
        });

    EXPECT_TRUE(progress.WaitFor([&] { return removed.entered.load() >= 200; }));
    ASSERT_TRUE(DbgOutputDelCallback(&CountingSink::Call));
    const int atRemoval = removed.entered.load();
    EXPECT_EQ(atRemoval, removed.left.load()) << "a call was still running after removal returned";
    const int keptAtRemoval = kept.entered.load();
    EXPECT_TRUE(progress.WaitFor([&] { return kept.entered.load() >= keptAtRemoval + 2000; }));

    stop.store(true);
    for (auto& th : threads) th.join();
    EXPECT_TRUE(DbgOutputDelCallback(keptCall));
    EXPECT_EQ(atRemoval, removed.entered.load());
    EXPECT_FALSE(DbgOutputDelCallback(&CountingSink::Call)) << "removing twice";
}

// A sink that blocks until released, to have a call in flight at a known point.
struct BlockingSink {
    Signal signal;
    bool entered = false;
    bool released = false;
    static int Call(void* context, int, const char*, int) {
        auto* self = static_cast<BlockingSink*>(context);
        self->signal.Update([self] { self->entered = true; });
        self->signal.WaitFor([self] { return self->released; });
        return 0;
    }
};

TEST_F(DbgOutputTest, RemovalDoesNotWaitForOtherSinksAndSkipsPendingCalls) {
    BlockingSink blocker;
    CountingSink later;
    ASSERT_TRUE(DbgOutputAddCallback(&BlockingSink::Call, &blocker));
    // Registered after the blocker: for the message below its call is still pending.
    ASSERT_TRUE(DbgOutputAddCallback(&CountingSink::Call, &later));

    std::thread logger([] { DbgOutputA(2, "one message"); });
    ASSERT_TRUE(blocker.signal.WaitFor([&] { return blocker.entered; }));

    auto removal = std::async(std::launch::async, [] { return DbgOutputDelCallback(&CountingSink::Call); });
    const bool returned = removal.wait_for(std::chrono::seconds(60)) == std::future_status::ready;
    blocker.signal.Update([&] { blocker.released = true; });
    logger.join();
    EXPECT_TRUE(returned) << "removal waited for another sink";
    EXPECT_TRUE(removal.get());
    EXPECT_EQ(0, later.entered.load()) << "the removed sink still got the pending message";
    EXPECT_TRUE(DbgOutputDelCallback(&BlockingSink::Call));
}

struct TextSink {
    std::vector<std::string> texts;
    static int Call(void* context, int, const char* text, int length) {
        static_cast<TextSink*>(context)->texts.emplace_back(text, static_cast<size_t>(length));
        return 0;
    }
};

TEST_F(DbgOutputTest, PrefixFollowsTimeTypeTagAndIds) {
    TextSink sink;
    ASSERT_TRUE(DbgOutputAddCallback(&TextSink::Call, &sink));
    EXPECT_EQ(8, DbgOutputA(2, "hello %d", 42));
    DbgOutputSetTimeType(2);
    DbgOutputA(2, "hello %d", 42);
    DbgOutputSetTimeType(1);
    DbgOutputSetTag("DEV", 0);
    DbgOutputSetIncludePIDTID(1);
    DbgOutputA(2, "hello %d", 42);
    EXPECT_EQ(-1, DbgOutputA(2, nullptr));
    ASSERT_TRUE(DbgOutputDelCallback(&TextSink::Call));

    ASSERT_EQ(3u, sink.texts.size());
    EXPECT_EQ("hello 42", sink.texts[0]);
    EXPECT_TRUE(std::regex_match(sink.texts[1], std::regex("[0-9]+ hello 42"))) << sink.texts[1];
    EXPECT_TRUE(std::regex_match(
        sink.texts[2],
        std::regex(
            "[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}\\.[0-9]{3} \\[[0-9]+:[0-9]+\\] \\[DEV\\] hello 42")))
        << sink.texts[2];
}

TEST_F(DbgOutputTest, AddingTheSameSinkAgainReplacesItsContext) {
    TextSink a, b;
    ASSERT_TRUE(DbgOutputAddCallback(&TextSink::Call, &a));
    ASSERT_TRUE(DbgOutputAddCallback(&TextSink::Call, &b));
    DbgOutputA(2, "x");
    ASSERT_TRUE(DbgOutputDelCallback(&TextSink::Call));
    EXPECT_TRUE(a.texts.empty());
    EXPECT_EQ(1u, b.texts.size());
}

}  // namespace
