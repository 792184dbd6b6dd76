// GDI+ start-up, encoders, picture types, loading, saving and image status.
#include "ImageOwners.h"
#include "ImportFixup.h"

#include "Tavo_Common.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>

using Gdiplus::Bitmap;
using imagehelper::EnsureImports;
using imagehelper::NewBitmap;

namespace {

const wchar_t* MimeTypeOf(PictureType type) {
    switch (type) {
    case 1: return L"image/jpeg";
    case 2: return L"image/gif";
    case 3: return L"image/tiff";
    case 4: return L"image/png";
    default: return L"image/bmp";
    }
}

const wchar_t* ExtensionOf(PictureType type) {
    switch (type) {
    case 1: return L"jpg";
    case 2: return L"gif";
    case 3: return L"tif";
    case 4: return L"png";
    default: return L"bmp";
    }
}

// ANSI text into a wide buffer of TAVO_MAX_PATH characters; false when it does not fit.
bool WidenPath(const char* text, wchar_t (&out)[TAVO_MAX_PATH]) {
    out[0] = L'\0';
    return MultiByteToWideChar(CP_ACP, 0, text, -1, out, TAVO_MAX_PATH) > 0;
}

}  // namespace

IMAGEHELPER_API GdiplusStartupRecord* Gdiplus_Init() {
    EnsureImports();
    auto* record = new (std::nothrow) GdiplusStartupRecord();
    if (record == nullptr) return nullptr;
    // A failed start-up is not reported: the caller gets the record either way.
    Gdiplus::GdiplusStartup(&record->token, &record->input, &record->output);
    return record;
}

IMAGEHELPER_API void Gdiplus_DeInit(GdiplusStartupRecord* record) {
    EnsureImports();
    if (record == nullptr) return;
    if (record->token != 0) Gdiplus::GdiplusShutdown(record->token);
    delete record;
}

IMAGEHELPER_API int Gdiplus_GetEncoderClsidByFormatTypeW(const wchar_t* mimeType, CLSID* clsid) {
    EnsureImports();
    if (mimeType == nullptr || clsid == nullptr) return 0;
    UINT count = 0, bytes = 0;
    if (Gdiplus::DllExports::GdipGetImageEncodersSize(&count, &bytes) != Gdiplus::Ok || bytes == 0) return 0;
    auto* codecs = static_cast<Gdiplus::ImageCodecInfo*>(std::malloc(bytes));
    if (codecs == nullptr) return 0;
    int found = 0;
    if (Gdiplus::DllExports::GdipGetImageEncoders(count, bytes, codecs) == Gdiplus::Ok) {
        for (UINT i = 0; i < count; ++i) {
            if (codecs[i].MimeType && _wcsicmp(codecs[i].MimeType, mimeType) == 0) {
                *clsid = codecs[i].Clsid;
                found = 1;
                break;
            }
        }
    }
    std::free(codecs);
    return found;
}

IMAGEHELPER_API int Gdiplus_GetEncoderClsidByFormatTypeA(const char* mimeType, CLSID* clsid) {
    EnsureImports();
    if (mimeType == nullptr) return 0;
    const int chars = MultiByteToWideChar(CP_ACP, 0, mimeType, -1, nullptr, 0);
    if (chars <= 0) return 0;
    auto* wide = static_cast<wchar_t*>(std::malloc(sizeof(wchar_t) * chars));
    if (wide == nullptr) return 0;
    int found = 0;
    if (MultiByteToWideChar(CP_ACP, 0, mimeType, -1, wide, chars) > 0)
        found = Gdiplus_GetEncoderClsidByFormatTypeW(wide, clsid);
    std::free(wide);
    return found;
}

IMAGEHELPER_API int Gdiplus_GetEncoderClsidByPictureType(PictureType type, CLSID* clsid) {
    EnsureImports();
    return Gdiplus_GetEncoderClsidByFormatTypeW(MimeTypeOf(type), clsid);
}

IMAGEHELPER_API PictureType Gdiplus_GetPictureTypeByFileNameW(const wchar_t* fileName) {
    EnsureImports();
    wchar_t ext[TAVO_MAX_PATH] = L"";
    // A missing name reads as a name without extension.
    if (fileName != nullptr) GetFileExtNameW(fileName, ext, TAVO_MAX_PATH);
    if (_wcsicmp(ext, L"bmp") == 0) return 0;
    if (_wcsicmp(ext, L"jpeg") == 0 || _wcsicmp(ext, L"jpg") == 0) return 1;
    if (_wcsicmp(ext, L"gif") == 0) return 2;
    if (_wcsicmp(ext, L"tiff") == 0) return 3;
    return 4;
}

IMAGEHELPER_API PictureType Gdiplus_GetPictureTypeByFileNameA(const char* fileName) {
    EnsureImports();
    char ext[TAVO_MAX_PATH] = "";
    if (fileName != nullptr) GetFileExtNameA(fileName, ext, TAVO_MAX_PATH);
    if (_stricmp(ext, "bmp") == 0) return 0;
    if (_stricmp(ext, "jpeg") == 0 || _stricmp(ext, "jpg") == 0) return 1;
    if (_stricmp(ext, "gif") == 0) return 2;
    if (_stricmp(ext, "tiff") == 0) return 3;
    return 4;
}

