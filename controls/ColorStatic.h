// CColorStatic: an owner-drawn static that paints a picture stretched over
// the whole control, or a plain colour, and draws its window text on top with
// GDI+ in its own font, colour and alignment, one line at a time with evenly
// spread lines.
#pragma once

#include "framework/Controls.h"
#include "framework/Gdi.h"
#include "GdiplusHelper.h"

#include <memory>

class CColorStatic : public CStatic {
public:
    CColorStatic();
    ~CColorStatic() override;

    // Font of the given size in points, face "宋体"; the window gets it at once
    // when it exists, otherwise when it is subclassed.
    void SetFontSize(int points);
    // Background colour, optional window text, font size, horizontal alignment
    // (0 near, 1 centre, 2 far); lines spread evenly and centred, black text,
    // no picture.
    void InitLabel(COLORREF background, LPCWSTR text, int points, int align);
    // Keeps a copy of picture (null: none, the background colour shows). The
    // caller keeps its own bitmap.
    void SetPicture(Gdiplus::Bitmap* picture);

    void DrawItem(LPDRAWITEMSTRUCT drawItem) override;

protected:
    void PreSubclassWindow() override;
    bool OnEraseBkgnd(HDC) override { return true; }  // DrawItem paints every pixel

    // Draws text line by line into rect (see the class comment).
    void LayoutLines(Gdiplus::Graphics& graphics, const Gdiplus::Font& font, const wchar_t* text, int length,
                     const RECT& rect);

    struct PictureDeleter {
        void operator()(Gdiplus::Bitmap* picture) const { Gdiplus_DeleteBitmap(picture); }
    };

public:
    std::unique_ptr<Gdiplus::Bitmap, PictureDeleter> m_pPicture;
    COLORREF m_crBackground;
    CFont m_font;
    COLORREF m_crText;
    std::unique_ptr<Gdiplus::StringFormat> m_pFormat;
    int m_nLineGap = -1;

private:
    // The string format, made now if it could not be made at construction
    // (GDI+ not yet started then). Null while GDI+ is not running.
    Gdiplus::StringFormat* Format();
    void InvalidateIfWindow();
};
