// The protocol codec: frames found in any split of a mixed stream, and nothing
// but well-formed frames; parameter payloads byte for byte.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "RadarProtocol.h"

using namespace radarproto;

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

std::vector<Frame> DecodeAll(FrameDecoder& d, const Bytes& stream, const std::vector<size_t>& cuts) {
    std::vector<Frame> out;
    size_t at = 0;
    for (size_t cut : cuts) {
        d.Feed(stream.data() + at, cut - at);
        at = cut;
        Frame f;
        while (d.Next(f)) out.push_back(f);
    }
    d.Feed(stream.data() + at, stream.size() - at);
    Frame f;
    while (d.Next(f)) out.push_back(f);
    return out;
}

}  // namespace

TEST(Crc, CheckValueAndKnownFrame) {
    const uint8_t check[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    EXPECT_EQ(Crc16(check, sizeof check), 0x29B1);
    EXPECT_EQ(Crc16(nullptr, 0), 0xFFFF);
    // "enter command mode", as the module's documentation lays it out.
    EXPECT_EQ(EncodeCommand(kEnterCommandMode),
              (Bytes{0xC5, 0x5C, 0x01, 0x01, 0x00, 0x00, 0x00, 0xE9, 0xCD, 0x5C, 0xC5}));
}

TEST(Encode, LayoutAndLimits) {
    const Bytes reply = EncodeReply(0x03, 0x0004, {'A', 'B'});
    ASSERT_EQ(reply.size(), kFrameOverhead + 4);
    EXPECT_EQ(Bytes(reply.begin(), reply.begin() + 11),
              (Bytes{0xC5, 0x5C, 0x81, 0x03, 0x00, 0x04, 0x00, 0x04, 0x00, 'A', 'B'}));
    const uint16_t crc = Crc16(reply.data() + 2, 9);
    EXPECT_EQ(reply[11], crc & 0xFF);
    EXPECT_EQ(reply[12], crc >> 8);

    EXPECT_EQ(EncodeCommand(0x67, Bytes(kMaxPayload, 7)).size(), kFrameOverhead + kMaxPayload);
    EXPECT_TRUE(EncodeCommand(0x67, Bytes(kMaxPayload + 1, 7)).empty());
    EXPECT_TRUE(EncodeReply(0x03, 0, Bytes(kMaxPayload - 1, 7)).empty());  // status makes it 1025

    EXPECT_EQ(EncodeReport(2, 0x1234), (Bytes{0xAA, 0xAA, 0x02, 0x34, 0x12, 0x55, 0x55}));
}

TEST(Decoder, EverySplitOfAMixedStreamGivesTheSameFrames) {
    const Bytes stream = Cat({EncodeReport(1, 300),
                              {0x00, 0xC5, 0x13},
                              EncodeReply(0x01, 0),
                              EncodeReport(1, 290),
                              EncodeReport(2, 280),
                              EncodeReply(0x03, 0, {'Z', 'U', 'V'}),
                              {0xC5},
                              EncodeCommand(0x67, Bytes(12, 0xC5)),
                              {0x5C, 0x00}});
    // Every single cut point, and every pair of cut points.
    for (size_t a = 0; a <= stream.size(); ++a) {
        for (size_t b = a; b <= stream.size(); b += (a % 5 == 0 ? 1 : 7)) {
            FrameDecoder d;
            const auto frames = DecodeAll(d, stream, {a, b});
            ASSERT_EQ(frames.size(), 3u) << "cuts " << a << "," << b;
            EXPECT_EQ(frames[0].kind, kKindReply);
            EXPECT_EQ(frames[0].code, 0x01);
            EXPECT_EQ(frames[0].payload, (Bytes{0, 0}));
            EXPECT_EQ(frames[1].payload, (Bytes{0, 0, 'Z', 'U', 'V'}));
            EXPECT_EQ(frames[2].kind, kKindCommand);
            EXPECT_EQ(frames[2].payload, Bytes(12, 0xC5));
        }
    }
    // Byte by byte.
    FrameDecoder d;
    std::vector<size_t> cuts;
    for (size_t i = 1; i < stream.size(); ++i) cuts.push_back(i);
    EXPECT_EQ(DecodeAll(d, stream, cuts).size(), 3u);
    EXPECT_EQ(d.Buffered(), 0u);
}

TEST(Decoder, DamagedFramesNeverComeOutAndTheNextGoodOneDoes) {
    const Bytes good = EncodeReply(0x73, 0, Bytes(50, 0x11));
    std::vector<Bytes> bad;
    Bytes b = good;
    b[20] ^= 0x01;  // payload bit: CRC fails
    bad.push_back(b);
    b = good;
    b[b.size() - 3] ^= 0x80;  // CRC byte
    bad.push_back(b);
    b = good;
    b.back() = 0xC6;  // trailer
    bad.push_back(b);
    b = good;
    b[2] = 0x02;  // unknown kind
    bad.push_back(b);
    bad.push_back(Bytes(good.begin(), good.end() - 2));  // trailer lost, the next frame runs into it

    for (size_t i = 0; i < bad.size(); ++i) {
        FrameDecoder d;
        const Bytes stream = Cat({bad[i], EncodeReply(0x02, 0)});
        const auto frames = DecodeAll(d, stream, {});
        ASSERT_EQ(frames.size(), 1u) << "case " << i;
        EXPECT_EQ(frames[0].code, 0x02) << "case " << i;
    }
}

TEST(Decoder, FalseHeaderInsideAFrameResumesOneByteLater) {
    // A header whose length claims more than the maximum, then a real frame
    // starting inside what that header would have covered.
    const Bytes stream = Cat({{0xC5, 0x5C, 0x81, 0x03, 0x00, 0xFF, 0xFF}, EncodeReply(0x10, 0)});
    FrameDecoder d;
    auto frames = DecodeAll(d, stream, {3});
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].code, 0x10);

    // A plausible header with a length of 40 swallowing a short real frame:
    // the short frame is still found once the false one fails its CRC.
    const Bytes inner = EncodeReply(0x11, 0);
    Bytes tricky = {0xC5, 0x5C, 0x81, 0x03, 0x00, 40, 0x00};
    tricky.insert(tricky.end(), inner.begin(), inner.end());
    tricky.resize(tricky.size() + 40, 0x00);
    frames = DecodeAll(d, tricky, {});
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].code, 0x11);
}

