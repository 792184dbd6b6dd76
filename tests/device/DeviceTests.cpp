// Tavo_DataProcess.dll through its import library, on COM ports that the Wine
// session maps to ptys, with the module simulator at the far end.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <thread>

#include "RadarProtocol.h"
#include "SimFixture.h"
#include "Tavo_Common.h"
#include "Tavo_DataProcess.h"

using namespace devtest;

namespace {

constexpr int kPortA = 5;
constexpr int kPortB = 12;  // two digits: needs the \\.\ form

const uint8_t kFrame300[7] = {0xAA, 0xAA, 0x01, 0x2C, 0x01, 0x55, 0x55};  // moving, 300 cm

// Longer than any call here takes on a loaded machine under Wine: only a call
// that does not keep its time-out at all exceeds it. How long the calls take
// is measured by bench/device_bench.cpp. Lower bounds stay: a call that
// returns before its time-out did not wait, and no load makes a call faster.
constexpr int64_t kHangMs = 15000;

class SimTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string sim, problem;
        // A run without the simulator must not look like a pass.
        ASSERT_TRUE(SessionPaths(sim, m_dir, problem)) << problem;
    }

    // The simulator stays up until the test ends (or Stop); its destructor
    // stops it even when an assertion fails.
    CSimulator* StartSim(int port, const std::vector<std::string>& options = {}) {
        m_sims.emplace_back(new CSimulator(port, options));
        return m_sims.back().get();
    }

    std::string WriteScript(const std::string& name, const std::string& text) {
        const std::string path = m_dir + "/" + name + "-" + std::to_string(GetCurrentProcessId()) + ".txt";
        WriteWholeFile(path, text);
        return path;
    }

    std::string m_dir;
    std::vector<std::unique_ptr<CSimulator>> m_sims;
};

// Groups of the device tests; each starts its own simulators.
class DeviceConnection : public SimTest {};
class DeviceReporting : public SimTest {};
class DeviceParameters : public SimTest {};
class DeviceHangUp : public SimTest {};
class DeviceThreads : public SimTest {};

#define ASSERT_SIM(sim) ASSERT_TRUE((sim)->Started()) << (sim)->Problem()

using radarproto::FloatBits;
uint16_t U16(const std::vector<uint8_t>& d, size_t at) { return radarproto::GetLe16(&d.at(at)); }
uint32_t U32(const std::vector<uint8_t>& d, size_t at) { return radarproto::GetLe32(&d.at(at)); }

// Command mode with the pending input dropped, as the tool does it.
void EnterCommandMode(TAVO_DEVICE_HANDLE h) {
    ASSERT_NE(0, Tavo_Interface_RadarDevice_StartCmdMode(h, 2, 150));
    Tavo_Interface_RadarDevice_Protocol_CleanData(h, 500);
}

// Reads (1 s time-out each) until a read gives nothing, 200 reads at most, as
// when the module hangs up; the last read's result, and how long it took.
int ReadUntilNothing(TAVO_DEVICE_HANDLE h, int64_t* lastReadMs = nullptr) {
    uint8_t buffer[4096];
    int n = 1;
    for (int reads = 0; n > 0 && reads < 200; ++reads) {
        const int64_t t0 = NowMs();
        n = Tavo_Interface_RadarDevice_ReadData(h, buffer, sizeof buffer, 1000, 0);
        if (lastReadMs) *lastReadMs = NowMs() - t0;
    }
    return n;
}

std::vector<uint8_t> ReadParameters(TAVO_DEVICE_HANDLE h, uint16_t* result) {
    HandlerLog log;
    *result = Tavo_Interface_RadarDevice_Protocol_SendCommand(h, 0x73, nullptr, 0, RecordingHandler, &log, 2000);
    return log.data;
}

}  // namespace

// ---------------------------------------------------------------------------
// Arguments and idle calls: no simulator needed.

