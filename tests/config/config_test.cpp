#include <cerrno>
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>

#include "config/ConfigDocument.h"
#include "config/ConfigFile.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// A document loaded from text, as start-up loads the file.
struct Doc : XMLParser {
    explicit Doc(const std::string& text) { LoadFromBuffer(text.data(), text.size()); }
};

RadarParam Defaults() {
    RadarParam p;
    LoadDefaultParameters(p);
    return p;
}

// What loading a document sets over a baud rate of 256000 and the factory parameters.
struct Loaded {
    int32_t baud = 256000;
    RadarParam p = Defaults();
};

Loaded Load(XMLParser& parser) {
    Loaded loaded;
    LoadConfigValues(parser, loaded.baud, loaded.p);
    return loaded;
}

std::string Save(XMLParser& parser, int32_t baud, const RadarParam& p) {
    StoreConfigValues(parser, baud, p);
    return parser.Serialize();
}

const char kDefaultsBody[] =
    "\tBaudRate=\"256000\"\n"
    "\tnMotionlessRangeMin=\"30\"\n"
    "\tnMotionlessRangeMax=\"425\"\n"
    "\tnMotionRangeMin=\"30\"\n"
    "\tnMotionRangeMax=\"717\"\n"
    "\tnOffTime=\"20\"\n"
    "\tfMotionNearEndCoef=\"40.000000\"\n"
    "\tfMotionFarEndCoef=\"6.000000\"\n"
    "\tfMotionlessNearEndCoef=\"40.000000\"\n"
    "\tfMotionlessFarEndCoef=\"9.000000\"\n"
    "\tnMotionIIR=\"2\"\n"
    "\tnMotionlessIIR=\"8\"\n"
    "\tnMotionWindowRange=\"5\"\n"
    "\tnMotionlessWindowRange=\"10\"\n"
    "\tfKalman1=\"0.500000\"\n"
    "\tfKalman2=\"0.500000\"\n"
    "\tfKalman3=\"0.850000\"\n"
    "\tfKalman4=\"0.150000\"\n"
    "\tnDistanceCalibration=\"0\"\n"
    "\tReportTimeMS=\"50\" />\n";

}  // namespace

TEST(ConfigSave, LanguageOnlyFileGetsTheTwentyKeysInSaveOrder) {
    Doc parser("<AppConfig Language=\"ENG\"/>");
    std::string written = Save(parser, 256000, Defaults());
    EXPECT_EQ("<?xml version=\"1.0\"?>\n<AppConfig\n\tLanguage=\"ENG\"\n" + std::string(kDefaultsBody), written);
}

TEST(ConfigSave, ValuesAreWrittenAsTheToolFormatsThem) {
    Doc parser("<AppConfig/>");
    RadarParam p = Defaults();
    p.nDistanceCalibration = -5;
    p.fKalman3 = 0.85f;
    p.fMotionFarEndCoef = 1e20f;  // "%f" text longer than 16 characters
    p.fMotionNearEndCoef = -3.4e38f;
    std::string written = Save(parser, -1, p);
    pugi::xml_node e = parser.FindAppConfig();
    EXPECT_STREQ("-1", e.attribute("BaudRate").value());
    EXPECT_STREQ("-5", e.attribute("nDistanceCalibration").value());
    EXPECT_STREQ("0.850000", e.attribute("fKalman3").value());
    EXPECT_STREQ("50", e.attribute("ReportTimeMS").value());

    // Large floats are written whole and read back to the same value.
    char expected[64];
    std::snprintf(expected, sizeof expected, "%f", static_cast<double>(1e20f));
    EXPECT_STREQ(expected, e.attribute("fMotionFarEndCoef").value());
    RadarParam back = Defaults();
    int32_t baud = 0;
    Doc reread(written);
    LoadConfigValues(reread, baud, back);
    EXPECT_EQ(1e20f, back.fMotionFarEndCoef);
    EXPECT_EQ(-3.4e38f, back.fMotionNearEndCoef);
    EXPECT_EQ(-5, back.nDistanceCalibration);
    EXPECT_EQ(-1, baud);
}