TEST(Decoder, MemoryStaysBoundedWhateverIsFed) {
    std::mt19937 rng(7);
    FrameDecoder d;
    Bytes noise(1 << 20);
    for (auto& x : noise) x = static_cast<uint8_t>(rng());
    d.Feed(noise.data(), noise.size());
    EXPECT_LE(d.Buffered(), kMaxBuffered);

    // Headers claiming the largest payload, over and over, never fed to the end.
    Bytes headers;
    for (int i = 0; i < 20000; ++i) headers.insert(headers.end(), {0xC5, 0x5C, 0x81, 0x73, 0x00, 0x00, 0x04});
    for (size_t at = 0; at < headers.size(); at += 333) {
        d.Feed(headers.data() + at, std::min<size_t>(333, headers.size() - at));
        Frame f;
        while (d.Next(f)) ADD_FAILURE() << "frame out of garbage";
        ASSERT_LE(d.Buffered(), kMaxBuffered);
    }
    // It still works afterwards, once the stale header has been given up.
    d.Reset();
    const Bytes r = EncodeReply(0x02, 0);
    d.Feed(r.data(), r.size());
    Frame f;
    EXPECT_TRUE(d.Next(f));
}

TEST(Decoder, RandomStreamsWithFramesInNoise) {
    std::mt19937 rng(12345);
    for (int round = 0; round < 200; ++round) {
        Bytes stream;
        std::vector<Bytes> expected;
        for (int i = 0; i < 8; ++i) {
            Bytes noise(rng() % 20);
            for (auto& x : noise) x = static_cast<uint8_t>(rng() % 2 ? 0xC5 : rng());  // many false header starts
            stream.insert(stream.end(), noise.begin(), noise.end());
            Bytes payload(rng() % 60);
            for (auto& x : payload) x = static_cast<uint8_t>(rng());
            const Bytes frame = EncodeFrame(kKindReply, static_cast<uint16_t>(rng()), payload.data(), payload.size());
            stream.insert(stream.end(), frame.begin(), frame.end());
            expected.push_back(payload);
        }
        std::vector<size_t> cuts;
        for (size_t at = 0; at < stream.size(); at += 1 + rng() % 30) cuts.push_back(at);
        FrameDecoder d;
        const auto frames = DecodeAll(d, stream, cuts);
        // Noise may by chance hold nothing that passes a CRC; every real frame
        // must come out in order.
        ASSERT_EQ(frames.size(), expected.size()) << "round " << round;
        for (size_t i = 0; i < frames.size(); ++i) EXPECT_EQ(frames[i].payload, expected[i]);
    }
}

