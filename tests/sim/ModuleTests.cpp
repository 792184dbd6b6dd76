// The simulated module's logic, driven without any pty: commands in, replies
// and report frames out.
#include <gtest/gtest.h>

#include <cstring>

#include "Module.h"
#include "Scenario.h"
#include "SimModuleSupport.h"

using namespace radarproto;
using namespace zuvsim;
using Bytes = std::vector<uint8_t>;

namespace {

Scenario Steps(const char* text) {
    Scenario s;
    std::string error;
    EXPECT_TRUE(Scenario::Parse(text, s, error)) << error;
    return s;
}

class ModuleTest : public ::testing::Test {
protected:
    ModuleTest() : module(ModuleOptions{}, Steps("1 300 100\n2 150 100\n")) {}

    // Sends one command; returns the one reply's payload (status first).
    Bytes Command(uint16_t code, const Bytes& payload = {}) {
        const Bytes reply = testsupport::ModuleCommand(module, code, payload);
        EXPECT_FALSE(reply.empty()) << "not one reply to code " << code;
        return reply;
    }
    static uint16_t Status(const Bytes& payload) { return payload.size() >= 2 ? GetLe16(payload.data()) : 0xFFFF; }

    Module module;
};

}  // namespace

TEST_F(ModuleTest, VersionAndModesAnswerAnywhere) {
    EXPECT_EQ(Command(kReadVersion), (Bytes{0,   0,   'Z', 'U', 'V', '3', '9', '1', '7', '-', '2',
                                            '.', '0', '4', '.', '2', '6', '1', '2', '0', '1'}));
    EXPECT_EQ(Command(kStartReporting), (Bytes{0, 0}));
    EXPECT_EQ(Command(kEnterCommandMode), (Bytes{0, 0}));
    EXPECT_EQ(Command(kReadVersion).size(), 21u);
    EXPECT_EQ(Command(kLeaveCommandMode), (Bytes{0, 0}));
    EXPECT_EQ(Command(kStopReporting), (Bytes{0, 0}));
}

TEST_F(ModuleTest, EachWriteCodeReadsBackWhatWasWritten) {
    ASSERT_EQ(Status(Command(kEnterCommandMode)), kStatusOk);
    struct Write {
        uint16_t code;
        std::vector<std::pair<uint16_t, uint32_t>> pairs;
        std::vector<std::pair<size_t, Bytes>> expect;  // reply offset, bytes
    };
    const std::vector<Write> writes = {
        {kWriteGeneral,
         {{0, 650}, {1, 40}, {2, 400}, {3, 35}, {4, 90}},
         {{2, {0x8A, 0x02}}, {4, {40, 0}}, {6, {0x90, 0x01}}, {8, {35, 0}}, {10, {90, 0}}}},
        {kWriteNoiseFloor,
         {{0, FloatBits(30.5f)}, {3, FloatBits(7.25f)}},
         {{12, {0x00, 0x00, 0xF4, 0x41}}, {24, {0x00, 0x00, 0xE8, 0x40}}, {16, {0x00, 0x00, 0xC0, 0x40}}}},
        {kWriteIIR, {{0, 4}, {1, 12}}, {{28, {4, 12}}}},
        {kWriteWindow, {{1, 20}, {0, 7}}, {{30, {7, 20}}}},
        {kWriteAlphaBeta, {{2, FloatBits(1.0f)}}, {{40, {0x00, 0x00, 0x80, 0x3F}}, {32, {0x00, 0x00, 0x00, 0x3F}}}},
        {kWriteCalibration, {{0, static_cast<uint32_t>(-12)}}, {{48, {0xF4, 0xFF, 0xFF, 0xFF}}}},
    };
    for (const Write& w : writes) {
        std::vector<uint16_t> ids;
        std::vector<uint32_t> values;
        for (auto& p : w.pairs) {
            ids.push_back(p.first);
            values.push_back(p.second);
        }
        EXPECT_EQ(Command(w.code, EncodeParameterWrite(ids.data(), values.data(), ids.size())), (Bytes{0, 0}))
            << "code " << w.code;
        const Bytes read = Command(kReadParameters);
        ASSERT_EQ(read.size(), kParameterReplySize);
        EXPECT_EQ(Status(read), kStatusOk);
        for (auto& e : w.expect)
            EXPECT_EQ(Bytes(read.begin() + e.first, read.begin() + e.first + e.second.size()), e.second)
                << "code " << w.code << " offset " << e.first;
    }
    // Kept across command-mode sessions.
    Command(kLeaveCommandMode);
    Command(kEnterCommandMode);
    EXPECT_EQ(Command(kReadParameters), EncodeParameterReply(0, module.Parameters()));
    EXPECT_EQ(module.Parameters().motionRangeMax, 650);
}

