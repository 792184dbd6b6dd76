#include "TestResources.h"
#include "framework/Dialog.h"
#include "framework/ResourceStrings.h"

#include <gtest/gtest.h>

namespace {

const LANGID kChinese = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED);  // 2052
const LANGID kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);          // 1033
const LANGID kSingapore = 0x1004;                                              // Chinese, no resources of its own here
const LANGID kGerman = MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN);

class ResourceStrings : public ::testing::Test {
protected:
    void TearDown() override { SetResourceLanguage(kChinese, 0); }
};

TEST_F(ResourceStrings, PreferredLanguageIsUsedWhenItHoldsTheString) {
    SetResourceLanguage(kEnglish, kChinese);
    EXPECT_EQ(L"Hello", LoadResString(IDS_GREETING));
    SetResourceLanguage(kChinese, kEnglish);
    EXPECT_EQ(L"你好", LoadResString(IDS_GREETING));
}

TEST_F(ResourceStrings, FallbackAppliesPerStringEvenWhenThePreferredBlockExists) {
    // Block 1 exists in English, but its entry for this id is empty.
    SetResourceLanguage(kEnglish, kChinese);
    EXPECT_EQ(L"只有中文", LoadResString(IDS_CHINESE_ONLY));
}

TEST_F(ResourceStrings, LanguageWithoutResourcesFallsBack) {
    SetResourceLanguage(kSingapore, kChinese);
    EXPECT_EQ(L"你好", LoadResString(IDS_GREETING));
}

TEST_F(ResourceStrings, AnyLanguageIsTakenWhenNeitherChoiceHoldsTheString) {
    SetResourceLanguage(kGerman, 0);
    std::wstring greeting = LoadResString(IDS_GREETING);
    EXPECT_TRUE(greeting == L"Hello" || greeting == L"你好");
    SetResourceLanguage(kChinese, kGerman);
    EXPECT_EQ(L"English only", LoadResString(IDS_ENGLISH_ONLY));
}

TEST_F(ResourceStrings, AbsentStringIsEmpty) {
    SetResourceLanguage(kChinese, kEnglish);
    EXPECT_EQ(L"", LoadResString(IDS_MISSING));
    EXPECT_EQ(L"", LoadResString(4000));  // no block at all
}

TEST_F(ResourceStrings, ExactLanguageLookupDoesNotFallBack) {
    EXPECT_EQ(L"Hello", LoadResStringInLanguage(IDS_GREETING, kEnglish));
    EXPECT_EQ(L"", LoadResStringInLanguage(IDS_CHINESE_ONLY, kEnglish));
}

// A dialog template is taken in the chosen language too.
class CaptionProbe : public CDialog {
public:
    CaptionProbe() : CDialog(IDD_LANGUAGE_DIALOG) {}
    std::wstring caption;
    BOOL OnInitDialog() override {
        caption = GetWindowTextW();
        EndDialog(IDOK);
        return TRUE;
    }
};

TEST_F(ResourceStrings, DialogTemplateFollowsTheChosenLanguage) {
    SetResourceLanguage(kEnglish, kChinese);
    CaptionProbe english;
    ASSERT_EQ(IDOK, english.DoModal());
    EXPECT_EQ(L"English template", english.caption);

    SetResourceLanguage(kSingapore, kChinese);
    CaptionProbe chinese;
    ASSERT_EQ(IDOK, chinese.DoModal());
    EXPECT_EQ(L"中文模板", chinese.caption);
}

}  // namespace