TEST(DeviceArguments, BadHandlesAndBuffersFailCleanly) {
    uint8_t buffer[16];
    CBaseStringA text;
    EXPECT_EQ(0, Tavo_Interface_RadarDevice_Serial_OpenByPortNum(nullptr, 5, 256000, 2, 1, 1, 150));
    EXPECT_EQ(0, Tavo_Interface_RadarDevice_IsConnected(nullptr));
    EXPECT_EQ(0, Tavo_Interface_RadarDevice_GetVersion(nullptr, &text));
    EXPECT_LE(Tavo_Interface_RadarDevice_ReadData(nullptr, buffer, sizeof buffer, 10, 0), 0);
    EXPECT_NE(
        0, Tavo_Interface_RadarDevice_Protocol_SendCommand(nullptr, 0x73, nullptr, 0, RecordingHandler, nullptr, 10));
    EXPECT_EQ(0, Tavo_Interface_RadarDevice_GetReadBlockBufferSize(nullptr));
    Tavo_Interface_RadarDevice_Serial_Close(nullptr);
    Tavo_Interface_RadarDevice_Serial_Destroy(nullptr);

    CDevice device;
    ASSERT_NE(nullptr, device.Get());
    EXPECT_EQ(4096, Tavo_Interface_RadarDevice_GetReadBlockBufferSize(device.Get()));
    EXPECT_LE(Tavo_Interface_RadarDevice_ReadData(device.Get(), nullptr, 16, 10, 0), 0);
    EXPECT_LE(Tavo_Interface_RadarDevice_ReadData(device.Get(), buffer, -1, 10, 0), 0);
    EXPECT_EQ(0, Tavo_Interface_RadarDevice_GetVersion(device.Get(), nullptr));
    HandlerLog log;
    EXPECT_NE(0, Tavo_Interface_RadarDevice_Protocol_SendCommand(device.Get(), 0x73, nullptr, -1, RecordingHandler,
                                                                 &log, 10));
    EXPECT_NE(0, Tavo_Interface_RadarDevice_Protocol_SendCommand(device.Get(), 0x73, nullptr, 0, nullptr, nullptr, 10));
    EXPECT_EQ(0, Tavo_Interface_RadarDevice_Protocol_SetParameter(device.Get(), 0x67, 1, nullptr, nullptr, 10));
    EXPECT_EQ(0, log.calls);
}

TEST(DeviceArguments, IdleCallsAreHarmless) {
    CDevice device;
    EXPECT_EQ(0, Tavo_Interface_RadarDevice_IsConnected(device.Get()));
    Tavo_Interface_RadarDevice_Stop(device.Get());
    Tavo_Interface_RadarDevice_Serial_Close(device.Get());
    Tavo_Interface_RadarDevice_Serial_Close(device.Get());
    EXPECT_EQ(0, Tavo_Interface_RadarDevice_StartCmdMode(device.Get(), 2, 50));
    uint8_t buffer[16];
    const int64_t t0 = NowMs();
    EXPECT_LE(Tavo_Interface_RadarDevice_ReadData(device.Get(), buffer, sizeof buffer, 200, 0), 0);
    EXPECT_LT(NowMs() - t0, kHangMs);
    // A port nobody made does not open.
    EXPECT_EQ(0, Tavo_Interface_RadarDevice_Serial_OpenByPortNum(device.Get(), 7, 256000, 2, 1, 1, 150));
    EXPECT_EQ(0, Tavo_Interface_RadarDevice_IsConnected(device.Get()));
}

// ---------------------------------------------------------------------------
// Connection: open, version, close, reopen.

TEST_F(DeviceConnection, OpenReadsVersionClosesAndReopens) {
    CSimulator* sim = StartSim(kPortA, {"--version-text", "ZUV3917-9.87.654321"});
    ASSERT_SIM(sim);
    CDevice device;
    ASSERT_TRUE(device.Open(kPortA));
    EXPECT_EQ(1, Tavo_Interface_RadarDevice_IsConnected(device.Get()));
    CBaseStringA version;
    ASSERT_NE(0, Tavo_Interface_RadarDevice_GetVersion(device.Get(), &version));
    EXPECT_STREQ("ZUV3917-9.87.654321", version.GetString());

    EXPECT_NE(0, Tavo_Interface_RadarDevice_Serial_Close(device.Get()));
    EXPECT_EQ(0, Tavo_Interface_RadarDevice_IsConnected(device.Get()));
    EXPECT_EQ(0, Tavo_Interface_RadarDevice_GetVersion(device.Get(), &version));

    ASSERT_TRUE(device.Open(kPortA));
    CBaseStringA again;
    ASSERT_NE(0, Tavo_Interface_RadarDevice_GetVersion(device.Get(), &again));
    EXPECT_STREQ("ZUV3917-9.87.654321", again.GetString());
}

// ---------------------------------------------------------------------------
// Reporting.

