// Drawing onto a caller's Graphics: text, images in five fitting modes, images
// at an opacity, fills and outlines. Failures go to the Graphics' last status
// through its own wrapper methods.
#include "ImageOwners.h"
#include "ImportFixup.h"

using Gdiplus::Bitmap;
using Gdiplus::Graphics;
using imagecore::Box;
using namespace imagehelper;

namespace {

// The caller's source rectangle, or the whole image.
Box SourceBox(Bitmap* image, const RECT* source) {
    const Box whole = ImageBox(image);
    return source ? BoxOf(*source) : whole;
}

// The source box (the whole image without one) and the destination box of a
// drawing call. False when there is nothing to draw: no graphics, destination
// or image, or an empty rectangle (every mode would divide by its size).
bool DrawingBoxes(Graphics* graphics, const RECT* destination, Bitmap* image, const RECT* source, Box* src, Box* dst) {
    if (graphics == nullptr || destination == nullptr || image == nullptr) return false;
    *src = SourceBox(image, source);
    *dst = BoxOf(*destination);
    return src->w > 0 && src->h > 0 && dst->w > 0 && dst->h > 0;
}

void Draw(Graphics* graphics, Bitmap* image, const Box& from, const Box& to,
          const Gdiplus::ImageAttributes* attributes = nullptr) {
    graphics->DrawImage(image, RectOf(to), from.x, from.y, from.w, from.h, Gdiplus::UnitPixel, attributes);
}

}  // namespace

IMAGEHELPER_API int Gdiplus_GetStringFormat(int languageId) {
    EnsureImports();
    const int language = languageId & 0xFFFF;
    return language == 0x0401 || language == 0x040D ? 1 : 0;
}

IMAGEHELPER_API void Gdiplus_DrawText(Graphics* graphics, const wchar_t* text, const Gdiplus::RectF* layout,
                                      const Gdiplus::Color* color, const Gdiplus::StringFormat* format,
                                      const Gdiplus::Font* font) {
    EnsureImports();
    if (graphics == nullptr || text == nullptr || text[0] == L'\0' || layout == nullptr || color == nullptr) return;
    Gdiplus::SolidBrush brush(*color);
    graphics->SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAlias);
    graphics->DrawString(text, -1, font, *layout, format, &brush);
}

IMAGEHELPER_API void Gdiplus_DrawBitmap(Graphics* graphics, const RECT* destination, Bitmap* image, const RECT* source,
                                        int mode) {
    EnsureImports();
    Box src, dst;
    if (!DrawingBoxes(graphics, destination, image, source, &src, &dst)) return;
    switch (mode) {
    case 0: {
        Box from;
        if (imagecore::PlanDrawCover(src, dst, &from)) Draw(graphics, image, from, dst);
        break;
    }
    case 1: {
        Box to;
        if (imagecore::PlanDrawFit(src, dst, &to)) Draw(graphics, image, src, to);
        break;
    }
    case 2: {
        const int across = imagecore::TilesAcross(dst.w, src.w);
        const int down = imagecore::TilesAcross(dst.h, src.h);
        for (int row = 0; row < down; ++row) {
            for (int col = 0; col < across; ++col) {
                // Edge tiles are narrower or lower and get the whole source squeezed in.
                Box tile = imagecore::TileBox(src.w, src.h, dst.w, dst.h, row, col);
                tile.x += dst.x;
                tile.y += dst.y;
                Draw(graphics, image, src, tile);
            }
        }
        break;
    }
    case 3: {
        Box from, to;
        imagecore::PlanDrawCentre(src, dst, &from, &to);
        Draw(graphics, image, from, to);
        break;
    }
    default: Draw(graphics, image, src, dst); break;
    }
}

IMAGEHELPER_API void Gdiplus_DrawAlphaBitmap(Graphics* graphics, const RECT* destination, Bitmap* image,
                                             const RECT* source, int stretch, BYTE opacity) {
    EnsureImports();
    Box src, dst;
    if (!DrawingBoxes(graphics, destination, image, source, &src, &dst)) return;
    // Identity but for the alpha scale: opacity / 256, so 255 is not quite opaque.
    Gdiplus::ColorMatrix matrix = {
        {{1, 0, 0, 0, 0}, {0, 1, 0, 0, 0}, {0, 0, 1, 0, 0}, {0, 0, 0, opacity * 0.00390625f, 0}, {0, 0, 0, 0, 1}}};
    Gdiplus::ImageAttributes attributes;
    attributes.SetColorMatrix(&matrix, Gdiplus::ColorMatrixFlagsDefault, Gdiplus::ColorAdjustTypeBitmap);
    if (stretch) {
        Draw(graphics, image, src, dst, &attributes);
    } else {
        Box from, to;
        imagecore::PlanAlphaCentre(src, dst, &from, &to);
        Draw(graphics, image, from, to, &attributes);
    }
}

IMAGEHELPER_API void Gdiplus_FillRect(Graphics* graphics, const RECT* rect, const Gdiplus::Brush* brush) {
    EnsureImports();
    if (graphics == nullptr || rect == nullptr || brush == nullptr) return;
    graphics->FillRectangle(brush, static_cast<INT>(rect->left), static_cast<INT>(rect->top),
                            static_cast<INT>(rect->right - rect->left), static_cast<INT>(rect->bottom - rect->top));
}

IMAGEHELPER_API void Gdiplus_FillPolygon(Graphics* graphics, const Gdiplus::Point* points, int count,
                                         const Gdiplus::Brush* brush) {
    EnsureImports();
    if (graphics == nullptr || points == nullptr || brush == nullptr) return;
    graphics->FillPolygon(brush, points, count, Gdiplus::FillModeAlternate);
}

IMAGEHELPER_API void Gdiplus_DrawRect(Graphics* graphics, const RECT* rect, DWORD argb, float penWidth) {
    EnsureImports();
    if (graphics == nullptr || rect == nullptr) return;
    Gdiplus::Pen pen(Gdiplus::Color(argb), penWidth);
    graphics->DrawRectangle(&pen, static_cast<Gdiplus::REAL>(rect->left), static_cast<Gdiplus::REAL>(rect->top),
                            static_cast<Gdiplus::REAL>(rect->right - rect->left) - penWidth,
                            static_cast<Gdiplus::REAL>(rect->bottom - rect->top) - penWidth);
}