TEST_F(ModuleTest, FailuresAnswerWithTheirStatusAndChangeNothing) {
    const uint16_t id0[] = {0};
    const uint16_t id9[] = {9};
    const uint32_t v[] = {100};
    const Bytes write = EncodeParameterWrite(id0, v, 1);
    EXPECT_EQ(Command(kWriteGeneral, write), (Bytes{0x02, 0}));  // not in command mode
    EXPECT_EQ(Command(kReadParameters), (Bytes{0x02, 0}));
    EXPECT_EQ(Command(0x55), (Bytes{0x01, 0}));
    EXPECT_EQ(Command(kEnterCommandMode, {1}), (Bytes{0x03, 0}));
    EXPECT_FALSE(module.CommandMode());

    Command(kEnterCommandMode);
    const Bytes before = Command(kReadParameters);
    EXPECT_EQ(Command(kWriteIIR, Bytes(7, 0)), (Bytes{0x03, 0}));
    EXPECT_EQ(Command(kWriteIIR, {}), (Bytes{0x03, 0}));
    EXPECT_EQ(Command(kReadParameters, {0}), (Bytes{0x03, 0}));
    EXPECT_EQ(Command(kWriteGeneral, EncodeParameterWrite(id9, v, 1)), (Bytes{0x04, 0}));
    const uint16_t ids[] = {0, 5};
    const uint32_t values[] = {300, 1};
    EXPECT_EQ(Command(kWriteGeneral, EncodeParameterWrite(ids, values, 2)), (Bytes{0x04, 0}));
    EXPECT_EQ(Command(kReadParameters), before);
}

TEST_F(ModuleTest, ReportingPausesInCommandMode) {
    EXPECT_TRUE(module.Tick().empty());  // power-up: not reporting
    Command(kStartReporting);
    EXPECT_EQ(module.Tick(), EncodeReport(1, 300));
    EXPECT_EQ(module.Tick(), EncodeReport(1, 300));
    Command(kEnterCommandMode);
    EXPECT_TRUE(module.Tick().empty());
    Command(kLeaveCommandMode);
    // The scenario did not advance while paused.
    EXPECT_EQ(module.Tick(), EncodeReport(2, 150));
    Command(kEnterCommandMode);
    Command(kStopReporting);
    Command(kLeaveCommandMode);
    EXPECT_TRUE(module.Tick().empty());
    EXPECT_EQ(module.ReportFrames(), 3u);
}

TEST_F(ModuleTest, CommandsSplitAnywhereAndMixedWithGarbage) {
    Bytes stream = {0x00, 0xAA, 0xC5};
    for (uint16_t code : {kEnterCommandMode, kReadParameters, kLeaveCommandMode}) {
        const Bytes c = EncodeCommand(code);
        stream.insert(stream.end(), c.begin(), c.end());
        stream.insert(stream.end(), {0x5C, 0xC5});
    }
    const Bytes ignoredReply = EncodeReply(kEnterCommandMode, 0);
    stream.insert(stream.end(), ignoredReply.begin(), ignoredReply.end());
    std::vector<uint16_t> codes;
    for (size_t i = 0; i < stream.size(); ++i)
        for (const Reply& r : module.Receive(&stream[i], 1)) codes.push_back(static_cast<uint16_t>(r.bytes[3]));
    EXPECT_EQ(codes, (std::vector<uint16_t>{0x01, 0x73, 0x02}));
}