TEST(Parameters, WritePayloadRoundTrip) {
    const uint16_t ids[] = {0, 4, 0xFFFF};
    const uint32_t values[] = {717, 0x12345678, 0xFFFFFFFF};
    const Bytes p = EncodeParameterWrite(ids, values, 3);
    EXPECT_EQ(p, (Bytes{0x00, 0x00, 0xCD, 0x02, 0x00, 0x00, 0x04, 0x00, 0x78, 0x56, 0x34, 0x12, 0xFF, 0xFF, 0xFF, 0xFF,
                        0xFF, 0xFF}));
    std::vector<ParameterPair> pairs;
    ASSERT_TRUE(DecodeParameterWrite(p, pairs));
    ASSERT_EQ(pairs.size(), 3u);
    EXPECT_EQ(pairs[1].id, 4);
    EXPECT_EQ(pairs[1].value, 0x12345678u);
    EXPECT_EQ(pairs[2].value, 0xFFFFFFFFu);

    EXPECT_TRUE(EncodeParameterWrite(ids, values, 0).empty());
    EXPECT_FALSE(DecodeParameterWrite({}, pairs));
    EXPECT_FALSE(DecodeParameterWrite(Bytes(7, 0), pairs));
    EXPECT_FALSE(DecodeParameterWrite(Bytes(5, 0), pairs));
}

TEST(Parameters, ReadReplyLayoutOfTheFactoryDefaults) {
    const Bytes r = EncodeParameterReply(0, ModuleParameters{});
    const Bytes expected = {
        0x00, 0x00, 0xCD, 0x02, 0x1E, 0x00, 0xA9, 0x01, 0x1E, 0x00, 0x14, 0x00,  // status, ranges, hold
        0x00, 0x00, 0x20, 0x42, 0x00, 0x00, 0xC0, 0x40, 0x00, 0x00, 0x20, 0x42,  // 40, 6, 40
        0x00, 0x00, 0x10, 0x41,                                                  // 9
        0x02, 0x08, 0x05, 0x0A,                                                  // IIR, windows
        0x00, 0x00, 0x00, 0x3F, 0x00, 0x00, 0x00, 0x3F, 0x9A, 0x99, 0x59, 0x3F,  // 0.5 0.5 0.85
        0x9A, 0x99, 0x19, 0x3E, 0x00, 0x00, 0x00, 0x00};                         // 0.15, calibration
    EXPECT_EQ(r, expected);
}

TEST(Parameters, WideValuesAreTruncatedInTheReply) {
    ModuleParameters p;
    p.motionRangeMax = 0x12345;
    p.motionIIR = 0x1FF;
    p.distanceCalibration = -3;
    const Bytes r = EncodeParameterReply(0x0005, p);
    EXPECT_EQ(r[0], 0x05);
    EXPECT_EQ(r[2], 0x45);
    EXPECT_EQ(r[3], 0x23);
    EXPECT_EQ(r[28], 0xFF);
    EXPECT_EQ((Bytes(r.begin() + 48, r.end())), (Bytes{0xFD, 0xFF, 0xFF, 0xFF}));
}

TEST(Parameters, ReplyFieldsReadBackAsWrittenWithinTheirWidths) {
    auto same = [](const ModuleParameters& a, const ModuleParameters& b) { return std::memcmp(&a, &b, sizeof a) == 0; };
    auto readBack = [](const ModuleParameters& p) {
        return DecodeParameterFields(EncodeParameterReply(kStatusOk, p).data() + kParameterFieldsOffset);
    };
    // Every field distinct and within its width; floats with a sign, a NaN
    // payload and a negative zero, which only a bit copy keeps.
    ModuleParameters p;
    p.motionRangeMax = 0xFEDC, p.motionRangeMin = 0x0102, p.motionlessRangeMax = 0x8001, p.motionlessRangeMin = 3;
    p.offTime = 0xFFFF;
    p.motionNearEndCoef = 40.5f, p.motionFarEndCoef = -6.25f, p.motionlessFarEndCoef = -0.0f;
    p.motionlessNearEndCoef = BitsFloat(0x7FC00001);
    p.motionIIR = 0xFF, p.motionlessIIR = 7, p.motionWindowRange = 0x80, p.motionlessWindowRange = 9;
    p.kalman[0] = 0.25f, p.kalman[1] = 1e-40f, p.kalman[2] = 3.5f, p.kalman[3] = -1.0f;
    p.distanceCalibration = INT32_MIN + 1;
    EXPECT_TRUE(same(readBack(p), p));

    // Wider values come back as the reply's width keeps them, never sign-extended.
    ModuleParameters wide = p;
    wide.motionRangeMax = 0x12345, wide.motionlessRangeMin = -1, wide.motionIIR = 0x1FF,
    wide.motionlessWindowRange = -2;
    ModuleParameters kept = p;
    kept.motionRangeMax = 0x2345, kept.motionlessRangeMin = 0xFFFF, kept.motionIIR = 0xFF,
    kept.motionlessWindowRange = 0xFE;
    EXPECT_TRUE(same(readBack(wide), kept));
}

