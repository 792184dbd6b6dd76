// Parameter profiles: written and read back, keys missing, bad values and
// files, and the comparison of two records.
#include <cfloat>
#include <climits>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "config/ParamKeys.h"
#include "config/Profile.h"

namespace {

RadarParam Defaults() {
    RadarParam p;
    LoadDefaultParameters(p);
    return p;
}

// A record differing from the defaults in every field, ReportTimeMS included.
RadarParam Tuned() {
    return {31, 426, 32, 718, 21, 3, 9, 40.5f, 6.25f, 39.125f, 9.75f, 6, 11, 0.25f, 0.55f, 0.8f, 0.2f, -7, 99};
}

// A profile holding every module key of p, except skip, with extra attributes appended.
std::string ProfileOf(const RadarParam& p, const char* skip = "", const std::string& extra = "") {
    std::string text = "<RadarProfile";
    for (const ParamKey* key : ModuleKeys())
        if (std::strcmp(key->name, skip) != 0)
            text += std::string(" ") + key->name + "=\"" + FormatKeyValue(*key, p) + "\"";
    return text + extra + "/>";
}

ProfileReadResult Read(const std::string& text, RadarParam& p) { return ReadProfile(text.data(), text.size(), p); }

std::vector<std::string> KeysOf(const std::vector<ProfileDifference>& differences) {
    std::vector<std::string> keys;
    for (const ProfileDifference& d : differences) keys.push_back(d.key);
    return keys;
}

}  // namespace

TEST(Profile, WrittenInTheConfigurationsLayout) {
    const ProfileInfo info{"V1.2 <b&\"", "line 1\nline 2 & <3>"};
    EXPECT_EQ(
        "<?xml version=\"1.0\"?>\n<RadarProfile\n\tFirmware=\"V1.2 &lt;b&amp;&quot;\"\n\tnMotionlessRangeMin=\"30\"\n"
        "\tnMotionlessRangeMax=\"425\"\n\tnMotionRangeMin=\"30\"\n\tnMotionRangeMax=\"717\"\n\tnOffTime=\"20\"\n"
        "\tfMotionNearEndCoef=\"40.000000\"\n\tfMotionFarEndCoef=\"6.000000\"\n\tfMotionlessNearEndCoef=\"40.000000\"\n"
        "\tfMotionlessFarEndCoef=\"9.000000\"\n\tnMotionIIR=\"2\"\n\tnMotionlessIIR=\"8\"\n\tnMotionWindowRange=\"5\"\n"
        "\tnMotionlessWindowRange=\"10\"\n\tfKalman1=\"0.500000\"\n\tfKalman2=\"0.500000\"\n\tfKalman3=\"0.850000\"\n"
        "\tfKalman4=\"0.150000\"\n\tnDistanceCalibration=\"0\">\n\t<Note>line 1\nline 2 &amp; &lt;3&gt;</Note>\n"
        "</RadarProfile>\n",
        WriteProfile(Defaults(), info));
}

TEST(Profile, EveryFieldRoundTripsAndReportTimeStaysTheCallers) {
    // The range ends, the float extremes, a value below the sixth decimal, negative zero.
    const RadarParam extremes = {0,     65535, 0,   65535, 65535,    255,   0,  FLT_MAX, -FLT_MAX, 1e-7f,
                                 -0.0f, 0,     255, 0,     1.0f / 3, 3e38f, -1, INT_MIN, 5};
    const struct {
        RadarParam param;
        ProfileInfo info;
    } rows[] = {
        {Defaults(), {}}, {Tuned(), {"V2.04.23", "hall B, mounted at 2.6 m\n  ceiling"}}, {extremes, {"x", "y"}}};
    for (const auto& row : rows) {
        const std::string written = WriteProfile(row.param, row.info);
        RadarParam read;
        read.ReportTimeMS = 1234;
        const ProfileReadResult result = Read(written, read);
        ASSERT_TRUE(result.Ok()) << DescribeProfileError(result) << "\n" << written;
        EXPECT_TRUE(CompareProfiles(row.param, read).empty()) << written;
        EXPECT_EQ(1234, read.ReportTimeMS);
        EXPECT_EQ(row.info.firmware, result.firmware);
        EXPECT_EQ(row.info.note, result.note);
        EXPECT_EQ(written, WriteProfile(read, row.info));
    }
    // A bare CR would come back as LF after the next save: it is read as LF at once.
    RadarParam read;
    EXPECT_EQ("a\nb\nc\n", Read("<RadarProfile><Note>a&#13;&#10;b&#13;c\r\n</Note></RadarProfile>", read).note);
    // Blanks alone would not survive a save (the parser drops blank text): no note.
    EXPECT_EQ("", Read("<RadarProfile><Note><![CDATA[\t \r\n]]></Note></RadarProfile>", read).note);
}

