// Hostile configuration files, loaded as start-up loads them: what the tool
// takes from them, and that what it writes back loads again.
#include <cmath>
#include <string>

#include <gtest/gtest.h>

#include "config/ConfigDocument.h"

namespace {

struct Loaded {
    bool parsed = false;
    int32_t baud = 256000;
    RadarParam param;
    std::string written;
};

// Start-up and one save: load, repair, read the values, store them, serialize.
Loaded LoadAndSave(const std::string& bytes) {
    Loaded out;
    XMLParser parser;
    out.parsed = parser.LoadFromBuffer(bytes.data(), bytes.size());
    parser.RepairAppConfig();
    LoadDefaultParameters(out.param);
    LoadConfigValues(parser, out.baud, out.param);
    StoreConfigValues(parser, out.baud, out.param);
    out.written = parser.Serialize();
    return out;
}

// The next start reading what the last save wrote.
Loaded Reload(const Loaded& last) {
    Loaded again = LoadAndSave(last.written);
    EXPECT_TRUE(again.parsed) << last.written.substr(0, 200);
    return again;
}

TEST(HostileConfig, DeclarationThatWouldNotSurviveASaveIsReplaced) {
    // Found by config_fuzz: the parser ends a declaration at the first "?>"
    // but lets a quoted value run past it, so the value itself holds "?>".
    // Written back unchanged it cut the declaration short, and the next
    // start lost every setting.
    XMLParser parser;
    EXPECT_FALSE(parser.LoadFromBuffer("<?xml version=\"1?>?>\"?><AppConfig/>", 31));
    parser.RepairAppConfig();
    RadarParam param;
    LoadDefaultParameters(param);
    param.fKalman3 = 0.25f;
    StoreConfigValues(parser, 9600, param);
    const std::string written = parser.Serialize();
    EXPECT_EQ(0u, written.find("<?xml version=\"1.0\"?>\n<AppConfig\n")) << written;
    Loaded last;
    last.written = written;
    const Loaded next = Reload(last);
    EXPECT_EQ(9600, next.baud);
    EXPECT_EQ(0.25f, next.param.fKalman3);
    EXPECT_EQ(written, next.written);

    // A declaration that can be written back is kept as it was.
    const Loaded kept = LoadAndSave("<?xml version=\"1.0\" standalone=\"yes\"?><AppConfig/>");
    EXPECT_EQ(0u, kept.written.find("<?xml version=\"1.0\" standalone=\"yes\"?>\n")) << kept.written;
}

TEST(HostileConfig, EmptyGarbageAndHugeFilesGiveDefaultsOrTheirOneUsableValue) {
    const std::string garbage =
        std::string("\x00\xFF\xFE<\x01\x80\xC0\xAA\x55\x00<Ap\x00", 14) + std::string(4096, '\x9F');
    for (const std::string& bytes : {std::string(), garbage, std::string(1u << 20, '\0')}) {
        const Loaded loaded = LoadAndSave(bytes);
        EXPECT_EQ(256000, loaded.baud);
        EXPECT_EQ(717, loaded.param.nMotionRangeMax);
        EXPECT_EQ(50, loaded.param.ReportTimeMS);
        const Loaded next = Reload(loaded);
        EXPECT_EQ(loaded.written, next.written);
    }
    // 50 MB: the element is read, the comment nobody would write is kept.
    const std::string huge = "<AppConfig BaudRate=\"9600\"/><!--" + std::string(50u << 20, 'x') + "-->";
    const Loaded big = LoadAndSave(huge);
    EXPECT_TRUE(big.parsed);
    EXPECT_EQ(9600, big.baud);
    EXPECT_GT(big.written.size(), 50u << 20);
}

TEST(HostileConfig, AbsurdNumbersAreRefusedUnlessTheFieldCanHoldThem) {
    const Loaded loaded = LoadAndSave(
        "<AppConfig BaudRate=\"99999999999\" nOffTime=\"-1\" fKalman1=\"1e308\" fKalman2=\"NaN\" fKalman3=\"-1e39\" "
        "fKalman4=\"inf\" fMotionNearEndCoef=\"3.4e38\" fMotionFarEndCoef=\"1e-50\" nMotionRangeMax=\"1e3\" "
        "nMotionIIR=\"-2147483649\" nMotionlessIIR=\"2147483647\" ReportTimeMS=\"0x32\"/>");
    EXPECT_EQ(256000, loaded.baud);          // beyond 32 bits
    EXPECT_EQ(0.5f, loaded.param.fKalman1);  // beyond float
    EXPECT_EQ(0.5f, loaded.param.fKalman2);  // not a decimal number
    EXPECT_EQ(0.85f, loaded.param.fKalman3);
    EXPECT_EQ(0.15f, loaded.param.fKalman4);
    EXPECT_EQ(717, loaded.param.nMotionRangeMax);  // a float's text for an integer
    EXPECT_EQ(2, loaded.param.nMotionIIR);
    EXPECT_EQ(50, loaded.param.ReportTimeMS);  // hexadecimal
    // No range check: what the field can hold is taken as it stands.
    EXPECT_EQ(-1, loaded.param.nOffTime);
    EXPECT_EQ(2147483647, loaded.param.nMotionlessIIR);
    EXPECT_EQ(3.4e38f, loaded.param.fMotionNearEndCoef);
    EXPECT_EQ(6.0f, loaded.param.fMotionFarEndCoef);  // below the smallest float: refused too
    // The largest float is written with all its digits and read back the same.
    const Loaded next = Reload(loaded);
    EXPECT_EQ(3.4e38f, next.param.fMotionNearEndCoef);
    EXPECT_EQ(loaded.written, next.written);
}

}  // namespace