TEST(ConfigSave, ExistingAttributesKeepPlaceAndSpellingUnknownContentSurvives) {
    Doc parser(
        "<?xml version=\"1.0\"?>\n<!-- site A -->\n"
        "<AppConfig Custom=\"x&amp;y\" nofftime=\"99\" baudrate=\"115200\">\n"
        "  <Extra a=\"1\">text</Extra>\n</AppConfig>\n<Other/>\n");
    const Loaded loaded = Load(parser);
    EXPECT_EQ(115200, loaded.baud);
    EXPECT_EQ(99, loaded.p.nOffTime);

    std::string written = Save(parser, loaded.baud, loaded.p);
    pugi::xml_node e = parser.FindAppConfig();
    // First three attributes unchanged in order and spelling, no twins.
    pugi::xml_attribute a = e.first_attribute();
    EXPECT_STREQ("Custom", a.name());
    EXPECT_STREQ("x&y", a.value());
    EXPECT_STREQ("nofftime", (a = a.next_attribute()).name());
    EXPECT_STREQ("baudrate", (a = a.next_attribute()).name());
    EXPECT_STREQ("115200", a.value());
    EXPECT_STREQ("nMotionlessRangeMin", a.next_attribute().name());
    int count = 0;
    for (pugi::xml_attribute it = e.first_attribute(); it; it = it.next_attribute()) ++count;
    EXPECT_EQ(3 + 18, count);  // BaudRate and nOffTime were already there

    EXPECT_NE(std::string::npos, written.find("<!-- site A -->"));
    EXPECT_NE(std::string::npos, written.find("<Extra"));
    EXPECT_NE(std::string::npos, written.find("<Other />"));
    EXPECT_NE(std::string::npos, written.find("Custom=\"x&amp;y\""));
}

TEST(ConfigSave, SavingTwiceWithoutChangeIsByteIdentical) {
    Doc parser("<AppConfig Language=\"chs\" zz=\"1\"><k/></AppConfig>");
    std::string first = Save(parser, 9600, Defaults());
    Doc again(first);
    int32_t baud = 0;
    RadarParam p;
    LoadConfigValues(again, baud, p);
    EXPECT_EQ(first, Save(again, baud, p));
    EXPECT_EQ(first, Save(again, baud, p));
}

TEST(ConfigSave, WithoutElementTheDocumentIsWrittenUnchanged) {
    Doc parser("<Settings a=\"1\"/>");
    std::string written = Save(parser, 1, Defaults());
    EXPECT_EQ("<?xml version=\"1.0\"?>\n<Settings\n\ta=\"1\" />\n", written);
}

TEST(ConfigLoad, EmptyMissingOrNonNumericValuesKeepPreviousValues) {
    Doc parser(
        "<AppConfig BaudRate=\"\" nOffTime=\"abc\" fKalman1=\" 0.25 \" nMotionIIR=\"99999999999\" "
        "fKalman2=\"1e\" nMotionRangeMax=\"-12\"/>");
    const Loaded loaded = Load(parser);
    const RadarParam& p = loaded.p;
    EXPECT_EQ(256000, loaded.baud);
    EXPECT_EQ(20, p.nOffTime);
    EXPECT_EQ(0.25f, p.fKalman1);
    EXPECT_EQ(2, p.nMotionIIR);
    EXPECT_EQ(0.5f, p.fKalman2);
    EXPECT_EQ(-12, p.nMotionRangeMax);
    EXPECT_EQ(50, p.ReportTimeMS);
}

TEST(ConfigLoad, FirstMatchIgnoringCaseWins) {
    Doc parser("<x/><appconfig BAUDRATE=\"1200\" BaudRate=\"2400\"/><AppConfig BaudRate=\"4800\"/>");
    int32_t baud = 0;
    RadarParam p;
    LoadConfigValues(parser, baud, p);
    EXPECT_EQ(1200, baud);
    EXPECT_FALSE(parser.RepairAppConfig());
}