TEST_F(DeviceReporting, StartDeliversReportFramesByteExactAndStopEndsThem) {
    CSimulator* sim = StartSim(kPortA, {"--script", WriteScript("still300", "1 300 600000\n")});
    ASSERT_SIM(sim);
    CDevice device;
    ASSERT_TRUE(device.Open(kPortA));
    TAVO_DEVICE_HANDLE h = device.Get();
    ASSERT_NE(0, Tavo_Interface_RadarDevice_StartCmdMode(h, 2, 150));
    EXPECT_NE(0, Tavo_Interface_RadarDevice_Protocol_CleanData(h, 500));
    ASSERT_NE(0, Tavo_Interface_RadarDevice_Start(h));
    ASSERT_NE(0, Tavo_Interface_RadarDevice_StopCmdMode(h));

    std::vector<uint8_t> bytes = ReadAtLeast(h, 10 * 7);
    // Finish the frame in flight, so the stream ends on a frame boundary.
    while (bytes.size() % 7 != 0) {
        std::vector<uint8_t> more = ReadAtLeast(h, 7 - bytes.size() % 7, 2000);
        ASSERT_FALSE(more.empty());
        bytes.insert(bytes.end(), more.begin(), more.end());
    }
    ASSERT_GE(bytes.size(), 70u);
    for (size_t at = 0; at < bytes.size(); at += 7)
        ASSERT_EQ(0, std::memcmp(kFrame300, &bytes[at], 7)) << "frame at byte " << at;

    ASSERT_NE(0, Tavo_Interface_RadarDevice_Stop(h));
    EXPECT_TRUE(ReadFor(h, 400).empty());
}

TEST_F(DeviceReporting, ReadDataWaitsAndReturnsNothingWhenTheModuleIsSilent) {
    CSimulator* sim = StartSim(kPortA, {"--silent"});
    ASSERT_SIM(sim);
    CDevice device;
    ASSERT_TRUE(device.Open(kPortA));
    uint8_t buffer[4096];
    for (int timeout : {50, 300, 1000}) {
        const int64_t t0 = NowMs();
        EXPECT_EQ(0, Tavo_Interface_RadarDevice_ReadData(device.Get(), buffer, sizeof buffer, timeout, 0));
        const int64_t took = NowMs() - t0;
        EXPECT_LT(took, kHangMs) << "time-out " << timeout;
        // It waited for data rather than returning at once: a reader looping
        // on it does not spin.
        EXPECT_GE(took, timeout / 2) << "time-out " << timeout;
    }
    EXPECT_EQ(1, Tavo_Interface_RadarDevice_IsConnected(device.Get()));
}

TEST_F(DeviceReporting, CleanDataDropsPendingInput) {
    // Every frame names itself: frame k (from 0, one per 50 ms) reports 100 + k cm.
    std::string script;
    for (int k = 0; k < 1000; ++k) script += "1 " + std::to_string(100 + k) + " 50\n";
    CSimulator* sim = StartSim(kPortA, {"--reporting", "--script", WriteScript("numbered", script)});
    ASSERT_SIM(sim);
    CDevice device;
    ASSERT_TRUE(device.Open(kPortA));
    // Let frames pile up unread in the driver: wait until the simulator says
    // it sent a good number since we opened.
    const int before = sim->CountLog("TX");
    ASSERT_TRUE(WaitUntil([&] { return sim->CountLog("TX") >= before + 8; }));
    const int backlog = sim->CountLog("TX");  // frames 0 .. backlog - 1 went out before the call
    EXPECT_NE(0, Tavo_Interface_RadarDevice_Protocol_CleanData(device.Get(), 500));
    // What comes now is fresh: whole frames from a frame boundary on, in
    // order, the first of them sent after the backlog.
    const std::vector<uint8_t> bytes = ReadAtLeast(device.Get(), 3 * 7);
    ASSERT_GE(bytes.size(), 3u * 7);
    int previous = -1;
    for (size_t at = 0; at + 7 <= bytes.size(); at += 7) {
        ASSERT_TRUE(bytes[at] == 0xAA && bytes[at + 1] == 0xAA && bytes[at + 5] == 0x55 && bytes[at + 6] == 0x55)
            << "no whole frame at byte " << at;
        const int k = radarproto::DecodeReport(&bytes[at]).distance - 100;
        if (previous < 0)
            EXPECT_GE(k, backlog) << "frame " << k << " of the backlog came through";
        else
            EXPECT_EQ(previous + 1, k);
        previous = k;
    }
}