TEST(Parameters, TheWriteCodesTogetherCarryEveryField) {
    // Numbered fields written code by code onto the factory set arrive whole.
    ModuleParameters want;
    int32_t* cells = reinterpret_cast<int32_t*>(&want);
    for (size_t i = 0; i < sizeof want / 4; ++i) cells[i] = static_cast<int32_t>(100 + i);
    want.motionNearEndCoef = 1.5f, want.kalman[3] = -2.5f;
    want.distanceCalibration = -7;
    ModuleParameters got;
    for (uint16_t code : kWriteCodes) {
        uint32_t values[kMaxWriteIds];
        const size_t n = ParameterWriteValues(code, want, values);
        ASSERT_GT(n, 0u) << code;
        std::vector<ParameterPair> pairs;
        for (size_t id = 0; id < n; ++id) pairs.push_back({static_cast<uint16_t>(id), values[id]});
        ASSERT_EQ(ApplyParameterWrite(code, pairs, got), kStatusOk) << code;
    }
    EXPECT_EQ(0, std::memcmp(&want, &got, sizeof want));
    uint32_t values[kMaxWriteIds];
    EXPECT_EQ(0u, ParameterWriteValues(kReadParameters, want, values));
}

TEST(Parameters, WritesApplyWholeOrNotAtAll) {
    ModuleParameters p;
    EXPECT_EQ(ApplyParameterWrite(kWriteGeneral, {{0, 800}, {4, 60}}, p), kStatusOk);
    EXPECT_EQ(p.motionRangeMax, 800);
    EXPECT_EQ(p.offTime, 60);

    const ModuleParameters before = p;
    auto same = [&before](const ModuleParameters& q) {
        return EncodeParameterReply(0, q) == EncodeParameterReply(0, before);
    };
    // A good pair before a bad one changes nothing.
    EXPECT_EQ(ApplyParameterWrite(kWriteGeneral, {{1, 50}, {5, 1}}, p), kStatusUnknownId);
    EXPECT_TRUE(same(p));
    EXPECT_EQ(ApplyParameterWrite(kWriteIIR, {{0, 3}, {2, 1}}, p), kStatusUnknownId);
    EXPECT_EQ(ApplyParameterWrite(kWriteCalibration, {{1, 0}}, p), kStatusUnknownId);
    EXPECT_EQ(ApplyParameterWrite(kWriteGeneral, {{1, 50}, {0, static_cast<uint32_t>(-1)}}, p), kStatusRefused);
    EXPECT_EQ(ApplyParameterWrite(kWriteNoiseFloor, {{0, FloatBits(1.0f)}, {1, FloatBits(NAN)}}, p), kStatusRefused);
    EXPECT_EQ(ApplyParameterWrite(kWriteAlphaBeta, {{3, FloatBits(INFINITY)}}, p), kStatusRefused);
    EXPECT_EQ(ApplyParameterWrite(kWriteGeneral, {}, p), kStatusBadLength);
    EXPECT_EQ(ApplyParameterWrite(0x66, {{0, 1}}, p), kStatusUnknownCommand);
    EXPECT_EQ(ApplyParameterWrite(kReadParameters, {{0, 1}}, p), kStatusUnknownCommand);
    EXPECT_TRUE(same(p));

    // Calibration alone may be negative.
    EXPECT_EQ(ApplyParameterWrite(kWriteCalibration, {{0, static_cast<uint32_t>(-25)}}, p), kStatusOk);
    EXPECT_EQ(p.distanceCalibration, -25);
}