TEST(ConfigLoad, DefaultsLeaveReportTimeAlone) {
    RadarParam p;
    p.ReportTimeMS = 100;
    p.nDistanceCalibration = 7;
    LoadDefaultParameters(p);
    EXPECT_EQ(100, p.ReportTimeMS);
    EXPECT_EQ(0, p.nDistanceCalibration);
    EXPECT_EQ(717, p.nMotionRangeMax);
    EXPECT_EQ(0.15f, p.fKalman4);
}

TEST(ConfigRepair, MissingBrokenOrForeignDocumentsGetAnEmptyElement) {
    const std::string inputs[] = {"", "not xml at all", "<Other/>", "<?xml version=\"1.0\"?>", "\xEF\xBB\xBF"};
    for (const std::string& in : inputs) {
        Doc parser(in);
        EXPECT_TRUE(parser.RepairAppConfig()) << in;
        EXPECT_TRUE(parser.FindAppConfig()) << in;
        EXPECT_FALSE(parser.RepairAppConfig()) << in;
    }
    // What the parser kept of a cut-off file stays: here the element itself.
    XMLParser cut;
    EXPECT_FALSE(cut.LoadFromBuffer("<AppConfig BaudRate=\"9600\" ", 28));
    EXPECT_FALSE(cut.RepairAppConfig());
    XMLParser fine;
    EXPECT_TRUE(fine.LoadFromBuffer("<AppConfig/>", 12));
    EXPECT_TRUE(fine.LoadFromBuffer("", 0));

    Doc empty("");
    empty.RepairAppConfig();
    EXPECT_EQ("<?xml version=\"1.0\"?>\n<AppConfig />\n", empty.Serialize());
}

TEST(ConfigRepair, Utf16FileIsReadAndWrittenBackAsUtf8) {
    // "<?xml version="1.0" encoding="UTF-16"?><AppConfig BaudRate="9600"/>" in UTF-16LE with BOM.
    std::string narrow = "<?xml version=\"1.0\" encoding=\"UTF-16\"?><AppConfig BaudRate=\"9600\"/>";
    std::string wide = "\xFF\xFE";
    for (char c : narrow) {
        wide += c;
        wide += '\0';
    }
    Doc parser(wide);
    int32_t baud = 0;
    RadarParam p;
    LoadConfigValues(parser, baud, p);
    EXPECT_EQ(9600, baud);
    std::string out = parser.Serialize();
    EXPECT_EQ(0u, out.find("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<AppConfig"));
}

TEST(UiLanguage, EnglishOnlyForEngInAnyCase) {
    EXPECT_EQ(0x0409, ChooseUiLanguage("eng").langId);
    EXPECT_EQ(0x0409, ChooseUiLanguage("ENG").resourceLangId);
    for (const char* other : {"chs", "", "XYZ", "english", "CHS"}) {
        EXPECT_EQ(0x1004, ChooseUiLanguage(other).langId) << other;
        EXPECT_EQ(0x0804, ChooseUiLanguage(other).resourceLangId) << other;
    }
    UiLanguage cht = ChooseUiLanguage("cht");
    EXPECT_EQ(0x0404, cht.langId);
    EXPECT_EQ(0x0804, cht.resourceLangId);
}

TEST(UiLanguage, ValueComesFromTheElementOrDefaultsToChs) {
    EXPECT_EQ("CHS", GetLanguageValue(Doc("")));
    EXPECT_EQ("CHS", GetLanguageValue(Doc("<AppConfig/>")));
    EXPECT_EQ("", GetLanguageValue(Doc("<AppConfig language=\"\"/>")));
    EXPECT_EQ("eNg", GetLanguageValue(Doc("<APPCONFIG LANGUAGE=\"eNg\"/>")));
}

