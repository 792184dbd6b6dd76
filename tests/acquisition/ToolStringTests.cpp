// The tool's own string table, read from its executable beside this test.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "resource.h"

namespace {

constexpr LANGID kChinese = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED);
constexpr LANGID kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

// The tool's executable beside this test, loaded for its resources only.
class ToolModule {
public:
    ToolModule() {
        wchar_t path[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, path, MAX_PATH);
        std::wstring tool(path);
        tool = tool.substr(0, tool.find_last_of(L"\\/") + 1) + L"Tavo_Ladu330_Pk27Tool.exe";
        m_module = LoadLibraryExW(tool.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    }
    ~ToolModule() {
        if (m_module) FreeLibrary(m_module);
    }
    ToolModule(const ToolModule&) = delete;
    ToolModule& operator=(const ToolModule&) = delete;
    HMODULE get() const { return m_module; }

private:
    HMODULE m_module = nullptr;
};

// CJK ideographs, symbols and full-width forms: none may show in English.
bool HasCjk(const std::wstring& text) {
    for (wchar_t c : text)
        if ((c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFF00 && c <= 0xFFEF)) return true;
    return false;
}

// One control or the dialog itself, as its extended template describes it.
struct TemplateItem {
    DWORD exStyle = 0, style = 0, id = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::wstring className, text;
};
struct DialogTemplate {
    TemplateItem frame;  // the dialog: class, caption and font face in className/text/font
    std::wstring menu, font;
    WORD pointSize = 0, weight = 0, italicAndCharset = 0;
    std::vector<TemplateItem> controls;
};

// Reads a name-or-ordinal field and moves past it.
std::wstring ReadNameOrOrdinal(const WORD*& p) {
    if (*p == 0) return ++p, L"";
    if (*p == 0xFFFF) {
        std::wstring ordinal = L"#" + std::to_wstring(p[1]);
        p += 2;
        return ordinal;
    }
    std::wstring name(reinterpret_cast<const wchar_t*>(p));
    p += name.size() + 1;
    return name;
}

const WORD* AlignToDword(const WORD* p, const void* base) {
    const auto offset = reinterpret_cast<const BYTE*>(p) - static_cast<const BYTE*>(base);
    return reinterpret_cast<const WORD*>(static_cast<const BYTE*>(base) + ((offset + 3) & ~3));
}

// The extended dialog template id in exactly language; false when absent.
bool ReadDialog(HMODULE module, UINT id, LANGID language, DialogTemplate& out) {
    HRSRC found = FindResourceExW(module, RT_DIALOG, MAKEINTRESOURCEW(id), language);
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const auto* base = loaded ? static_cast<const WORD*>(LockResource(loaded)) : nullptr;
    if (!base || base[0] != 1 || base[1] != 0xFFFF) return false;
    const WORD* p = base + 4;  // version, signature, help id
    auto readDword = [&p] {
        DWORD value = p[0] | (static_cast<DWORD>(p[1]) << 16);
        p += 2;
        return value;
    };
    out.frame.exStyle = readDword();
    out.frame.style = readDword();
    const WORD count = *p++;
    out.frame.x = static_cast<short>(*p++);
    out.frame.y = static_cast<short>(*p++);
    out.frame.cx = static_cast<short>(*p++);
    out.frame.cy = static_cast<short>(*p++);
    out.menu = ReadNameOrOrdinal(p);
    out.frame.className = ReadNameOrOrdinal(p);
    out.frame.text = ReadNameOrOrdinal(p);
    if (out.frame.style & DS_SETFONT) {
        out.pointSize = *p++;
        out.weight = *p++;
        out.italicAndCharset = *p++;
        out.font = ReadNameOrOrdinal(p);
    }
    for (WORD i = 0; i < count; ++i) {
        p = AlignToDword(p, base);
        TemplateItem item;
        readDword();  // help id
        item.exStyle = readDword();
        item.style = readDword();
        item.x = static_cast<short>(*p++);
        item.y = static_cast<short>(*p++);
        item.cx = static_cast<short>(*p++);
        item.cy = static_cast<short>(*p++);
        item.id = readDword();
        item.className = ReadNameOrOrdinal(p);
        item.text = ReadNameOrOrdinal(p);
        const WORD extra = *p++;
        p = reinterpret_cast<const WORD*>(reinterpret_cast<const BYTE*>(p) + extra);
        out.controls.push_back(item);
    }
    return true;
}

// Everything but the text.
bool SameShape(const TemplateItem& a, const TemplateItem& b) {
    return a.exStyle == b.exStyle && a.style == b.style && a.id == b.id && a.x == b.x && a.y == b.y && a.cx == b.cx &&
           a.cy == b.cy && a.className == b.className;
}

std::string Narrow(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

// Every string id of the Chinese table, gathered block by block.
std::vector<UINT> ChineseStringIds(HMODULE module) {
    std::vector<UINT> blocks;
    EnumResourceNamesW(
        module, RT_STRING,
        [](HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param) -> BOOL {
            if (IS_INTRESOURCE(name))
                reinterpret_cast<std::vector<UINT>*>(param)->push_back(
                    static_cast<UINT>(reinterpret_cast<ULONG_PTR>(name)));
            return TRUE;
        },
        reinterpret_cast<LONG_PTR>(&blocks));
    std::vector<UINT> ids;
    for (UINT block : blocks) {
        HRSRC found = FindResourceExW(module, RT_STRING, MAKEINTRESOURCEW(block), kChinese);
        HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
        const auto* entry = loaded ? static_cast<const wchar_t*>(LockResource(loaded)) : nullptr;
        if (!entry) continue;
        for (UINT i = 0; i < 16; ++i) {
            if (*entry != 0) ids.push_back((block - 1) * 16 + i);
            entry += 1 + *entry;
        }
    }
    return ids;
}

// The string id in exactly language (no fallback); empty when absent.
std::wstring StringIn(HMODULE module, UINT id, LANGID language) {
    HRSRC block = FindResourceExW(module, RT_STRING, MAKEINTRESOURCEW(id / 16 + 1), language);
    HGLOBAL loaded = block ? LoadResource(module, block) : nullptr;
    const wchar_t* entry = loaded ? static_cast<const wchar_t*>(LockResource(loaded)) : nullptr;
    if (!entry) return L"";
    for (UINT i = 0; i < id % 16; ++i) entry += 1 + *entry;
    return std::wstring(entry + 1, *entry);
}

TEST(ToolStrings, EachReplayProblemNamesItsSubjectInBothLanguages) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring tool(path);
    tool = tool.substr(0, tool.find_last_of(L"\\/") + 1) + L"Tavo_Ladu330_Pk27Tool.exe";
    HMODULE module = LoadLibraryExW(tool.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr) << "cannot read " << std::string(tool.begin(), tool.end());
    for (UINT id : {IDS_REPLAY_CANNOT_OPEN, IDS_REPLAY_EMPTY, IDS_REPLAY_NOT_A_RECORDING, IDS_REPLAY_BAD_SPEED}) {
        const std::wstring chinese = StringIn(module, id, MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED));
        const std::wstring english = StringIn(module, id, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
        EXPECT_NE(chinese.find(L"%s"), std::wstring::npos) << id;
        EXPECT_NE(english.find(L"%s"), std::wstring::npos) << id;
        EXPECT_NE(chinese, english) << id;
    }
    FreeLibrary(module);
}

TEST(ToolStrings, EveryChineseStringHasAnEnglishOneWithTheSamePlaceholders) {
    ToolModule tool;
    ASSERT_NE(tool.get(), nullptr);
    const std::vector<UINT> ids = ChineseStringIds(tool.get());
    EXPECT_GE(ids.size(), 35u) << "the Chinese table was not found whole";
    for (UINT id : ids) {
        const std::wstring english = StringIn(tool.get(), id, kEnglish);
        EXPECT_FALSE(english.empty()) << id << " has no English text";
        const std::wstring chinese = StringIn(tool.get(), id, kChinese);
        // The languages' names in the menu: each in its own language, in both tables.
        if (id == IDS_MENU_LANGUAGE_CHINESE || id == IDS_MENU_LANGUAGE_ENGLISH)
            EXPECT_EQ(chinese, english) << id;
        else
            EXPECT_FALSE(HasCjk(english)) << id << " is not English";
        EXPECT_EQ(chinese.find(L"%s") != std::wstring::npos, english.find(L"%s") != std::wstring::npos) << id;
    }
}

// The English dialogs are the Chinese ones with other texts: every control
// keeps its id, class, styles, place and size, and the dialog its font (which
// sets what a dialog unit is), so nothing moves between the languages.
TEST(ToolStrings, EnglishDialogsMatchTheChineseOnesInAllButTheirTexts) {
    ToolModule tool;
    ASSERT_NE(tool.get(), nullptr);
    for (UINT id : {IDD_MAIN, IDD_PARAM_CONFIG}) {
        SCOPED_TRACE(id);
        DialogTemplate chinese, english;
        ASSERT_TRUE(ReadDialog(tool.get(), id, kChinese, chinese));
        ASSERT_TRUE(ReadDialog(tool.get(), id, kEnglish, english)) << "no English template";
        EXPECT_TRUE(SameShape(chinese.frame, english.frame));
        EXPECT_EQ(chinese.menu, english.menu);
        EXPECT_EQ(chinese.font, english.font);
        EXPECT_EQ(chinese.pointSize, english.pointSize);
        EXPECT_EQ(chinese.weight, english.weight);
        EXPECT_EQ(chinese.italicAndCharset, english.italicAndCharset);
        EXPECT_FALSE(HasCjk(english.frame.text)) << Narrow(english.frame.text);
        ASSERT_EQ(chinese.controls.size(), english.controls.size());
        for (size_t i = 0; i < chinese.controls.size(); ++i) {
            const TemplateItem& zh = chinese.controls[i];
            const TemplateItem& en = english.controls[i];
            EXPECT_TRUE(SameShape(zh, en)) << "control " << i << " (" << Narrow(en.text) << ")";
            EXPECT_FALSE(HasCjk(en.text)) << "control " << i << " (" << Narrow(en.text) << ")";
            if (HasCjk(zh.text)) {
                EXPECT_FALSE(en.text.empty()) << "control " << i;
            }
        }
    }
}

// The chart background carries captions too: each language has its own picture.
TEST(ToolStrings, TheChartBackgroundHasAPictureInEachLanguage) {
    ToolModule tool;
    ASSERT_NE(tool.get(), nullptr);
    std::string pictures[2];
    const LANGID languages[2] = {kChinese, kEnglish};
    for (int i = 0; i < 2; ++i) {
        HRSRC found = FindResourceExW(tool.get(), L"PNG", MAKEINTRESOURCEW(IDB_CHART_BACKGROUND), languages[i]);
        ASSERT_NE(found, nullptr) << "no picture in language " << languages[i];
        const char* bytes = static_cast<const char*>(LockResource(LoadResource(tool.get(), found)));
        ASSERT_NE(bytes, nullptr);
        pictures[i].assign(bytes, SizeofResource(tool.get(), found));
        EXPECT_EQ(0u, pictures[i].find("\x89PNG")) << languages[i];
    }
    EXPECT_NE(pictures[0], pictures[1]);
}

}  // namespace