TEST(Profile, AMissingKeyLeavesItsFieldAndOnlyThat) {
    for (const ParamKey* key : ModuleKeys()) {
        RadarParam read = Defaults();
        ASSERT_TRUE(Read(ProfileOf(Tuned(), key->name), read).Ok());
        const auto differences = CompareProfiles(read, Tuned());
        ASSERT_EQ(std::vector<std::string>{key->name}, KeysOf(differences));
        EXPECT_EQ(FormatKeyValue(*key, Defaults()), differences[0].first);
    }
}

TEST(Profile, ABadValueNamesItsKeyAndTextAndChangesNothing) {
    const struct {
        const char* key;
        const char* text;
        ProfileError error;
    } rows[] = {
        {"nOffTime", "abc", ProfileError::NotANumber},
        {"nMotionIIR", "7x", ProfileError::NotANumber},
        {"fKalman1", "0.5 0.6", ProfileError::NotANumber},
        {"nMotionRangeMax", "", ProfileError::NotANumber},
        {"fMotionFarEndCoef", "  ", ProfileError::NotANumber},
        {"nOffTime", "1.5", ProfileError::NotANumber},
        {"fKalman2", "nan", ProfileError::NotANumber},
        {"fKalman3", "inf", ProfileError::NotANumber},
        {"nMotionlessRangeMin", "-1", ProfileError::OutOfRange},
        {"nMotionRangeMax", "65536", ProfileError::OutOfRange},
        {"nMotionlessIIR", "-1", ProfileError::OutOfRange},
        {"nMotionWindowRange", "256", ProfileError::OutOfRange},
        {"nDistanceCalibration", "2147483648", ProfileError::OutOfRange},
        {"nDistanceCalibration", "-2147483649", ProfileError::OutOfRange},
        {"fKalman4", "1e39", ProfileError::OutOfRange},
        {"fMotionNearEndCoef", "-1e39", ProfileError::OutOfRange},
    };
    for (const auto& row : rows) {
        RadarParam read = Defaults();
        const ProfileReadResult result =
            Read(ProfileOf(Tuned(), row.key, std::string(" ") + row.key + "=\"" + row.text + "\""), read);
        EXPECT_EQ(row.error, result.error) << row.key << "=" << row.text;
        EXPECT_EQ(row.key, result.key);
        EXPECT_EQ(row.text, result.text);
        EXPECT_TRUE(CompareProfiles(read, Defaults()).empty()) << row.key;
        EXPECT_NE(std::string::npos,
                  DescribeProfileError(result).find(row.key + std::string(": \"") + row.text + "\""));
    }
}