// ---------------------------------------------------------------------------
// Parameters.

TEST_F(DeviceParameters, EachWriteCodeReadsBackWhatWasWritten) {
    CSimulator* sim = StartSim(kPortA);
    ASSERT_SIM(sim);
    CDevice device;
    ASSERT_TRUE(device.Open(kPortA));
    TAVO_DEVICE_HANDLE h = device.Get();
    EnterCommandMode(h);

    // Each write, and where its values read back: the first field's offset in
    // the reply and the width of every field (1, 2 or 4 bytes).
    struct Write {
        int code;
        std::vector<uint16_t> ids;
        std::vector<uint32_t> values;
        size_t at, width;
    };
    const std::vector<Write> writes = {
        {0x67, {0, 1, 2, 3, 4}, {650, 45, 410, 35, 17}, 2, 2},
        {0x68, {0, 1, 2, 3}, {FloatBits(41.5f), FloatBits(6.25f), FloatBits(39.0f), FloatBits(8.5f)}, 12, 4},
        {0x69, {0, 1}, {3, 7}, 28, 1},
        {0x70, {0, 1}, {6, 11}, 30, 1},
        {0x71, {0, 1, 2, 3}, {FloatBits(0.45f), FloatBits(0.55f), FloatBits(0.8f), FloatBits(0.2f)}, 32, 4},
        {0x72, {0}, {static_cast<uint32_t>(-25)}, 48, 4},
    };
    for (const Write& w : writes) {
        ASSERT_NE(0, Tavo_Interface_RadarDevice_Protocol_SetParameter(h, w.code, static_cast<int>(w.ids.size()),
                                                                      w.ids.data(), w.values.data(), 2000))
            << "code 0x" << std::hex << w.code;
        uint16_t result = 0xFFFF;
        const std::vector<uint8_t> p = ReadParameters(h, &result);
        ASSERT_EQ(0, result) << "read-back after 0x" << std::hex << w.code;
        ASSERT_EQ(52u, p.size());
        EXPECT_EQ(0, U16(p, 0));
        for (size_t i = 0; i < w.values.size(); ++i) {
            const size_t at = w.at + w.width * i;
            const uint32_t field = w.width == 1 ? p.at(at) : w.width == 2 ? U16(p, at) : U32(p, at);
            EXPECT_EQ(w.values[i], field) << "code 0x" << std::hex << w.code << " id " << std::dec << i;
        }
    }
    EXPECT_NE(0, Tavo_Interface_RadarDevice_StopCmdMode(h));
}

TEST_F(DeviceParameters, ParameterReplyOfWrongLengthOrWithStatusFails) {
    struct Fault {
        std::vector<std::string> options;
        size_t length;
        uint16_t status;
    };
    const std::vector<Fault> faults = {
        {{"--reply-0x73-length", "51"}, 51, 0},
        {{"--reply-0x73-length", "53"}, 53, 0},
        {{"--status-0x73", "4"}, 52, 4},
    };
    for (const Fault& f : faults) {
        SCOPED_TRACE(f.options[0] + " " + f.options[1]);
        CSimulator sim(kPortA, f.options);
        ASSERT_SIM(&sim);
        CDevice device;
        ASSERT_TRUE(device.Open(kPortA));
        EnterCommandMode(device.Get());
        HandlerLog log;
        log.result = 0;  // a careless handler: the library itself must refuse
        const uint16_t result = Tavo_Interface_RadarDevice_Protocol_SendCommand(device.Get(), 0x73, nullptr, 0,
                                                                                RecordingHandler, &log, 2000);
        EXPECT_NE(0, result);
        EXPECT_EQ(1, log.calls);
        EXPECT_EQ(1, log.hasStatus);
        ASSERT_EQ(f.length, log.data.size());
        EXPECT_EQ(f.status, U16(log.data, 0));
        // A handler's own failure comes back as it is.
        HandlerLog refusing;
        refusing.result = 0x1234;
        EXPECT_EQ(0x1234, Tavo_Interface_RadarDevice_Protocol_SendCommand(device.Get(), 0x73, nullptr, 0,
                                                                          RecordingHandler, &refusing, 2000));
    }
}

