// The image helper library: plain exported functions over GDI+.
//
// Every image is a Gdiplus::Bitmap allocated through GDI+'s allocator and laid
// out, virtual table included, as the platform's own C++ compiler (MSVC) lays
// out that class: a caller built with it may free an image with
// Gdiplus_DeleteBitmap or a plain delete, and Clone it. GCC (mingw) orders a
// virtual table differently, so a caller built with GCC, this tool included,
// frees images only with Gdiplus_DeleteBitmap and never calls delete, Clone,
// dynamic_cast or typeid on them; the non-virtual wrapper calls (GetWidth,
// LockBits, a Graphics on it, DrawImage of it) work from either compiler.
// Gdiplus_DeleteBitmap also frees a plain Gdiplus::Bitmap made with the SDK's
// new by either compiler. (Details: ImageHandle.h.)
//
// A GDI+ failure on an image (or a caller's Graphics) is written into that
// object's last status; success never overwrites it. Gdiplus_BitmapOK and
// Gdiplus_BitmapLastError read the status and reset it.
//
// GDI+ must be running (Gdiplus_Init for outside callers) while any of these
// are used. The functions are exported from the tool's executable under their
// undecorated names; they rely on no global object, because the executable's
// start-up code does not run when another program loads it.
#pragma once

#include <windows.h>
#include <objidl.h>
#include <algorithm>
namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus
#include <gdiplus.h>

#ifdef IMAGEHELPER_BUILD
#define IMAGEHELPER_API extern "C" __declspec(dllexport)
#else
#define IMAGEHELPER_API extern "C"
#endif

// 0 BMP, 1 JPEG, 2 GIF, 3 TIFF, 4 PNG.
typedef int PictureType;

// What Gdiplus_Init hands out and Gdiplus_DeInit takes back.
struct GdiplusStartupRecord {
    ULONG_PTR token;
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartupOutput output;
};

// Start-up, encoders, loading and saving.
IMAGEHELPER_API GdiplusStartupRecord* Gdiplus_Init();
IMAGEHELPER_API void Gdiplus_DeInit(GdiplusStartupRecord* record);
IMAGEHELPER_API int Gdiplus_GetEncoderClsidByFormatTypeW(const wchar_t* mimeType, CLSID* clsid);
IMAGEHELPER_API int Gdiplus_GetEncoderClsidByFormatTypeA(const char* mimeType, CLSID* clsid);
IMAGEHELPER_API int Gdiplus_GetEncoderClsidByPictureType(PictureType type, CLSID* clsid);
IMAGEHELPER_API PictureType Gdiplus_GetPictureTypeByFileNameW(const wchar_t* fileName);
IMAGEHELPER_API PictureType Gdiplus_GetPictureTypeByFileNameA(const char* fileName);
IMAGEHELPER_API int Gdiplus_ConvertImageFormatW(const wchar_t* source, wchar_t* nameBuffer, PictureType type);
IMAGEHELPER_API int Gdiplus_ConvertImageFormatA(const char* source, char* nameBuffer, PictureType type);
IMAGEHELPER_API Gdiplus::Bitmap* Gdiplus_LoadBitmapFromImageBits(void* pixels, int width, int height, int stride,
                                                                 int pixelFormat);
IMAGEHELPER_API Gdiplus::Bitmap* Gdiplus_LoadBitmapFromData(const void* bytes, unsigned int count);
IMAGEHELPER_API Gdiplus::Bitmap* Gdiplus_LoadBitmapFromResourceW(HMODULE module, const wchar_t* type, int id);
IMAGEHELPER_API Gdiplus::Bitmap* Gdiplus_LoadBitmapFromResourceA(HMODULE module, const char* type, int id);
IMAGEHELPER_API Gdiplus::Bitmap* Gdiplus_LoadBitmapFromFileW(const wchar_t* fileName);
IMAGEHELPER_API Gdiplus::Bitmap* Gdiplus_LoadBitmapFromFileA(const char* fileName);
IMAGEHELPER_API int Gdiplus_SaveBitmapToFileW(Gdiplus::Bitmap* image, const wchar_t* fileName);
IMAGEHELPER_API int Gdiplus_SaveBitmapToFileA(Gdiplus::Bitmap* image, const char* fileName);
IMAGEHELPER_API int Gdiplus_BitmapOK(Gdiplus::Bitmap* image);
IMAGEHELPER_API int Gdiplus_BitmapLastError(Gdiplus::Bitmap* image);
IMAGEHELPER_API void Gdiplus_DeleteBitmap(Gdiplus::Bitmap* image);

