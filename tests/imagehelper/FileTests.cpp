// Encoders, picture types, loading, saving and the status convention, on real
// files written by the tests.
#include "ImageTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace imgtest;

namespace {

enum class Magic { Bmp, Jpeg, Gif, Tiff, Png, Unknown };

Magic MagicOf(const std::vector<unsigned char>& b) {
    auto starts = [&](const char* m, size_t n) { return b.size() >= n && std::memcmp(b.data(), m, n) == 0; };
    if (starts("BM", 2)) return Magic::Bmp;
    if (starts("\xFF\xD8\xFF", 3)) return Magic::Jpeg;
    if (starts("GIF8", 4)) return Magic::Gif;
    if (starts("II*\0", 4) || starts("MM\0*", 4)) return Magic::Tiff;
    if (starts("\x89PNG", 4)) return Magic::Png;
    return Magic::Unknown;
}

// Left half red, right half blue, 16 x 8.
BitmapPtr TwoColours() {
    return Painted(16, 8, [](int x, int) { return x < 8 ? kRed : kBlue; });
}

}  // namespace

TEST(ImageEncoders, LookupIgnoresCaseAndLeavesTheClsidAloneWhenNothingMatches) {
    CLSID byType{}, byMime{}, byAnsi{};
    ASSERT_EQ(Gdiplus_GetEncoderClsidByPictureType(4, &byType), 1);
    ASSERT_EQ(Gdiplus_GetEncoderClsidByFormatTypeW(L"IMAGE/PNG", &byMime), 1);
    ASSERT_EQ(Gdiplus_GetEncoderClsidByFormatTypeA("Image/Png", &byAnsi), 1);
    EXPECT_TRUE(IsEqualCLSID(byType, byMime));
    EXPECT_TRUE(IsEqualCLSID(byType, byAnsi));

    CLSID bmp{}, other{};
    ASSERT_EQ(Gdiplus_GetEncoderClsidByPictureType(0, &bmp), 1);
    ASSERT_EQ(Gdiplus_GetEncoderClsidByPictureType(-7, &other), 1);  // unknown types mean BMP
    EXPECT_TRUE(IsEqualCLSID(bmp, other));
    EXPECT_FALSE(IsEqualCLSID(bmp, byType));

    CLSID untouched;
    std::memset(&untouched, 0x5A, sizeof untouched);
    const CLSID before = untouched;
    EXPECT_EQ(Gdiplus_GetEncoderClsidByFormatTypeW(L"image/none", &untouched), 0);
    EXPECT_TRUE(IsEqualCLSID(before, untouched));
    EXPECT_EQ(Gdiplus_GetEncoderClsidByFormatTypeW(nullptr, &untouched), 0);
    EXPECT_EQ(Gdiplus_GetEncoderClsidByFormatTypeA(nullptr, &untouched), 0);
}

TEST(ImagePictureTypes, ExtensionsMapThroughTheTable) {
    struct Case {
        const wchar_t* name;
        int type;
    } cases[] = {{L"a.bmp", 0},  {L"a.BMP", 0}, {L"a.jpeg", 1}, {L"PHOTO.JPG", 1}, {L"a.gif", 2},
                 {L"a.tiff", 3}, {L"a.tif", 4}, {L"a.PNG", 4},  {L"a.webp", 4},    {L"noext", 4}};
    for (const Case& c : cases) {
        EXPECT_EQ(Gdiplus_GetPictureTypeByFileNameW(c.name), c.type) << Ansi(c.name);
        EXPECT_EQ(Gdiplus_GetPictureTypeByFileNameA(Ansi(c.name).c_str()), c.type) << Ansi(c.name);
    }
    EXPECT_EQ(Gdiplus_GetPictureTypeByFileNameW(nullptr), 4);
    EXPECT_EQ(Gdiplus_GetPictureTypeByFileNameA(nullptr), 4);
}