TEST_F(DeviceParameters, RefusedWriteFailsAndChangesNothing) {
    CSimulator* sim = StartSim(kPortA, {"--refuse-code", "0x67"});
    ASSERT_SIM(sim);
    CDevice device;
    ASSERT_TRUE(device.Open(kPortA));
    TAVO_DEVICE_HANDLE h = device.Get();
    EnterCommandMode(h);
    uint16_t result = 0xFFFF;
    const std::vector<uint8_t> before = ReadParameters(h, &result);
    ASSERT_EQ(0, result);
    const uint16_t ids[2] = {0, 4};
    const uint32_t values[2] = {600, 9};
    EXPECT_EQ(0, Tavo_Interface_RadarDevice_Protocol_SetParameter(h, 0x67, 2, ids, values, 2000));
    EXPECT_EQ(before, ReadParameters(h, &result));
    // Other codes still work.
    const uint16_t id = 0;
    const uint32_t cal = 12;
    EXPECT_NE(0, Tavo_Interface_RadarDevice_Protocol_SetParameter(h, 0x72, 1, &id, &cal, 2000));
}

TEST_F(DeviceParameters, CommandWithoutReplyTimesOutAndItsLateReplyIsNotTaken) {
    CSimulator* sim = StartSim(kPortA, {"--reply-delay", "1500"});
    ASSERT_SIM(sim);
    CDevice device;
    ASSERT_TRUE(device.Open(kPortA));
    HandlerLog log;
    const int64_t t0 = NowMs();
    const uint16_t result =
        Tavo_Interface_RadarDevice_Protocol_SendCommand(device.Get(), 0x03, nullptr, 0, RecordingHandler, &log, 300);
    EXPECT_EQ(TAVO_RADAR_ERR_TIMEOUT, result);
    EXPECT_LT(NowMs() - t0, kHangMs);
    EXPECT_EQ(0, log.calls);
    // The late reply is not taken for the next command's: the version text
    // comes while "stop reporting" (answered late as well, with its status
    // alone) still waits for its own reply.
    HandlerLog next;
    EXPECT_EQ(0, Tavo_Interface_RadarDevice_Protocol_SendCommand(device.Get(), 0x11, nullptr, 0, RecordingHandler,
                                                                 &next, 5000));
    EXPECT_EQ(1, next.calls);
    EXPECT_EQ(std::vector<uint8_t>({0, 0}), next.data) << "another command's reply was taken for it";
}

// ---------------------------------------------------------------------------
// Hang-up and reopening.

TEST_F(DeviceHangUp, HangUpIsSeenAndExplicitReopenWorks) {
    CSimulator* first = StartSim(kPortA, {"--reporting", "--hangup-after", "5", "--version-text", "first"});
    ASSERT_SIM(first);
    CDevice device;
    ASSERT_TRUE(device.Open(kPortA));
    TAVO_DEVICE_HANDLE h = device.Get();
    int64_t took = 0;
    EXPECT_LE(ReadUntilNothing(h, &took), 0);
    EXPECT_LT(took, kHangMs);
    ASSERT_TRUE(first->WaitExited());
    EXPECT_EQ(0, Tavo_Interface_RadarDevice_IsConnected(h));
    // Still gone: reads wait out their time-out and do not spin.
    uint8_t buffer[4096];
    const int64_t t0 = NowMs();
    EXPECT_LE(Tavo_Interface_RadarDevice_ReadData(h, buffer, sizeof buffer, 300, 0), 0);
    const int64_t stillGone = NowMs() - t0;
    EXPECT_GE(stillGone, 150);
    EXPECT_LT(stillGone, kHangMs);
    EXPECT_EQ(0, Tavo_Interface_RadarDevice_Serial_OpenByPortNum(h, kPortA, 256000, 2, 1, 1, 150));

    CSimulator* second = StartSim(kPortA, {"--version-text", "second"});
    ASSERT_SIM(second);
    ASSERT_TRUE(device.Open(kPortA));
    EXPECT_EQ(1, Tavo_Interface_RadarDevice_IsConnected(h));
    CBaseStringA version;
    ASSERT_NE(0, Tavo_Interface_RadarDevice_GetVersion(h, &version));
    EXPECT_STREQ("second", version.GetString());
}

