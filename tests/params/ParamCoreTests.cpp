// The parameter dialog's Windows-free logic.
#include "ParamCore.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

namespace {

uint32_t Bits(float f) {
    uint32_t b;
    std::memcpy(&b, &f, 4);
    return b;
}

void Put16(std::vector<uint8_t>& v, size_t at, uint16_t x) {
    v[at] = static_cast<uint8_t>(x);
    v[at + 1] = static_cast<uint8_t>(x >> 8);
}
void Put32(std::vector<uint8_t>& v, size_t at, uint32_t x) {
    for (int i = 0; i < 4; ++i) v[at + i] = static_cast<uint8_t>(x >> (8 * i));
}

// A reply payload with status; every field distinct and with its high bit or
// byte order visible: a sign-extended or byte-swapped read would show.
std::vector<uint8_t> Reply(uint16_t status) {
    std::vector<uint8_t> r(kParamReplyLength, 0);
    Put16(r, 0, status);
    Put16(r, 2, 0xFEDC);  // nMotionRangeMax: above 0x7FFF, widened without sign
    Put16(r, 4, 0x0102);
    Put16(r, 6, 0x8001);
    Put16(r, 8, 0x0030);
    Put16(r, 10, 0x0014);
    Put32(r, 12, Bits(40.5f));
    Put32(r, 16, Bits(-6.25f));
    Put32(r, 20, 0x7FC00001);  // a NaN payload must arrive bit for bit
    Put32(r, 24, Bits(9.0f));
    r[28] = 0xFF;
    r[29] = 0x08;
    r[30] = 0x80;
    r[31] = 0x0A;
    Put32(r, 32, Bits(0.5f));
    Put32(r, 36, Bits(0.25f));
    Put32(r, 40, Bits(0.85f));
    Put32(r, 44, 0x80000000);  // -0.0f
    Put32(r, 48, 0xFFFFFFF6);  // calibration -10
    return r;
}

void ExpectReplyFields(const RadarParam& p) {
    EXPECT_EQ(0xFEDC, p.nMotionRangeMax);
    EXPECT_EQ(0x0102, p.nMotionRangeMin);
    EXPECT_EQ(0x8001, p.nMotionlessRangeMax);
    EXPECT_EQ(0x30, p.nMotionlessRangeMin);
    EXPECT_EQ(20, p.nOffTime);
    EXPECT_EQ(Bits(40.5f), Bits(p.fMotionNearEndCoef));
    EXPECT_EQ(Bits(-6.25f), Bits(p.fMotionFarEndCoef));
    EXPECT_EQ(0x7FC00001u, Bits(p.fMotionlessNearEndCoef));
    EXPECT_EQ(Bits(9.0f), Bits(p.fMotionlessFarEndCoef));
    EXPECT_EQ(255, p.nMotionIIR);
    EXPECT_EQ(8, p.nMotionlessIIR);
    EXPECT_EQ(128, p.nMotionWindowRange);
    EXPECT_EQ(10, p.nMotionlessWindowRange);
    EXPECT_EQ(Bits(0.5f), Bits(p.fKalman1));
    EXPECT_EQ(Bits(0.25f), Bits(p.fKalman2));
    EXPECT_EQ(Bits(0.85f), Bits(p.fKalman3));
    EXPECT_EQ(0x80000000u, Bits(p.fKalman4));
    EXPECT_EQ(-10, p.nDistanceCalibration);
}

RadarParam Filled(int32_t seed) {
    RadarParam p;
    int32_t* cells = reinterpret_cast<int32_t*>(&p);
    for (int i = 0; i < 19; ++i) cells[i] = seed + i;
    return p;
}

bool SameRecord(const RadarParam& a, const RadarParam& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(ParseParamResponse, StoresAllEighteenFieldsWithAndWithoutStatus) {
    RadarParam p = Filled(1000);
    std::vector<uint8_t> r = Reply(0);
    EXPECT_EQ(0, ParseParamResponse(1, r.data(), kParamReplyLength, &p));
    ExpectReplyFields(p);
    EXPECT_EQ(1018, p.ReportTimeMS) << "the tool's own report period is not the module's";

    // Without a status the fields start at byte 0 and the last two bytes are unused.
    std::vector<uint8_t> bare(r.begin() + 2, r.end());
    bare.push_back(0xEE);
    bare.push_back(0xEE);
    RadarParam q = Filled(1000);
    EXPECT_EQ(0, ParseParamResponse(0, bare.data(), kParamReplyLength, &q));
    ExpectReplyFields(q);
}

TEST(ParseParamResponse, RefusedRepliesLeaveTheRecordAlone) {
    const RadarParam before = Filled(7);
    RadarParam p = before;
    std::vector<uint8_t> r = Reply(0x0005);
    EXPECT_EQ(0x0005, ParseParamResponse(1, r.data(), kParamReplyLength, &p)) << "status returned unchanged";
    r = Reply(0xA55A);
    EXPECT_EQ(0xA55A, ParseParamResponse(1, r.data(), kParamReplyLength, &p)) << "high byte of the status";
    EXPECT_TRUE(SameRecord(before, p));

    std::vector<uint8_t> big = Reply(0);
    big.push_back(0);
    for (int length : {0, 1, 2, 50, 51, 53, -1, -52, std::numeric_limits<int>::min()}) {
        EXPECT_EQ(kParamReplyUnusable, ParseParamResponse(1, big.data(), length, &p)) << length;
        EXPECT_EQ(kParamReplyUnusable, ParseParamResponse(0, big.data(), length, &p)) << length;
    }
    EXPECT_EQ(kParamReplyUnusable, ParseParamResponse(1, nullptr, kParamReplyLength, &p));
    EXPECT_EQ(kParamReplyUnusable, ParseParamResponse(1, big.data(), kParamReplyLength, nullptr));
    EXPECT_TRUE(SameRecord(before, p));
}

TEST(EditTextToNumber, TakesTheLongestLeadingDecimalNumber) {
    struct Case {
        const char* text;
        double value;
    } cases[] = {
        {"12.9", 12.9}, {"-3", -3}, {"7cm", 7}, {"", 0}, {"abc", 0}, {"cm7", 0},
        {"  \t\r\n\v\f42", 42}, {"+15", 15}, {"-", 0}, {".", 0}, {"-.5", -0.5}, {"5.", 5},
        {"1e3", 1000}, {"2.5E-1x", 0.25}, {"1e", 1}, {"1e+", 1}, {"3e-z", 3}, {"1.2.3", 1.2},
        {"0x1A", 0}, {"inf", 0}, {"nan", 0}, {"- 5", 0}, {"12 34", 12}, {"1,5", 1},
        {"00000000000000000000000000000000000000123", 123},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.value, EditTextToNumber(c.text)) << '"' << c.text << '"';
        std::wstring wide(c.text, c.text + std::strlen(c.text));
        EXPECT_EQ(c.value, EditTextToNumber(wide.c_str())) << '"' << c.text << '"';
    }
    EXPECT_EQ(0.0, EditTextToNumber(static_cast<const char*>(nullptr)));
    EXPECT_EQ(0.0, EditTextToNumber(static_cast<const wchar_t*>(nullptr)));
    // Characters beyond ASCII are no digits and no blanks.
    EXPECT_EQ(0.0, EditTextToNumber(L"\x0661\x0032"));
    EXPECT_EQ(0.0, EditTextToNumber(L"\x3000" L"5"));
    EXPECT_EQ(0.0, EditTextToNumber("\xB2" "5"));
    // Beyond a double's range: infinity, or zero of the right sign.
    EXPECT_EQ(std::numeric_limits<double>::infinity(), EditTextToNumber("1e400"));
    EXPECT_EQ(-std::numeric_limits<double>::infinity(), EditTextToNumber("-99999e99999999999999999999"));
    EXPECT_EQ(0.0, EditTextToNumber("1e-400"));
    EXPECT_GT(EditTextToNumber("1e-310"), 0.0) << "subnormal results are kept";
    EXPECT_TRUE(std::signbit(EditTextToNumber("-0.0001e-99999999999")));
    EXPECT_EQ(0.0, EditTextToNumber("0e99999"));
}

TEST(TruncateToInt32, CutsTowardZeroAndClampsOutsideTheRange) {
    EXPECT_EQ(12, TruncateToInt32(EditTextToNumber("12.9")));
    EXPECT_EQ(-3, TruncateToInt32(EditTextToNumber("-3.99")));
    EXPECT_EQ(0, TruncateToInt32(-0.5));
    EXPECT_EQ(2147483647, TruncateToInt32(2147483647.9));
    EXPECT_EQ(-2147483647 - 1, TruncateToInt32(-2147483648.9));
    EXPECT_EQ(2147483647, TruncateToInt32(EditTextToNumber("99999999999")));
    EXPECT_EQ(-2147483647 - 1, TruncateToInt32(EditTextToNumber("-1e300")));
    EXPECT_EQ(2147483647, TruncateToInt32(EditTextToNumber("1e999")));
    EXPECT_EQ(0, TruncateToInt32(std::nan("")));
}

TEST(WriteGroups, CodesIdsAndValuesInTheModulesOrder) {
    RadarParam p = Filled(0);
    p.nMotionRangeMax = 717;
    p.nMotionRangeMin = 30;
    p.nMotionlessRangeMax = 425;
    p.nMotionlessRangeMin = 31;
    p.nOffTime = 20;
    p.fMotionNearEndCoef = 40.0f;
    p.fMotionFarEndCoef = 6.0f;
    p.fMotionlessNearEndCoef = -40.0f;
    p.fMotionlessFarEndCoef = 9.0f;
    p.nMotionIIR = 2;
    p.nMotionlessIIR = 8;
    p.nMotionWindowRange = 5;
    p.nMotionlessWindowRange = 10;
    p.fKalman1 = 0.5f;
    p.fKalman2 = 0.25f;
    p.fKalman3 = 0.85f;
    p.fKalman4 = 0.15f;
    p.nDistanceCalibration = -12;

    struct Want {
        uint16_t code;
        std::vector<uint32_t> values;
    } want[] = {
        {0x67, {717, 30, 425, 31, 20}},
        {0x68, {Bits(40.0f), Bits(6.0f), Bits(-40.0f), Bits(9.0f)}},
        {0x69, {2, 8}},
        {0x70, {5, 10}},
        {0x71, {Bits(0.5f), Bits(0.25f), Bits(0.85f), Bits(0.15f)}},
        {0x72, {0xFFFFFFF4u}},
    };
    const auto groups = AllWriteGroups(p);
    for (size_t g = 0; g < groups.size(); ++g) {
        SCOPED_TRACE(g);
        EXPECT_EQ(want[g].code, groups[g].code);
        ASSERT_EQ(static_cast<int>(want[g].values.size()), groups[g].count);
        for (int i = 0; i < groups[g].count; ++i) {
            EXPECT_EQ(i, groups[g].ids[i]);
            EXPECT_EQ(want[g].values[i], groups[g].values[i]);
        }
    }
    const ParamWriteGroup general = GeneralWriteGroup(p), calibration = CalibrationWriteGroup(p);
    EXPECT_EQ(0, std::memcmp(&general, &groups[0], sizeof general));
    EXPECT_EQ(0, std::memcmp(&calibration, &groups[5], sizeof calibration));
}

}  // namespace
