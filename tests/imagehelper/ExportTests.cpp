// The tool's executable loaded as a library by another program: every export
// is found by name and works without the executable's start-up code.
#include "ImageTestSupport.h"

#include <gtest/gtest.h>

#include <iterator>
#include <set>
#include <string>
#include <vector>

using namespace imgtest;

namespace {

const char* const kExports[] = {
    "Gdiplus_Init",
    "Gdiplus_DeInit",
    "Gdiplus_GetEncoderClsidByFormatTypeW",
    "Gdiplus_GetEncoderClsidByFormatTypeA",
    "Gdiplus_GetEncoderClsidByPictureType",
    "Gdiplus_GetPictureTypeByFileNameW",
    "Gdiplus_GetPictureTypeByFileNameA",
    "Gdiplus_ConvertImageFormatW",
    "Gdiplus_ConvertImageFormatA",
    "Gdiplus_LoadBitmapFromImageBits",
    "Gdiplus_LoadBitmapFromData",
    "Gdiplus_LoadBitmapFromResourceW",
    "Gdiplus_LoadBitmapFromResourceA",
    "Gdiplus_LoadBitmapFromFileW",
    "Gdiplus_LoadBitmapFromFileA",
    "Gdiplus_SaveBitmapToFileW",
    "Gdiplus_SaveBitmapToFileA",
    "Gdiplus_BitmapOK",
    "Gdiplus_BitmapLastError",
    "Gdiplus_DeleteBitmap",
    "Gdiplus_CreateBitmap",
    "Gdiplus_CreateColorBmp",
    "Gdiplus_CopyBitmap",
    "Gdiplus_ModifyBitmapFormat",
    "Gdiplus_StretchBitmap",
    "Gdiplus_ResizeBitmap",
    "Gdiplus_DisposeBitmapByMode",
    "Gdiplus_GetBitmapFromBitmap",
    "Gdiplus_GetBitmapFromBitmapByRect",
    "Gdiplus_GetHBitmap",
    "Gdiplus_GetBitmapBuffer",
    "Gdiplus_GetStringFormat",
    "Gdiplus_DrawText",
    "Gdiplus_DrawBitmap",
    "Gdiplus_DrawAlphaBitmap",
    "Gdiplus_FillRect",
    "Gdiplus_FillPolygon",
    "Gdiplus_DrawRect",
    "Gdiplus_Gray",
    "Gdiplus_SetBitmapAlpha",
    "Gdiplus_CreateRgnFromBitmap",
};

class ToolExports : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        wchar_t path[MAX_PATH];
        GetModuleFileNameW(nullptr, path, MAX_PATH);
        std::wstring tool(path);
        tool = tool.substr(0, tool.find_last_of(L'\\') + 1) + L"Tavo_Ladu330_Pk27Tool.exe";
        s_hTool = LoadLibraryW(tool.c_str());
    }
    static void TearDownTestSuite() {
        if (s_hTool) FreeLibrary(s_hTool);
    }
    template <typename F>
    static F Export(const char* name) {
        return reinterpret_cast<F>(GetProcAddress(s_hTool, name));
    }
    static HMODULE s_hTool;
};

HMODULE ToolExports::s_hTool = nullptr;

}  // namespace

// The names in the export table of a loaded module, in the table's order.
static std::vector<std::string> ExportedNames(HMODULE module) {
    std::vector<std::string> names;
    const auto* base = reinterpret_cast<const unsigned char*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    if (dir.VirtualAddress == 0) return names;
    const auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + dir.VirtualAddress);
    const auto* nameRvas = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
    for (DWORD i = 0; i < exports->NumberOfNames; ++i)
        names.push_back(reinterpret_cast<const char*>(base + nameRvas[i]));
    return names;
}

TEST_F(ToolExports, AllFortyOneNamesAreExported) {
    ASSERT_NE(s_hTool, nullptr) << "the tool's executable does not load";
    for (const char* name : kExports) EXPECT_NE(GetProcAddress(s_hTool, name), nullptr) << name;
    // The executable's own table: exactly these 41 image functions, no more.
    std::set<std::string> imageExports;
    for (const std::string& name : ExportedNames(s_hTool))
        if (name.rfind("Gdiplus_", 0) == 0) imageExports.insert(name);
    EXPECT_EQ(std::set<std::string>(std::begin(kExports), std::end(kExports)), imageExports);
    EXPECT_EQ(41u, imageExports.size());
}

TEST_F(ToolExports, WorkWithoutTheExecutablesStartUp) {
    ASSERT_NE(s_hTool, nullptr);
    auto init = Export<decltype(&Gdiplus_Init)>("Gdiplus_Init");
    auto deinit = Export<decltype(&Gdiplus_DeInit)>("Gdiplus_DeInit");
    auto colour = Export<decltype(&Gdiplus_CreateColorBmp)>("Gdiplus_CreateColorBmp");
    auto ok = Export<decltype(&Gdiplus_BitmapOK)>("Gdiplus_BitmapOK");
    auto remove = Export<decltype(&Gdiplus_DeleteBitmap)>("Gdiplus_DeleteBitmap");
    auto fromResource = Export<decltype(&Gdiplus_LoadBitmapFromResourceW)>("Gdiplus_LoadBitmapFromResourceW");
    ASSERT_TRUE(init && deinit && colour && ok && remove && fromResource);

    GdiplusStartupRecord* record = init();
    ASSERT_NE(record, nullptr);
    EXPECT_NE(record->token, 0u);

    Gdiplus::Bitmap* image = colour(5, 4, kGreen);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(ok(image), 1);
    EXPECT_EQ(image->GetWidth(), 5u);
    EXPECT_PIXEL(image, 4, 3, kGreen);
    remove(image);

    // A program built with the platform's compiler clones and deletes a
    // handle through its table, which holds wherever the executable lies.
    Gdiplus::Bitmap* red = colour(2, 2, kRed);
    ASSERT_NE(red, nullptr);
    auto* twin = static_cast<Gdiplus::Bitmap*>(CallerClone(red));
    ASSERT_NE(twin, nullptr);
    EXPECT_EQ(CallerDelete(red), red);
    EXPECT_EQ(ok(twin), 1);
    EXPECT_PIXEL(twin, 1, 1, kRed);
    CallerDelete(twin);

    // Calls into the common library go through the executable's own imports.
    auto pictureType = Export<decltype(&Gdiplus_GetPictureTypeByFileNameW)>("Gdiplus_GetPictureTypeByFileNameW");
    ASSERT_TRUE(pictureType);
    EXPECT_EQ(pictureType(L"photo.JPG"), 1);
    EXPECT_EQ(pictureType(L"scan.tif"), 4);

    // A null module means the calling program: this test's own PNG resource.
    Gdiplus::Bitmap* picture = fromResource(nullptr, L"PNG", 101);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->GetWidth(), 3u);
    remove(picture);

    deinit(record);
}