TEST(Profile, RangeEndsBlanksCaseAndUnknownContentAreAccepted) {
    const struct {
        const char* attributes;
        const char* key;
        const char* value;
    } rows[] = {
        {"nMotionRangeMax=\"65535\"", "nMotionRangeMax", "65535"},
        {"nMotionlessRangeMin=\"0\"", "nMotionlessRangeMin", "0"},
        {"nMotionlessWindowRange=\"255\"", "nMotionlessWindowRange", "255"},
        {"nDistanceCalibration=\"-2147483648\"", "nDistanceCalibration", "-2147483648"},
        {"nMotionIIR=\" +7 \"", "nMotionIIR", "7"},
        {"fKalman1=\"-2.5e0\"", "fKalman1", "-2.500000"},
        {"NOFFTIME=\"9\" nOffTime=\"bad\"", "nOffTime", "9"},
        {"Site=\"lab\" ReportTimeMS=\"5\" nOffTime=\"8\"", "nOffTime", "8"},
    };
    for (const auto& row : rows) {
        RadarParam read = Defaults();
        const ProfileReadResult result =
            Read(std::string("<!-- c --><radarprofile ") + row.attributes + "><Other/>text</radarprofile>", read);
        ASSERT_TRUE(result.Ok()) << row.attributes << ": " << DescribeProfileError(result);
        const auto differences = CompareProfiles(Defaults(), read);
        ASSERT_EQ(std::vector<std::string>{row.key}, KeysOf(differences)) << row.attributes;
        EXPECT_EQ(row.value, differences[0].second);
        EXPECT_EQ(Defaults().ReportTimeMS, read.ReportTimeMS);
    }
}

TEST(Profile, MalformedFilesAreErrorsThatChangeNothing) {
    const struct {
        std::string bytes;
        ProfileError error;
        const char* text;
    } rows[] = {
        {"", ProfileError::NoRoot, ""},
        {"<?xml version=\"1.0\"?><!-- only a comment -->", ProfileError::NoRoot, ""},
        {"<AppConfig nOffTime=\"9\"/>", ProfileError::NoRoot, "AppConfig"},
        {"<RadarProfile nOffTime=\"9\"/><RadarProfile/>", ProfileError::SeveralRoots, "RadarProfile"},
        {"<RadarProfile nOffTime=\"9\">", ProfileError::NotXml, "Start-end tags mismatch at byte 26"},
        {"<RadarProfile nOffTime=\"9/>", ProfileError::NotXml, "Error parsing element attribute at byte 24"},
        {"not xml at all", ProfileError::NoRoot, ""},
        {"<1a/>", ProfileError::NotXml, "Could not determine tag type at byte 1"},
    };
    for (const auto& row : rows) {
        RadarParam read = Tuned();
        const ProfileReadResult result = Read(row.bytes, read);
        EXPECT_EQ(row.error, result.error) << row.bytes;
        EXPECT_EQ(row.text, result.text) << row.bytes;
        EXPECT_FALSE(DescribeProfileError(result).empty());
        EXPECT_TRUE(CompareProfiles(read, Tuned()).empty()) << row.bytes;
    }
}

TEST(Profile, CompareListsExactlyTheKeysWrittenDifferently) {
    const struct {
        void (*change)(RadarParam&);
        std::vector<std::string> keys;
        const char* second;  // the first difference's value in the changed record
    } rows[] = {
        {[](RadarParam&) {}, {}, ""},
        {[](RadarParam& p) { p.ReportTimeMS = 7; }, {}, ""},
        {[](RadarParam& p) { p.fKalman1 += 1e-7f; }, {}, ""},
        {[](RadarParam& p) { p.fKalman1 = 0.500001f; }, {"fKalman1"}, "0.500001"},
        {[](RadarParam& p) { p.nMotionIIR = 3, p.fMotionNearEndCoef = -1, p.nDistanceCalibration = 4; },
         {"fMotionNearEndCoef", "nMotionIIR", "nDistanceCalibration"},
         "-1.000000"},
    };
    for (const auto& row : rows) {
        RadarParam changed = Defaults();
        row.change(changed);
        const auto differences = CompareProfiles(Defaults(), changed);
        EXPECT_EQ(row.keys, KeysOf(differences));
        if (differences.empty()) continue;
        EXPECT_EQ(row.second, differences[0].second);
    }
}

TEST(Profile, SavedAsWritten) {
    const std::string name = ::testing::TempDir() + "profile_saved.xml";
    ASSERT_EQ(FileWriteResult::Written, SaveProfile(FilePath(name.begin(), name.end()), Tuned(), {"V1", ""}));
    std::ifstream in(name, std::ios::binary);
    EXPECT_EQ(WriteProfile(Tuned(), {"V1", ""}), std::string(std::istreambuf_iterator<char>(in), {}));
}