TEST(ImageFiles, SaveAndLoadInAllFiveFormats) {
    ScratchFolder folder;
    BitmapPtr source = TwoColours();
    // Wine's GIF encoder writes only indexed images: GIF goes through the gray copy.
    BitmapPtr gray(Gdiplus_Gray(source.get()));
    ASSERT_TRUE(gray);
    const DWORD grayRed = 0xFF4C4C4C, grayBlue = 0xFF1C1C1C;
    struct Case {
        const wchar_t* name;
        Magic magic;
        int tolerance;
        bool indexed;
    } cases[] = {{L"p.bmp", Magic::Bmp, 0, false}, {L"p.jpg", Magic::Jpeg, 40, false},
                 {L"p.gif", Magic::Gif, 0, true},  {L"p.tiff", Magic::Tiff, 0, false},
                 {L"p.png", Magic::Png, 0, false}, {L"p.tif", Magic::Png, 0, false}};
    for (const Case& c : cases) {
        const std::wstring path = folder.Path(c.name);
        ASSERT_EQ(Gdiplus_SaveBitmapToFileW(c.indexed ? gray.get() : source.get(), path.c_str()), 1) << Ansi(c.name);
        EXPECT_EQ(MagicOf(ReadBytes(path)), c.magic) << Ansi(c.name);
        BitmapPtr loaded(Gdiplus_LoadBitmapFromFileW(path.c_str()));
        ASSERT_TRUE(loaded) << Ansi(c.name);
        EXPECT_EQ(Gdiplus_BitmapLastError(loaded.get()), Gdiplus::Ok);
        EXPECT_EQ(loaded->GetWidth(), 16u);
        EXPECT_EQ(loaded->GetHeight(), 8u);
        EXPECT_PRED3(Near, PixelAt(loaded.get(), 2, 4), c.indexed ? grayRed : kRed, c.tolerance) << Ansi(c.name);
        EXPECT_PRED3(Near, PixelAt(loaded.get(), 13, 4), c.indexed ? grayBlue : kBlue, c.tolerance) << Ansi(c.name);
    }

    const std::string ansiPath = Ansi(folder.Path(L"ansi.png"));
    ASSERT_EQ(Gdiplus_SaveBitmapToFileA(source.get(), ansiPath.c_str()), 1);
    BitmapPtr viaAnsi(Gdiplus_LoadBitmapFromFileA(ansiPath.c_str()));
    ASSERT_TRUE(viaAnsi);
    EXPECT_PIXEL(viaAnsi.get(), 15, 7, kBlue);
}