IMAGEHELPER_API int Gdiplus_ConvertImageFormatW(const wchar_t* source, wchar_t* nameBuffer, PictureType type) {
    EnsureImports();
    if (source == nullptr || nameBuffer == nullptr) return 0;
    GetFileNameByDateW(nameBuffer, ExtensionOf(type), L"Temp_", L"", 0, 0, 0);
    Bitmap* image = Gdiplus_LoadBitmapFromFileW(source);
    if (image == nullptr) return 0;
    CLSID encoder;
    int saved = 0;
    if (Gdiplus_GetEncoderClsidByFormatTypeW(MimeTypeOf(type), &encoder))
        saved = image->Save(nameBuffer, &encoder, nullptr) == Gdiplus::Ok ? 1 : 0;
    Gdiplus_DeleteBitmap(image);
    return saved;
}

IMAGEHELPER_API int Gdiplus_ConvertImageFormatA(const char* source, char* nameBuffer, PictureType type) {
    EnsureImports();
    if (source == nullptr || nameBuffer == nullptr) return 0;
    wchar_t wideSource[TAVO_MAX_PATH];
    wchar_t wideName[TAVO_MAX_PATH];
    if (!WidenPath(source, wideSource)) return 0;
    WidenPath(nameBuffer, wideName);  // overwritten by the generated name; kept only as a copy
    return Gdiplus_ConvertImageFormatW(wideSource, wideName, type);
}

IMAGEHELPER_API Bitmap* Gdiplus_LoadBitmapFromImageBits(void* pixels, int width, int height, int stride,
                                                        int pixelFormat) {
    EnsureImports();
    if (pixels == nullptr || width == 0 || height == 0 || stride == 0) return nullptr;
    return NewBitmap(width, height, stride, static_cast<Gdiplus::PixelFormat>(pixelFormat), static_cast<BYTE*>(pixels));
}

IMAGEHELPER_API Bitmap* Gdiplus_LoadBitmapFromData(const void* bytes, unsigned int count) {
    EnsureImports();
    if (bytes == nullptr || count == 0) return nullptr;
    UniqueGlobalMemory block(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, count));
    if (block.Get() == nullptr) return nullptr;
    {
        imagehelper::GlobalPointer data(block.Get());
        if (data.Get() == nullptr) return nullptr;
        std::memcpy(data.Get(), bytes, count);
    }
    // The stream owns the block from here, and the image keeps its own
    // reference to the stream: GDI+ may read it again while the image lives.
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(block.Get(), TRUE, &stream)) || stream == nullptr) return nullptr;
    block.Release();
    Bitmap* image = NewBitmap(stream, FALSE);
    stream->Release();
    return image;
}

namespace {

Bitmap* LoadFromResource(HMODULE module, HRSRC resource) {
    if (resource == nullptr) return nullptr;
    HGLOBAL loaded = LoadResource(module, resource);
    if (loaded == nullptr) return nullptr;
    const void* bytes = LockResource(loaded);
    const DWORD size = SizeofResource(module, resource);
    return Gdiplus_LoadBitmapFromData(bytes, size);
}

}  // namespace

IMAGEHELPER_API Bitmap* Gdiplus_LoadBitmapFromResourceW(HMODULE module, const wchar_t* type, int id) {
    EnsureImports();
    if (type == nullptr || id == 0) return nullptr;
    return LoadFromResource(module, FindResourceW(module, MAKEINTRESOURCEW(id & 0xFFFF), type));
}

IMAGEHELPER_API Bitmap* Gdiplus_LoadBitmapFromResourceA(HMODULE module, const char* type, int id) {
    EnsureImports();
    if (type == nullptr || id <= 0) return nullptr;
    return LoadFromResource(module, FindResourceA(module, MAKEINTRESOURCEA(id & 0xFFFF), type));
}

IMAGEHELPER_API Bitmap* Gdiplus_LoadBitmapFromFileW(const wchar_t* fileName) {
    EnsureImports();
    if (fileName == nullptr || !IsFileExistW(fileName)) return nullptr;
    return NewBitmap(fileName, FALSE);
}

IMAGEHELPER_API Bitmap* Gdiplus_LoadBitmapFromFileA(const char* fileName) {
    EnsureImports();
    if (fileName == nullptr) return nullptr;
    wchar_t wide[TAVO_MAX_PATH];
    if (!WidenPath(fileName, wide)) return nullptr;
    return Gdiplus_LoadBitmapFromFileW(wide);
}

IMAGEHELPER_API int Gdiplus_SaveBitmapToFileW(Bitmap* image, const wchar_t* fileName) {
    EnsureImports();
    if (image == nullptr || fileName == nullptr) return 0;
    CLSID encoder;
    if (!Gdiplus_GetEncoderClsidByPictureType(Gdiplus_GetPictureTypeByFileNameW(fileName), &encoder)) return 0;
    return image->Save(fileName, &encoder, nullptr) == Gdiplus::Ok ? 1 : 0;
}

IMAGEHELPER_API int Gdiplus_SaveBitmapToFileA(Bitmap* image, const char* fileName) {
    EnsureImports();
    if (image == nullptr || fileName == nullptr) return 0;
    wchar_t wide[TAVO_MAX_PATH];
    if (!WidenPath(fileName, wide)) return 0;
    return Gdiplus_SaveBitmapToFileW(image, wide);
}

IMAGEHELPER_API int Gdiplus_BitmapOK(Bitmap* image) {
    EnsureImports();
    if (image == nullptr) return 0;
    return image->GetLastStatus() == Gdiplus::Ok ? 1 : 0;
}

IMAGEHELPER_API int Gdiplus_BitmapLastError(Bitmap* image) {
    EnsureImports();
    if (image == nullptr) return Gdiplus::GenericError;
    return image->GetLastStatus();
}

IMAGEHELPER_API void Gdiplus_DeleteBitmap(Bitmap* image) {
    EnsureImports();
    // Never through the table: its slots are ordered for the platform's
    // compiler, not for ours (ImageHandle.h).
    imagehelper::DestroyHandle(image, true);
}
