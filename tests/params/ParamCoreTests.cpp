// The parameter dialog's Windows-free logic.
#include "ParamCore.h"
#include "ParamTransfer.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

// IEEE-754 single-precision bits of the floats in the reply below.
constexpr uint32_t k40_5 = 0x42220000, kMinus6_25 = 0xC0C80000, k9 = 0x41100000;
constexpr uint32_t k0_5 = 0x3F000000, k0_25 = 0x3E800000, k0_85 = 0x3F59999A;

// The record as nineteen 32-bit cells, in field order.
int32_t* Cells(RadarParam& p) { return reinterpret_cast<int32_t*>(&p); }
bool Same(const RadarParam& a, const RadarParam& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

RadarParam Numbered() {
    RadarParam p;
    for (int i = 0; i < 19; ++i) Cells(p)[i] = 1000 + i;
    return p;
}

// A 52-byte reply with status: every field distinct, with high bits set where
// a sign-extended or byte-swapped read would show.
std::vector<uint8_t> Reply(uint16_t status) {
    std::vector<uint8_t> r(kParamReplyLength, 0);
    auto put = [&](size_t at, uint32_t x, int bytes) {
        for (int i = 0; i < bytes; ++i) r[at + i] = static_cast<uint8_t>(x >> (8 * i));
    };
    put(0, status, 2);
    put(2, 0xFEDC, 2), put(4, 0x0102, 2), put(6, 0x8001, 2), put(8, 0x30, 2), put(10, 20, 2);
    put(12, k40_5, 4), put(16, kMinus6_25, 4), put(20, 0x7FC00001, 4), put(24, k9, 4);
    put(28, 0xFF, 1), put(29, 8, 1), put(30, 0x80, 1), put(31, 10, 1);
    put(32, k0_5, 4), put(36, k0_25, 4), put(40, k0_85, 4), put(44, 0x80000000, 4);
    put(48, 0xFFFFFFF6, 4);
    return r;
}

RadarParam ReplyRecord() {
    RadarParam p = Numbered();
    const int32_t cells[18] = {0x30,
                               0x8001,
                               0x0102,
                               0xFEDC,
                               20,
                               255,
                               8,
                               static_cast<int32_t>(k40_5),
                               static_cast<int32_t>(kMinus6_25),
                               0x7FC00001,
                               static_cast<int32_t>(k9),
                               128,
                               10,
                               static_cast<int32_t>(k0_5),
                               static_cast<int32_t>(k0_25),
                               static_cast<int32_t>(k0_85),
                               INT32_MIN,
                               -10};
    std::memcpy(Cells(p), cells, sizeof cells);  // ReportTimeMS stays 1018
    return p;
}

TEST(ParseParamResponse, StoresAllEighteenFieldsWithAndWithoutStatus) {
    RadarParam p = Numbered();
    std::vector<uint8_t> r = Reply(0);
    EXPECT_EQ(0, ParseParamResponse(1, r.data(), kParamReplyLength, &p));
    EXPECT_TRUE(Same(ReplyRecord(), p));

    // Without a status the fields start at byte 0; the last two bytes are unused.
    std::vector<uint8_t> bare(r.begin() + 2, r.end());
    bare.insert(bare.end(), {0xEE, 0xEE});
    RadarParam q = Numbered();
    EXPECT_EQ(0, ParseParamResponse(0, bare.data(), kParamReplyLength, &q));
    EXPECT_TRUE(Same(ReplyRecord(), q));
}

TEST(ParseParamResponse, RefusedOrUnusableRepliesLeaveTheRecordAlone) {
    RadarParam p = Numbered();
    std::vector<uint8_t> r = Reply(0x0005);
    EXPECT_EQ(0x0005, ParseParamResponse(1, r.data(), kParamReplyLength, &p)) << "status returned unchanged";
    r = Reply(0xA55A);
    EXPECT_EQ(0xA55A, ParseParamResponse(1, r.data(), kParamReplyLength, &p)) << "both bytes of the status";
    r.push_back(0);
    for (int length : {0, 1, 2, 51, 53, -1, std::numeric_limits<int>::min()}) {
        EXPECT_EQ(kParamReplyUnusable, ParseParamResponse(1, r.data(), length, &p)) << length;
        EXPECT_EQ(kParamReplyUnusable, ParseParamResponse(0, r.data(), length, &p)) << length;
    }
    EXPECT_EQ(kParamReplyUnusable, ParseParamResponse(1, nullptr, kParamReplyLength, &p));
    EXPECT_EQ(kParamReplyUnusable, ParseParamResponse(1, r.data(), kParamReplyLength, nullptr));
    EXPECT_TRUE(Same(Numbered(), p));
}

TEST(EditTextToNumber, TakesTheLongestLeadingDecimalNumber) {
    const std::pair<const char*, double> cases[] = {{"12.9", 12.9},
                                                    {"-3", -3},
                                                    {"7cm", 7},
                                                    {"", 0},
                                                    {"abc", 0},
                                                    {"cm7", 0},
                                                    {" \t\r\n\v\f42", 42},
                                                    {"+15", 15},
                                                    {"-", 0},
                                                    {".", 0},
                                                    {"-.5", -0.5},
                                                    {"5.", 5},
                                                    {"1e3", 1000},
                                                    {"2.5E-1x", 0.25},
                                                    {"1e", 1},
                                                    {"1e+", 1},
                                                    {"3e-z", 3},
                                                    {"1.2.3", 1.2},
                                                    {"0x1A", 0},
                                                    {"inf", 0},
                                                    {"nan", 0},
                                                    {"- 5", 0},
                                                    {"12 34", 12},
                                                    {"1,5", 1},
                                                    {"000000000000000000000000000123", 123},
                                                    {"1e400", INFINITY},
                                                    {"-9e99999999999999999999", -INFINITY},
                                                    {"1e-400", 0},
                                                    {"0e99999", 0}};
    for (const auto& [text, value] : cases) {
        EXPECT_EQ(value, EditTextToNumber(text)) << '"' << text << '"';
        const std::wstring wide(text, text + std::strlen(text));
        EXPECT_EQ(value, EditTextToNumber(wide.c_str())) << '"' << text << '"';
    }
    EXPECT_GT(EditTextToNumber("1e-310"), 0.0) << "subnormal results are kept";
    EXPECT_TRUE(std::signbit(EditTextToNumber("-1e-99999")));
    EXPECT_EQ(0.0, EditTextToNumber(static_cast<const char*>(nullptr)));
    EXPECT_EQ(0.0, EditTextToNumber(static_cast<const wchar_t*>(nullptr)));
    // Beyond ASCII nothing is a digit or a blank.
    EXPECT_EQ(0.0, EditTextToNumber(L"\x0661\x0032"));
    EXPECT_EQ(0.0, EditTextToNumber(L"\x3000"
                                    L"5"));
    EXPECT_EQ(0.0, EditTextToNumber("\xB2"
                                    "5"));
}

TEST(TruncateToInt32, CutsTowardZeroAndClampsOutsideTheRange) {
    EXPECT_EQ(12, TruncateToInt32(12.9));
    EXPECT_EQ(-3, TruncateToInt32(-3.99));
    EXPECT_EQ(0, TruncateToInt32(-0.5));
    EXPECT_EQ(INT32_MAX, TruncateToInt32(2147483647.9));
    EXPECT_EQ(INT32_MIN, TruncateToInt32(-2147483648.9));
    EXPECT_EQ(INT32_MAX, TruncateToInt32(99999999999.0));
    EXPECT_EQ(INT32_MIN, TruncateToInt32(-INFINITY));
    EXPECT_EQ(INT32_MAX, TruncateToInt32(INFINITY));
    EXPECT_EQ(0, TruncateToInt32(std::nan("")));
}

TEST(WriteGroups, CodesIdsAndCellsInTheModulesOrder) {
    // Cells numbered by field index: floats then travel as these bit patterns.
    RadarParam p;
    for (int i = 0; i < 19; ++i) Cells(p)[i] = 100 + i;
    Cells(p)[17] = -12;  // the signed distance compensation
    const std::pair<uint16_t, std::vector<uint32_t>> want[] = {
        {0x67, {103, 102, 101, 100, 104}}, {0x68, {107, 108, 109, 110}}, {0x69, {105, 106}}, {0x70, {111, 112}},
        {0x71, {113, 114, 115, 116}},      {0x72, {0xFFFFFFF4u}}};
    const auto groups = AllWriteGroups(p);
    for (size_t g = 0; g < groups.size(); ++g) {
        EXPECT_EQ(want[g].first, groups[g].code) << g;
        ASSERT_EQ(want[g].second.size(), static_cast<size_t>(groups[g].count)) << g;
        for (int i = 0; i < groups[g].count; ++i) {
            EXPECT_EQ(i, groups[g].ids[i]) << g;
            EXPECT_EQ(want[g].second[i], groups[g].values[i]) << g << " " << i;
        }
    }
    const ParamWriteGroup general = GeneralWriteGroup(p), calibration = CalibrationWriteGroup(p);
    EXPECT_EQ(0, std::memcmp(&general, &groups[0], sizeof general));
    EXPECT_EQ(0, std::memcmp(&calibration, &groups[5], sizeof calibration));
}

// A module that confirms writes until the one of refuseCode and reads back
// what was sent, or that with one field changed (a module that clamps it).
struct FakeLink : IParamLink {
    uint16_t refuseCode = 0;
    bool readFails = false;
    int clampField = -1;
    RadarParam sent;  // what the writes carried
    std::vector<uint16_t> written;
    bool Write(const ParamWriteGroup& g) override {
        if (g.code == refuseCode) return false;
        written.push_back(g.code);
        return true;
    }
    bool Read(RadarParam& p) override {
        if (readFails) return false;
        p = sent;
        if (clampField >= 0) Cells(p)[clampField] = 7;
        return true;
    }
};

TEST(WriteAllAndVerify, OutcomeAndWhatTheRecordHolds) {
    struct Row {
        uint16_t refuse;
        bool readFails;
        int clampField;
        WriteAllResult::Outcome outcome;
        size_t writes;
        const char* differingKey;
    } rows[] = {
        {0, false, -1, WriteAllResult::Outcome::Verified, 6, nullptr},
        {0x69, false, -1, WriteAllResult::Outcome::WriteFailed, 2, nullptr},
        {0, true, -1, WriteAllResult::Outcome::ReadBackFailed, 6, nullptr},
        {0, false, 4, WriteAllResult::Outcome::Mismatch, 6, "nOffTime"},
    };
    for (const Row& row : rows) {
        FakeLink link;
        link.refuseCode = row.refuse, link.readFails = row.readFails, link.clampField = row.clampField;
        const RadarParam wanted = Numbered(), before = RadarParam();
        link.sent = wanted;
        RadarParam held = before;
        const WriteAllResult r = WriteAllAndVerify(link, wanted, held);
        EXPECT_EQ(row.outcome, r.outcome) << row.refuse;
        EXPECT_EQ(row.writes, link.written.size()) << row.refuse;
        if (row.outcome == WriteAllResult::Outcome::WriteFailed) {
            EXPECT_EQ(row.refuse, r.failedCode);
        }
        const bool read = !row.readFails && row.outcome != WriteAllResult::Outcome::WriteFailed;
        EXPECT_EQ(read ? 0 : 1, Same(held, before) ? 1 : 0) << "held follows the module only once read back";
        if (row.differingKey) {
            ASSERT_EQ(1u, r.differences.size());
            EXPECT_EQ(row.differingKey, r.differences[0].key);
            EXPECT_EQ("1004", r.differences[0].first);
            EXPECT_EQ("7", r.differences[0].second);
        } else {
            EXPECT_TRUE(r.differences.empty());
        }
    }
}

// Fields 0 to 4 and 17 are the six the dialog shows; 18 is the report period,
// no module parameter.
TEST(ChangesBeyondShown, OnlyTheTwelveFieldsTheDialogDoesNotShowCount) {
    for (int field = 0; field < 19; ++field) {
        RadarParam after = Numbered();
        Cells(after)[field] ^= 0x40000000;  // a float read as about 2 instead of nearly 0
        EXPECT_EQ(field > 4 && field < 17, ChangesBeyondShown(Numbered(), after)) << field;
    }
}

}  // namespace
