// The device object without Windows: reply matching, quiet detection and the
// reopen policy, driven through a scripted port on a virtual clock.
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>

#include "RadarDeviceCore.h"

using namespace radardev;
namespace rp = radarproto;

namespace {

// Shared state of the fake system and the ports it opens.
struct World {
    int64_t now = 0;
    struct Arrival {
        int64_t at;
        std::vector<uint8_t> bytes;
    };
    std::deque<Arrival> incoming;       // in time order
    std::vector<uint8_t> driverBuffer;  // arrived, not yet read
    std::vector<std::vector<uint8_t>> written;
    bool portPresent = true;
    bool portAlive = true;
    int opens = 0;
    // Answers a written command frame: returns arrivals to schedule.
    std::function<void(World&, const std::vector<uint8_t>&)> module;

    void Arrive(int64_t at, std::vector<uint8_t> bytes) { incoming.push_back({at, std::move(bytes)}); }
    void MoveArrived() {
        while (!incoming.empty() && incoming.front().at <= now) {
            driverBuffer.insert(driverBuffer.end(), incoming.front().bytes.begin(), incoming.front().bytes.end());
            incoming.pop_front();
        }
    }
};

class FakePort : public IPort {
public:
    explicit FakePort(World& w) : m_w(w) {}
    int Read(uint8_t* buffer, int size, int timeoutMs) override {
        if (!m_w.portAlive) {
            m_w.now += timeoutMs;  // what Wine does: wait, then 0 bytes
            return 0;
        }
        m_w.MoveArrived();
        if (m_w.driverBuffer.empty()) {
            const int64_t end = m_w.now + timeoutMs;
            if (m_w.incoming.empty() || m_w.incoming.front().at > end) {
                m_w.now = end;
                return 0;
            }
            m_w.now = m_w.incoming.front().at;
            m_w.MoveArrived();
        }
        m_w.now += 10;  // the interval pause that ends a read
        m_w.MoveArrived();
        const size_t n = std::min(m_w.driverBuffer.size(), static_cast<size_t>(size));
        std::copy(m_w.driverBuffer.begin(), m_w.driverBuffer.begin() + n, buffer);
        m_w.driverBuffer.erase(m_w.driverBuffer.begin(), m_w.driverBuffer.begin() + n);
        return static_cast<int>(n);
    }
    bool Write(const uint8_t* data, int size) override {
        if (!m_w.portAlive) return false;
        m_w.written.emplace_back(data, data + size);
        if (m_w.module) m_w.module(m_w, m_w.written.back());
        return true;
    }
    bool Alive() override { return m_w.portAlive; }
    void Purge() override {
        m_w.MoveArrived();
        m_w.driverBuffer.clear();
    }

private:
    World& m_w;
};

class FakeSystem : public IPortSystem {
public:
    explicit FakeSystem(World& w) : m_w(w) {}
    std::unique_ptr<IPort> Open(const PortSettings&) override {
        ++m_w.opens;
        if (!m_w.portPresent) return nullptr;
        m_w.portAlive = true;
        return std::unique_ptr<IPort>(new FakePort(m_w));
    }
    int64_t NowMs() override { return m_w.now; }
    void SleepMs(int ms) override { m_w.now += ms; }

private:
    World& m_w;
};

struct Captured {
    int calls = 0;
    std::vector<uint8_t> data;
    uint16_t result = 0;
};
uint16_t Capture(int hasStatus, const unsigned char* data, int length, void* context) {
    Captured* c = static_cast<Captured*>(context);
    ++c->calls;
    c->data.assign(data, data + length);
    return c->result;
}

class DeviceCore : public ::testing::Test {
protected:
    DeviceCore() : core(std::unique_ptr<IPortSystem>(new FakeSystem(w))) {}
    void SetUp() override { ASSERT_TRUE(core.Open(5, 256000, 2, 1, 1, 150)); }
    // The module answers every command with reply after delay ms.
    void AnswerWith(std::function<std::vector<uint8_t>(uint16_t code)> reply, int delayMs = 5) {
        w.module = [reply, delayMs](World& world, const std::vector<uint8_t>& frame) {
            const uint16_t code = rp::GetLe16(&frame[3]);
            world.Arrive(world.now + delayMs, reply(code));
        };
    }
    World w;
    CRadarDeviceCore core;
};

std::vector<uint8_t> Concat(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

TEST_F(DeviceCore, ReplyIsFoundAmongReportsNoiseBadFramesAndOtherCodes) {
    std::vector<uint8_t> badCrc = rp::EncodeReply(0x73, 0, std::vector<uint8_t>(50, 9));
    badCrc[badCrc.size() - 3] ^= 0xFF;
    const std::vector<uint8_t> good = rp::EncodeParameterReply(0, rp::ModuleParameters());
    AnswerWith([&](uint16_t) {
        return Concat({rp::EncodeReport(1, 300),
                       {0xC5, 0x00, 0x13, 0x11},
                       badCrc,
                       rp::EncodeReply(0x72, 0),
                       rp::EncodeReport(2, 100),
                       rp::EncodeFrame(rp::kKindReply, 0x73, good.data(), good.size())});
    });
    Captured c;
    EXPECT_EQ(0, core.SendCommand(0x73, nullptr, 0, Capture, &c, 2000));
    EXPECT_EQ(1, c.calls);
    EXPECT_EQ(good, c.data);
}

TEST_F(DeviceCore, ReportBytesReadBehindAReplyReachReadDataAndANewCommandDropsThem) {
    // Reporting resumes as soon as command mode is left: the first frames can
    // come in the very read that carries the reply.
    const std::vector<uint8_t> reports = Concat({rp::EncodeReport(1, 300), {0x13, 0x11}, rp::EncodeReport(2, 100)});
    AnswerWith([&](uint16_t code) { return Concat({rp::EncodeReply(code, 0), reports}); });
    ASSERT_TRUE(core.StopCmdMode());
    uint8_t block[64] = {};
    ASSERT_EQ(5, core.ReadData(block, 5, 100));  // a small block takes them in parts
    EXPECT_EQ(std::vector<uint8_t>(reports.begin(), reports.begin() + 5), std::vector<uint8_t>(block, block + 5));
    const int rest = core.ReadData(block, sizeof block, 100);
    ASSERT_EQ(static_cast<int>(reports.size()) - 5, rest);
    EXPECT_EQ(std::vector<uint8_t>(reports.begin() + 5, reports.end()), std::vector<uint8_t>(block, block + rest));

    // Bytes behind an earlier reply never pass for data after a later command.
    ASSERT_TRUE(core.StopCmdMode());
    AnswerWith([](uint16_t code) { return rp::EncodeReply(code, 0); });
    ASSERT_TRUE(core.StopCmdMode());
    EXPECT_EQ(0, core.ReadData(block, sizeof block, 100));
}

TEST_F(DeviceCore, StatusLengthAndHandlerFailuresAreNeverSuccess) {
    uint16_t status = 4;
    size_t size = 50;
    AnswerWith([&](uint16_t code) { return rp::EncodeReply(code, status, std::vector<uint8_t>(size, 1)); });
    Captured c;
    EXPECT_EQ(kErrStatus, core.SendCommand(0x73, nullptr, 0, Capture, &c, 2000));
    EXPECT_EQ(1, c.calls);
    status = 0;
    size = 49;
    EXPECT_EQ(kErrReplyLength, core.SendCommand(0x73, nullptr, 0, Capture, &c, 2000));
    size = 51;
    EXPECT_EQ(kErrReplyLength, core.SendCommand(0x73, nullptr, 0, Capture, &c, 2000));
    size = 50;
    c.result = 77;
    EXPECT_EQ(77, core.SendCommand(0x73, nullptr, 0, Capture, &c, 2000));
    c.result = 0;
    EXPECT_EQ(0, core.SendCommand(0x73, nullptr, 0, Capture, &c, 2000));
    EXPECT_EQ(5, c.calls);
}

TEST_F(DeviceCore, LateReplyTimesOutAndDoesNotAnswerTheNextCommand) {
    AnswerWith([](uint16_t code) { return rp::EncodeReply(code, 0); }, 400);
    Captured c;
    const int64_t t0 = w.now;
    EXPECT_EQ(kErrTimeout, core.SendCommand(0x01, nullptr, 0, Capture, &c, 300));
    EXPECT_LE(w.now - t0, 300);
    EXPECT_EQ(0, c.calls);
    // The module now answers nothing; the late reply lands meanwhile.
    w.module = nullptr;
    w.now += 200;
    EXPECT_FALSE(core.StartCmdMode(1, 150));
}

TEST_F(DeviceCore, SetParameterSendsPairsAndNeedsStatusZero) {
    uint16_t status = 0;
    AnswerWith([&](uint16_t code) { return rp::EncodeReply(code, status); });
    const uint16_t ids[2] = {0, 4};
    const uint32_t values[2] = {650, 0x01020304};
    EXPECT_TRUE(core.SetParameter(0x67, 2, ids, values, 2000));
    const std::vector<uint8_t> expected =
        rp::EncodeCommand(0x67, {0, 0, 0x8A, 0x02, 0, 0, 4, 0, 0x04, 0x03, 0x02, 0x01});
    EXPECT_EQ(expected, w.written.back());
    status = 5;
    EXPECT_FALSE(core.SetParameter(0x67, 2, ids, values, 2000));
    EXPECT_FALSE(core.SetParameter(0x67, 0, ids, values, 2000));
    EXPECT_FALSE(core.SetParameter(0x67, 1000, ids, values, 2000));
}

TEST_F(DeviceCore, CleanDataWaitsForTwentyQuietMilliseconds) {
    for (int64_t t = 0; t <= 200; t += 15) w.Arrive(t, rp::EncodeReport(1, 100));
    EXPECT_TRUE(core.CleanData(500));
    // The last frame comes at 195; the read that takes it ends 10 ms later
    // (the port's interval pause). Done after 20 quiet ms, not before them
    // and not a whole quiet span later.
    EXPECT_GE(w.now, 195 + 20);
    EXPECT_LE(w.now, 205 + 20 + 10);
    uint8_t buffer[64];
    EXPECT_EQ(0, core.ReadData(buffer, sizeof buffer, 100));
}

TEST_F(DeviceCore, CleanDataGivesUpAtItsLimitOnABusyLine) {
    for (int64_t t = 0; t <= 2000; t += 12) w.Arrive(t, rp::EncodeReport(1, 100));
    EXPECT_FALSE(core.CleanData(500));
    EXPECT_LE(w.now, 510);
}

TEST_F(DeviceCore, VanishedPortIsReopenedByReadDataUntilClose) {
    uint8_t buffer[64];
    w.Arrive(5, rp::EncodeReport(1, 100));
    EXPECT_EQ(7, core.ReadData(buffer, sizeof buffer, 1000));
    w.portAlive = false;
    w.portPresent = false;
    int64_t t0 = w.now;
    const int opensBefore = w.opens;
    EXPECT_LT(core.ReadData(buffer, sizeof buffer, 1000), 1);
    EXPECT_LE(w.now - t0, 1000);
    EXPECT_FALSE(core.IsConnected());
    // Attempts are paced, one every 100 ms, not a spin: at most 11 in the
    // 1000 ms read (at its start, its end and every 100 ms between).
    EXPECT_LE(w.opens - opensBefore, 11);

    w.portPresent = true;
    w.Arrive(w.now + 250, rp::EncodeReport(2, 200));
    t0 = w.now;
    EXPECT_EQ(7, core.ReadData(buffer, sizeof buffer, 1000));
    EXPECT_TRUE(core.IsConnected());
    EXPECT_EQ(0x02, buffer[2]);

    core.Close();
    const int opens = w.opens;
    w.portAlive = false;
    EXPECT_LT(core.ReadData(buffer, sizeof buffer, 300), 1);
    EXPECT_FALSE(core.IsConnected());
    EXPECT_EQ(opens, w.opens);
}

TEST_F(DeviceCore, IsConnectedNoticesAVanishedPortWhenIdle) {
    EXPECT_TRUE(core.IsConnected());
    w.portAlive = false;
    w.portPresent = false;
    EXPECT_FALSE(core.IsConnected());
    uint8_t buffer[8];
    EXPECT_LT(core.ReadData(buffer, sizeof buffer, 200), 1);
    Captured c;
    EXPECT_EQ(kErrNotOpen, core.SendCommand(0x73, nullptr, 0, Capture, &c, 200));
}

TEST(DeviceCoreOpen, FramingOtherThanOneAndMissingPortsFail) {
    World w;
    CRadarDeviceCore core(std::unique_ptr<IPortSystem>(new FakeSystem(w)));
    EXPECT_FALSE(core.Open(5, 256000, 2, 2, 1, 150));
    w.portPresent = false;
    EXPECT_FALSE(core.Open(5, 256000, 2, 1, 1, 150));
    EXPECT_EQ(2, w.opens);  // two attempts
    EXPECT_EQ(100, w.now);  // with the 100 ms pause between them, and nothing else
    EXPECT_FALSE(core.IsConnected());
}

}  // namespace