TEST_F(DeviceHangUp, ReadDataReopensAReturningPortByItself) {
    const std::string script = WriteScript("still300", "1 300 600000\n");
    CSimulator* first = StartSim(kPortA, {"--reporting", "--hangup-after", "5", "--script", script});
    ASSERT_SIM(first);
    CDevice device;
    ASSERT_TRUE(device.Open(kPortA));
    TAVO_DEVICE_HANDLE h = device.Get();
    ASSERT_LE(ReadUntilNothing(h), 0);
    EXPECT_EQ(0, Tavo_Interface_RadarDevice_IsConnected(h));
    ASSERT_TRUE(first->WaitExited());

    CSimulator* second = StartSim(kPortA, {"--reporting", "--script", script});
    ASSERT_SIM(second);
    // No open call: the acquisition just keeps reading.
    const std::vector<uint8_t> bytes = ReadAtLeast(h, 14, 10000);
    ASSERT_GE(bytes.size(), 14u);
    EXPECT_EQ(1, Tavo_Interface_RadarDevice_IsConnected(h));
    // Close ends the reopening.
    Tavo_Interface_RadarDevice_Serial_Close(h);
    uint8_t buffer[4096];
    EXPECT_LE(Tavo_Interface_RadarDevice_ReadData(h, buffer, sizeof buffer, 200, 0), 0);
    EXPECT_EQ(0, Tavo_Interface_RadarDevice_IsConnected(h));
}

// ---------------------------------------------------------------------------
// Threads and handles.

TEST_F(DeviceThreads, TwoHandlesOnTwoPortsWorkSideBySide) {
    CSimulator* a = StartSim(kPortA, {"--version-text", "module-A", "--script", WriteScript("a", "1 111 600000\n")});
    CSimulator* b = StartSim(kPortB, {"--version-text", "module-B", "--script", WriteScript("b", "2 222 600000\n")});
    ASSERT_SIM(a);
    ASSERT_SIM(b);
    CDevice da, db;
    ASSERT_TRUE(da.Open(kPortA));
    ASSERT_TRUE(db.Open(kPortB));
    CBaseStringA va, vb;
    ASSERT_NE(0, Tavo_Interface_RadarDevice_GetVersion(da.Get(), &va));
    ASSERT_NE(0, Tavo_Interface_RadarDevice_GetVersion(db.Get(), &vb));
    EXPECT_STREQ("module-A", va.GetString());
    EXPECT_STREQ("module-B", vb.GetString());
    for (TAVO_DEVICE_HANDLE h : {da.Get(), db.Get()}) {
        ASSERT_NE(0, Tavo_Interface_RadarDevice_Start(h));
    }
    // Two acquisition threads at once, one per handle.
    std::vector<uint8_t> got[2];
    std::thread ta([&] { got[0] = ReadAtLeast(da.Get(), 35); });
    std::thread tb([&] { got[1] = ReadAtLeast(db.Get(), 35); });
    ta.join();
    tb.join();
    const uint8_t frameA[7] = {0xAA, 0xAA, 0x01, 111, 0x00, 0x55, 0x55};
    const uint8_t frameB[7] = {0xAA, 0xAA, 0x02, 222, 0x00, 0x55, 0x55};
    ASSERT_GE(got[0].size(), 7u);
    ASSERT_GE(got[1].size(), 7u);
    EXPECT_EQ(0, std::memcmp(frameA, got[0].data(), 7));
    EXPECT_EQ(0, std::memcmp(frameB, got[1].data(), 7));
    Tavo_Interface_RadarDevice_Serial_Close(da.Get());
    // Closing one leaves the other alone.
    EXPECT_EQ(1, Tavo_Interface_RadarDevice_IsConnected(db.Get()));
    EXPECT_FALSE(ReadAtLeast(db.Get(), 7).empty());
}

TEST_F(DeviceThreads, IsConnectedAnswersWhileAReadIsUnderWay) {
    CSimulator* sim = StartSim(kPortA, {"--silent"});
    ASSERT_SIM(sim);
    CDevice device;
    ASSERT_TRUE(device.Open(kPortA));
    std::atomic<bool> reading{false}, done{false};
    int result = 1;
    std::thread reader([&] {
        uint8_t buffer[4096];
        reading = true;
        result = Tavo_Interface_RadarDevice_ReadData(device.Get(), buffer, sizeof buffer, 2000, 0);
        done = true;
    });
    ASSERT_TRUE(WaitUntil([&] { return reading.load(); }));
    // A call that waited for the read would come back only once it was done.
    int answeredDuringRead = 0;
    while (!done) {
        EXPECT_EQ(1, Tavo_Interface_RadarDevice_IsConnected(device.Get()));
        if (!done) ++answeredDuringRead;
        Sleep(5);
    }
    reader.join();
    EXPECT_EQ(0, result);
    EXPECT_GT(answeredDuringRead, 10);
}