TEST(ImageFiles, MissingFilesAndNamesGiveNull) {
    ScratchFolder folder;
    EXPECT_EQ(Gdiplus_LoadBitmapFromFileW(folder.Path(L"absent.png").c_str()), nullptr);
    EXPECT_EQ(Gdiplus_LoadBitmapFromFileW(nullptr), nullptr);
    EXPECT_EQ(Gdiplus_LoadBitmapFromFileA(nullptr), nullptr);
    // A file that is not a picture fails the creation check.
    const std::wstring junk = folder.Path(L"junk.png");
    HANDLE f = CreateFileW(junk.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(f, "not a picture", 13, &written, nullptr);
    CloseHandle(f);
    EXPECT_EQ(Gdiplus_LoadBitmapFromFileW(junk.c_str()), nullptr);
    BitmapPtr image = Solid(2, 2, kRed);
    EXPECT_EQ(Gdiplus_SaveBitmapToFileW(nullptr, junk.c_str()), 0);
    EXPECT_EQ(Gdiplus_SaveBitmapToFileW(image.get(), nullptr), 0);
    EXPECT_EQ(Gdiplus_SaveBitmapToFileA(image.get(), nullptr), 0);
}

TEST(ImageFiles, ConversionNamesEndInTheTypesExtension) {
    ScratchFolder folder;
    BitmapPtr source = TwoColours();
    const std::wstring original = folder.Path(L"original.png");
    ASSERT_EQ(Gdiplus_SaveBitmapToFileW(source.get(), original.c_str()), 1);

    // Generated names carry no folder: they land in the current folder.
    wchar_t previous[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryW(folder.Root().c_str()));
    struct Case {
        int type;
        const wchar_t* ext;
        Magic magic;
    } cases[] = {{3, L".tif", Magic::Tiff},
                 {9, L".bmp", Magic::Bmp},
                 {1, L".jpg", Magic::Jpeg},
                 {2, L".gif", Magic::Gif},
                 {4, L".png", Magic::Png}};
    for (const Case& c : cases) {
        wchar_t name[MAX_PATH] = L"";
        EXPECT_EQ(Gdiplus_ConvertImageFormatW(original.c_str(), name, c.type), 1) << c.type;
        const std::wstring made(name);
        ASSERT_GT(made.size(), 4u);
        EXPECT_EQ(made.substr(made.size() - 4), c.ext) << Ansi(made);
        EXPECT_EQ(made.find(L'\\'), std::wstring::npos);
        EXPECT_EQ(MagicOf(ReadBytes(folder.Path(made))), c.magic) << Ansi(made);
    }
    char ansiName[MAX_PATH] = "unchanged";
    EXPECT_EQ(Gdiplus_ConvertImageFormatA(Ansi(original).c_str(), ansiName, 0), 1);
    EXPECT_STREQ(ansiName, "unchanged");  // the A form keeps the generated name in its own copy

    wchar_t name[MAX_PATH];
    EXPECT_EQ(Gdiplus_ConvertImageFormatW(folder.Path(L"absent.png").c_str(), name, 4), 0);
    EXPECT_EQ(Gdiplus_ConvertImageFormatW(nullptr, name, 4), 0);
    EXPECT_EQ(Gdiplus_ConvertImageFormatW(original.c_str(), nullptr, 4), 0);
    EXPECT_EQ(Gdiplus_ConvertImageFormatA(nullptr, ansiName, 4), 0);
    SetCurrentDirectoryW(previous);
}

TEST(ImageFiles, DataLoadsSurviveTheCallerFreeingItsBytes) {
    ScratchFolder folder;
    BitmapPtr source = TwoColours();
    const std::wstring path = folder.Path(L"data.png");
    ASSERT_EQ(Gdiplus_SaveBitmapToFileW(source.get(), path.c_str()), 1);

    auto* bytes = new std::vector<unsigned char>(ReadBytes(path));
    ASSERT_FALSE(bytes->empty());
    BitmapPtr image(Gdiplus_LoadBitmapFromData(bytes->data(), static_cast<unsigned>(bytes->size())));
    std::fill(bytes->begin(), bytes->end(), 0xAA);
    delete bytes;
    ASSERT_TRUE(image);

    BitmapPtr target = Solid(16, 8, kWhite);
    {
        Gdiplus::Graphics graphics(target.get());
        const RECT all{0, 0, 16, 8};
        Gdiplus_DrawBitmap(&graphics, &all, image.get(), nullptr, 9);
    }
    EXPECT_PIXEL(target.get(), 3, 3, kRed);
    EXPECT_PIXEL(target.get(), 12, 3, kBlue);

    const unsigned char junk[] = {1, 2, 3, 4};
    EXPECT_EQ(Gdiplus_LoadBitmapFromData(junk, sizeof junk), nullptr);
    EXPECT_EQ(Gdiplus_LoadBitmapFromData(nullptr, 10), nullptr);
    EXPECT_EQ(Gdiplus_LoadBitmapFromData(junk, 0), nullptr);
}

TEST(ImageFiles, ResourcesByIdThroughBothForms) {
    BitmapPtr wide(Gdiplus_LoadBitmapFromResourceW(nullptr, L"PNG", 101));
    ASSERT_TRUE(wide);
    EXPECT_EQ(wide->GetWidth(), 3u);
    EXPECT_EQ(wide->GetHeight(), 2u);
    EXPECT_PIXEL(wide.get(), 0, 0, kRed);
    EXPECT_PIXEL(wide.get(), 2, 0, kBlue);
    EXPECT_EQ(PixelAt(wide.get(), 2, 1) >> 24, 0u);

    BitmapPtr ansi(Gdiplus_LoadBitmapFromResourceA(GetModuleHandleW(nullptr), "PNG", 101));
    ASSERT_TRUE(ansi);
    EXPECT_PIXEL(ansi.get(), 1, 0, kGreen);

    // -1 is resource 65535 for the W form and no resource at all for the A form.
    BitmapPtr last(Gdiplus_LoadBitmapFromResourceW(nullptr, L"PNG", -1));
    EXPECT_TRUE(last);
    EXPECT_EQ(Gdiplus_LoadBitmapFromResourceA(nullptr, "PNG", -1), nullptr);
    EXPECT_EQ(Gdiplus_LoadBitmapFromResourceW(nullptr, L"PNG", 0), nullptr);
    EXPECT_EQ(Gdiplus_LoadBitmapFromResourceW(nullptr, nullptr, 101), nullptr);
    EXPECT_EQ(Gdiplus_LoadBitmapFromResourceA(nullptr, nullptr, 101), nullptr);
    EXPECT_EQ(Gdiplus_LoadBitmapFromResourceW(nullptr, L"PNG", 102), nullptr);
}

TEST(ImageFiles, ImageBitsShareTheCallersMemory) {
    std::vector<uint32_t> pixels(4 * 3, kRed);
    EXPECT_EQ(Gdiplus_LoadBitmapFromImageBits(pixels.data(), 4, 3, 0, PixelFormat32bppARGB), nullptr);
    EXPECT_EQ(Gdiplus_LoadBitmapFromImageBits(pixels.data(), 4, 0, 16, PixelFormat32bppARGB), nullptr);
    EXPECT_EQ(Gdiplus_LoadBitmapFromImageBits(pixels.data(), 0, 3, 16, PixelFormat32bppARGB), nullptr);
    EXPECT_EQ(Gdiplus_LoadBitmapFromImageBits(nullptr, 4, 3, 16, PixelFormat32bppARGB), nullptr);
    EXPECT_EQ(Gdiplus_LoadBitmapFromImageBits(pixels.data(), -4, 3, 16, PixelFormat32bppARGB),
              nullptr);  // GDI+ refuses

    BitmapPtr image(Gdiplus_LoadBitmapFromImageBits(pixels.data(), 4, 3, 16, PixelFormat32bppARGB));
    ASSERT_TRUE(image);
    EXPECT_PIXEL(image.get(), 3, 2, kRed);
    pixels[2 * 4 + 3] = kGreen;
    EXPECT_PIXEL(image.get(), 3, 2, kGreen);
}

TEST(ImageStatus, AFailureReadsOnceThenOk) {
    BitmapPtr image = Solid(4, 4, kRed);
    EXPECT_EQ(Gdiplus_BitmapOK(image.get()), 1);

    ScratchFolder folder;
    const std::wstring nowhere = folder.Path(L"no\\such\\folder\\x.png");
    EXPECT_EQ(Gdiplus_SaveBitmapToFileW(image.get(), nowhere.c_str()), 0);
    EXPECT_EQ(Gdiplus_BitmapOK(image.get()), 0);
    EXPECT_EQ(Gdiplus_BitmapOK(image.get()), 1);

    EXPECT_EQ(Gdiplus_SaveBitmapToFileW(image.get(), nowhere.c_str()), 0);
    EXPECT_NE(Gdiplus_BitmapLastError(image.get()), Gdiplus::Ok);
    EXPECT_EQ(Gdiplus_BitmapLastError(image.get()), Gdiplus::Ok);

    // A later success does not hide an earlier failure.
    const RECT all{0, 0, 4, 4};
    uint32_t out[16];
    EXPECT_EQ(Gdiplus_GetBitmapBuffer(image.get(), &all, 0x7777, out, 16), 0);
    EXPECT_EQ(Gdiplus_GetBitmapBuffer(image.get(), &all, PixelFormat32bppARGB, out, 16), 1);
    EXPECT_EQ(Gdiplus_BitmapOK(image.get()), 0);
}

TEST(ImageStatus, NullHandles) {
    EXPECT_EQ(Gdiplus_BitmapOK(nullptr), 0);
    EXPECT_EQ(Gdiplus_BitmapLastError(nullptr), 1);
    Gdiplus_DeleteBitmap(nullptr);
    Gdiplus_DeInit(nullptr);
}