// A language chosen from the window: the attribute set where it is, appended
// where missing, put back as it was (also removed) after a failed save.
TEST(UiLanguage, ChosenValueIsWrittenAndTakenBack) {
    const struct {
        const char* before;
        const char* value;
        const char* after;
        std::optional<std::string> previous;
    } rows[] = {
        {"<AppConfig BaudRate=\"9600\"/>", "ENG", "<AppConfig BaudRate=\"9600\" Language=\"ENG\"/>", std::nullopt},
        {"<AppConfig LANGUAGE=\"eng\" BaudRate=\"9600\"/>", "CHS", "<AppConfig LANGUAGE=\"CHS\" BaudRate=\"9600\"/>",
         "eng"},
        {"<AppConfig Language=\"ENG\" BaudRate=\"9600\"/>", nullptr, "<AppConfig BaudRate=\"9600\"/>", "ENG"},
        {"<Other/>", "ENG", "<Other/>", std::nullopt},
    };
    for (const auto& row : rows) {
        Doc parser(row.before);
        EXPECT_EQ(row.previous, SetLanguageValue(parser, row.value)) << row.before;
        std::ostringstream out;
        parser.m_doc.save(out, "", pugi::format_raw | pugi::format_no_declaration);
        EXPECT_EQ(row.after, out.str()) << row.before;
    }
}

#ifndef _WIN32
namespace {
std::string TempPath(const char* name) { return std::string(::testing::TempDir()) + name; }
std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}
}  // namespace

TEST(ConfigFileWrite, ReplacesWholeOrLeavesTheOldFile) {
    std::string path = TempPath("cfg_replace.xml");
    std::remove(path.c_str());
    EXPECT_EQ(FileWriteResult::Written, WriteFileReplacing(path, "first"));
    EXPECT_EQ("first", ReadAll(path));
    EXPECT_EQ(FileWriteResult::Written, WriteFileReplacing(path, "second, longer"));
    EXPECT_EQ("second, longer", ReadAll(path));

    // The temporary file cannot be made: the old content stays whole.
    std::string blocker = path + "." + std::to_string(::getpid()) + ".tmp";
    ASSERT_EQ(0, ::mkdir(blocker.c_str(), 0755));
    unsigned long error = 0;
    EXPECT_EQ(FileWriteResult::Failed, WriteFileReplacing(path, "third", &error));
    EXPECT_EQ(static_cast<unsigned long>(EISDIR), error) << "the reason the user is told";
    EXPECT_EQ("second, longer", ReadAll(path));
    ::rmdir(blocker.c_str());
    std::remove(path.c_str());
}
#endif

#ifdef _WIN32
#include <windows.h>

namespace {
std::wstring WideTempPath(const wchar_t* name) {
    const std::string dir = ::testing::TempDir();
    return std::wstring(dir.begin(), dir.end()) + name;
}
std::string ReadAllWide(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}
}  // namespace

// What a save meets when the file is there but will not take the new content.
// Only the user's own lock, the read-only attribute, is passed over without a
// word; every other refusal is a failure with the system's code. Either way
// the old file stays whole, no temporary file is left, and the next save
// works once the obstacle is gone.
struct WriteObstacle {
    const char* name;
    FileWriteResult expected;
    DWORD error;  // the code the caller is given on Failed
    // Puts the obstacle in place on path; what it returns takes it away.
    std::function<std::function<void()>(const std::wstring& path)> place;
};