// Creation and transforms.
IMAGEHELPER_API Gdiplus::Bitmap* Gdiplus_CreateBitmap(int width, int height, int pixelFormat);
IMAGEHELPER_API Gdiplus::Bitmap* Gdiplus_CreateColorBmp(int width, int height, DWORD argb);
IMAGEHELPER_API Gdiplus::Bitmap* Gdiplus_CopyBitmap(Gdiplus::Bitmap* source);
IMAGEHELPER_API Gdiplus::Bitmap* Gdiplus_ModifyBitmapFormat(Gdiplus::Bitmap* source, int pixelFormat);
IMAGEHELPER_API Gdiplus::Bitmap* Gdiplus_StretchBitmap(Gdiplus::Bitmap* source, int width, int height);
IMAGEHELPER_API Gdiplus::Bitmap* Gdiplus_ResizeBitmap(Gdiplus::Bitmap* source, int width, int height, int mode,
                                                      DWORD fillArgb);
IMAGEHELPER_API Gdiplus::Bitmap* Gdiplus_DisposeBitmapByMode(Gdiplus::Bitmap* source, int width, int height, int mode,
                                                             DWORD fillArgb);
IMAGEHELPER_API Gdiplus::Bitmap* Gdiplus_GetBitmapFromBitmap(Gdiplus::Bitmap* source, int x, int y, int width,
                                                             int height, const SIZE* size);
IMAGEHELPER_API Gdiplus::Bitmap* Gdiplus_GetBitmapFromBitmapByRect(Gdiplus::Bitmap* source, const RECT* rect,
                                                                   const SIZE* size);
IMAGEHELPER_API HBITMAP Gdiplus_GetHBitmap(Gdiplus::Bitmap* source, DWORD backgroundArgb, int negateHeight);
IMAGEHELPER_API int Gdiplus_GetBitmapBuffer(Gdiplus::Bitmap* source, const RECT* rect, int pixelFormat,
                                            void* destination, int destinationStride);

// Drawing helpers.
IMAGEHELPER_API int Gdiplus_GetStringFormat(int languageId);
IMAGEHELPER_API void Gdiplus_DrawText(Gdiplus::Graphics* graphics, const wchar_t* text, const Gdiplus::RectF* layout,
                                      const Gdiplus::Color* color, const Gdiplus::StringFormat* format,
                                      const Gdiplus::Font* font);
IMAGEHELPER_API void Gdiplus_DrawBitmap(Gdiplus::Graphics* graphics, const RECT* destination, Gdiplus::Bitmap* image,
                                        const RECT* source, int mode);
IMAGEHELPER_API void Gdiplus_DrawAlphaBitmap(Gdiplus::Graphics* graphics, const RECT* destination,
                                             Gdiplus::Bitmap* image, const RECT* source, int stretch, BYTE opacity);
IMAGEHELPER_API void Gdiplus_FillRect(Gdiplus::Graphics* graphics, const RECT* rect, const Gdiplus::Brush* brush);
IMAGEHELPER_API void Gdiplus_FillPolygon(Gdiplus::Graphics* graphics, const Gdiplus::Point* points, int count,
                                         const Gdiplus::Brush* brush);
IMAGEHELPER_API void Gdiplus_DrawRect(Gdiplus::Graphics* graphics, const RECT* rect, DWORD argb, float penWidth);

// Gray conversion, alpha rewrite and regions.
IMAGEHELPER_API Gdiplus::Bitmap* Gdiplus_Gray(Gdiplus::Bitmap* source);
IMAGEHELPER_API void Gdiplus_SetBitmapAlpha(Gdiplus::Bitmap* image, const RECT* rect, BYTE alpha, int lowest,
                                            int highest);
IMAGEHELPER_API HRGN Gdiplus_CreateRgnFromBitmap(Gdiplus::Bitmap* image, BYTE threshold);

#include "handles/UniqueHandle.h"

// An image made by the Gdiplus_ functions, freed with Gdiplus_DeleteBitmap.
struct GdiplusImageTraits : NullIsEmpty<Gdiplus::Bitmap*> {
    static void Close(Gdiplus::Bitmap* h) { Gdiplus_DeleteBitmap(h); }
};
using UniqueImage = UniqueHandle<GdiplusImageTraits>;