TEST(ModuleFaults, ReadReplyLengthStatusAndRefusedCode) {
    ModuleOptions o;
    o.reply73Length = 51;
    o.status73 = 0x0007;
    o.refuseCode = kWriteWindow;
    Module m(o, Steps("0 0 10"));
    auto one = [&m](uint16_t code, const Bytes& payload = {}) {
        const Bytes f = EncodeCommand(code, payload);
        auto r = m.Receive(f.data(), f.size());
        EXPECT_EQ(r.size(), 1u);
        return r.empty() ? Bytes{} : r[0].bytes;
    };
    one(kEnterCommandMode);
    const Bytes read = one(kReadParameters);
    ASSERT_EQ(read.size(), kFrameOverhead + 51);
    EXPECT_EQ(read[5], 51);
    EXPECT_EQ(read[7], 0x07);
    const uint16_t id[] = {0};
    const uint32_t v[] = {3};
    const Bytes refused = one(kWriteWindow, EncodeParameterWrite(id, v, 1));
    EXPECT_EQ(refused, EncodeReply(kWriteWindow, kStatusRefused));
    EXPECT_EQ(m.Parameters().motionWindowRange, ModuleParameters{}.motionWindowRange);
    EXPECT_EQ(one(kWriteIIR, EncodeParameterWrite(id, v, 1)), EncodeReply(kWriteIIR, kStatusOk));
}

TEST(ModuleFaults, BadTrailersAndNoiseBetweenFrames) {
    ModuleOptions o;
    o.badTrailerEvery = 3;
    o.noisePerFrame = 4;
    Module m(o, Steps("1 200 1000"));
    const Bytes start = EncodeCommand(kStartReporting);
    m.Receive(start.data(), start.size());
    for (int i = 1; i <= 6; ++i) {
        const Bytes out = m.Tick();
        ASSERT_EQ(out.size(), kReportSize + 4);
        EXPECT_EQ(Bytes(out.begin(), out.begin() + 5), (Bytes{0xAA, 0xAA, 1, 200, 0}));
        const bool broken = !(out[5] == 0x55 && out[6] == 0x55);
        EXPECT_EQ(broken, i % 3 == 0) << "frame " << i;
    }
}

TEST(Scenarios, ScriptsAndBuiltins) {
    Scenario s;
    std::string error;
    ASSERT_TRUE(Scenario::Parse("# header\n1 300 100   # walking\n\n2 150 50\r\n", s, error)) << error;
    EXPECT_EQ(s.TotalMs(), 150u);
    EXPECT_EQ(s.At(99).distance, 300);
    EXPECT_EQ(s.At(100).state, 2);
    EXPECT_EQ(s.At(150).distance, 300);  // loops
    s.loop = false;
    EXPECT_EQ(s.At(10000).distance, 150);

    for (const char* bad :
         {"1 300\n", "1 300 100 7\n", "x 1 1\n", "1 70000 10\n", "1 1 0\n", "# nothing\n", "-1 1 1\n"})
        EXPECT_FALSE(Scenario::Parse(bad, s, error)) << bad;
    EXPECT_NE(error.find("line 1"), std::string::npos) << error;

    for (const char* name : {"empty", "walk-in", "stand-still", "walk-out", "random"}) {
        ASSERT_TRUE(Scenario::Builtin(name, 5, s)) << name;
        EXPECT_GT(s.TotalMs(), 0u);
    }
    EXPECT_FALSE(Scenario::Builtin("dance", 0, s));
    Scenario a, b, c;
    Scenario::Builtin("random", 5, a);
    Scenario::Builtin("random", 5, b);
    Scenario::Builtin("random", 6, c);
    bool differs = false;
    for (uint64_t t = 0; t < 60000; t += 200) {
        EXPECT_EQ(a.At(t).distance, b.At(t).distance);
        differs |= a.At(t).distance != c.At(t).distance;
    }
    EXPECT_TRUE(differs);
    Scenario::Builtin("walk-in", 0, s);
    EXPECT_EQ(s.At(0).state, 1);
    EXPECT_GT(s.At(0).distance, s.At(1000).distance);
}