HANDLE Hold(const std::wstring& path, DWORD share) {
    return CreateFileW(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

class ConfigFileWriteObstacle : public ::testing::TestWithParam<WriteObstacle> {};

TEST_P(ConfigFileWriteObstacle, OldFileStaysAndOnlyTheReadOnlyAttributeIsSilent) {
    const WriteObstacle& row = GetParam();
    std::wstring path = WideTempPath(L"cfg_obstacle.xml");
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(path.c_str());
    ASSERT_EQ(FileWriteResult::Written, WriteFileReplacing(path, "original"));

    std::function<void()> release = row.place(path);
    ASSERT_TRUE(release) << "the obstacle could not be placed";
    unsigned long error = 0;
    EXPECT_EQ(row.expected, WriteFileReplacing(path, "changed", &error));
    if (row.expected == FileWriteResult::Failed) {
        EXPECT_EQ(row.error, error) << "the reason the user is told";
    }
    release();
    EXPECT_EQ("original", ReadAllWide(path));
    // No temporary file is left behind.
    std::wstring temp = path + L"." + std::to_wstring(GetCurrentProcessId()) + L".tmp";
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(temp.c_str()));

    EXPECT_EQ(FileWriteResult::Written, WriteFileReplacing(path, "changed"));
    EXPECT_EQ("changed", ReadAllWide(path));
    DeleteFileW(path.c_str());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ConfigFileWriteObstacle,
    ::testing::Values(WriteObstacle{"ReadOnlyAttribute", FileWriteResult::Skipped, 0,
                                    [](const std::wstring& path) -> std::function<void()> {
                                        if (!SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY)) return nullptr;
                                        return [path] { SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL); };
                                    }},
                      // Another program holds the file open without write sharing: the
                      // file cannot be opened for writing.
                      WriteObstacle{"HeldWithoutWriteSharing", FileWriteResult::Failed, ERROR_SHARING_VIOLATION,
                                    [](const std::wstring& path) -> std::function<void()> {
                                        HANDLE holder = Hold(path, FILE_SHARE_READ);
                                        if (holder == INVALID_HANDLE_VALUE) return nullptr;
                                        return [holder] { CloseHandle(holder); };
                                    }},
                      // Held open with read and write sharing but not delete sharing (a sync
                      // client, an editor): the file opens for writing, the replace is refused.
                      WriteObstacle{"HeldWithoutDeleteSharing", FileWriteResult::Failed, ERROR_ACCESS_DENIED,
                                    [](const std::wstring& path) -> std::function<void()> {
                                        HANDLE holder = Hold(path, FILE_SHARE_READ | FILE_SHARE_WRITE);
                                        if (holder == INVALID_HANDLE_VALUE) return nullptr;
                                        return [holder] { CloseHandle(holder); };
                                    }}),
    [](const ::testing::TestParamInfo<WriteObstacle>& info) { return std::string(info.param.name); });

TEST(ConfigFileWrite, MissingFolderFailsWithoutCreatingAnything) {
    std::wstring path = WideTempPath(L"no_such_folder_cfg\\appConfig.xml");
    unsigned long error = 0;
    EXPECT_EQ(FileWriteResult::Failed, WriteFileReplacing(path, "x", &error));
    EXPECT_EQ(static_cast<unsigned long>(ERROR_PATH_NOT_FOUND), error) << "the reason the user is told";
}

TEST(ConfigFileWrite, FolderOutsideTheAnsiCodePageIsWrittenAndReplaced) {
    const std::wstring folder = WideTempPath(L"雷达工具_cfg");
    BOOL usedDefault = FALSE;
    char narrow[MAX_PATH * 2];
    WideCharToMultiByte(CP_ACP, 0, folder.c_str(), -1, narrow, sizeof narrow, nullptr, &usedDefault);
    ASSERT_TRUE(usedDefault) << "the folder name must be one code page " << GetACP() << " cannot spell";
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring path = folder + L"\\appConfig.xml";
    EXPECT_EQ(FileWriteResult::Written, WriteFileReplacing(path, "<AppConfig />\n"));
    EXPECT_EQ(FileWriteResult::Written, WriteFileReplacing(path, "<AppConfig BaudRate=\"9600\" />\n"));
    EXPECT_EQ("<AppConfig BaudRate=\"9600\" />\n", ReadAllWide(path));
    DeleteFileW(path.c_str());
    EXPECT_TRUE(RemoveDirectoryW(folder.c_str())) << "nothing else left in the folder";
}
#endif
