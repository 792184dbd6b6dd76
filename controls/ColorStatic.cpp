#include "ColorStatic.h"

#include "LayoutMath.h"
#include "Tavo_Common.h"
#include "handles/ScopedDC.h"

#include <cwchar>
#include <new>
#include <string>
#include <vector>

namespace {

const wchar_t kFaceName[] = L"宋体";

// A string format with centred alignment and line limit, allocated through
// GDI+'s allocator; null when GDI+ cannot make one (not started).
Gdiplus::StringFormat* NewDefaultFormat() {
    void* memory = Gdiplus::DllExports::GdipAlloc(sizeof(Gdiplus::StringFormat));
    if (!memory) return nullptr;
    auto* format = ::new (memory) Gdiplus::StringFormat(0, 0);
    if (format->GetLastStatus() != Gdiplus::Ok) {
        format->~StringFormat();
        Gdiplus::DllExports::GdipFree(memory);
        return nullptr;
    }
    format->SetAlignment(Gdiplus::StringAlignmentCenter);
    format->SetLineAlignment(Gdiplus::StringAlignmentCenter);
    format->SetFormatFlags(Gdiplus::StringFormatFlagsLineLimit);
    return format;
}

Gdiplus::Color ColorOf(COLORREF colour) { return Gdiplus::Color(ctlmath::ArgbFromColorRef(colour)); }

// The block of texts DevideStringByCharListW hands out.
class SplitBlock {
public:
    explicit SplitBlock(void* block) : m_block(block) {}
    ~SplitBlock() {
        if (m_block) Internal_DelArrayW(m_block);
    }
    SplitBlock(const SplitBlock&) = delete;
    SplitBlock& operator=(const SplitBlock&) = delete;
    explicit operator bool() const { return m_block != nullptr; }

private:
    void* m_block;
};

}  // namespace

CColorStatic::CColorStatic()
    : m_crBackground(::GetSysColor(COLOR_BTNFACE)),
      m_crText(::GetSysColor(COLOR_BTNTEXT)),
      m_pFormat(NewDefaultFormat()) {}

CColorStatic::~CColorStatic() = default;  // font, picture and format have their owners

Gdiplus::StringFormat* CColorStatic::Format() {
    if (!m_pFormat) m_pFormat.reset(NewDefaultFormat());
    return m_pFormat.get();
}

void CColorStatic::InvalidateIfWindow() {
    // InvalidateRect with no window would invalidate every window on the desktop.
    if (m_hWnd) ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CColorStatic::PreSubclassWindow() {
    // Owner-drawn whatever text style the template gave (the whole type field,
    // so frame and etched types do not leave stray bits behind).
    LONG_PTR style = ::GetWindowLongPtrW(m_hWnd, GWL_STYLE);
    style = (style & ~static_cast<LONG_PTR>(SS_TYPEMASK)) | SS_OWNERDRAW;
    ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, style);
    if (m_font.GetSafeHandle()) SetFont(m_font.GetSafeHandle(), TRUE);
}

void CColorStatic::SetFontSize(int points) {
    int dpi = 96;
    {
        WindowDC screen(nullptr);
        if (screen) dpi = ::GetDeviceCaps(screen.Get(), LOGPIXELSY);
    }
    const int height = ctlmath::FontHeightForPoints(points, dpi);
    // The new font is made and handed over before the old one goes, so the
    // window never holds a deleted font, and a failure keeps the old one.
    UniqueFont font(::CreateFontW(height, 0, 0, 0, 1, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                  CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, kFaceName));
    if (!font) return;
    if (m_hWnd) SetFont(font.Get(), TRUE);
    m_font.Attach(font.Release());
}

void CColorStatic::InitLabel(COLORREF background, LPCWSTR text, int points, int align) {
    SetFontSize(points);
    if (Gdiplus::StringFormat* format = Format()) {
        format->SetAlignment(static_cast<Gdiplus::StringAlignment>(align));
        format->SetLineAlignment(Gdiplus::StringAlignmentCenter);
        format->SetFormatFlags(0);
    }
    m_nLineGap = 0;
    m_crText = RGB(0, 0, 0);
    SetPicture(nullptr);
    m_crBackground = background;
    if (text && m_hWnd) SetWindowTextW(text);
    InvalidateIfWindow();
}

void CColorStatic::SetPicture(Gdiplus::Bitmap* picture) {
    // Copy first: the caller may hand back the label's own picture.
    Gdiplus::Bitmap* copy = picture ? Gdiplus_CopyBitmap(picture) : nullptr;
    m_pPicture.reset(copy);
    InvalidateIfWindow();
}

void CColorStatic::DrawItem(LPDRAWITEMSTRUCT drawItem) {
    if (!drawItem || !drawItem->hDC) return;
    const RECT& item = drawItem->rcItem;
    const int width = item.right - item.left;
    const int height = item.bottom - item.top;
    if (width <= 0 || height <= 0) return;  // nothing to show, and no empty bitmap to make

    // The system selected the control's font into the target DC.
    Gdiplus::Font font(drawItem->hDC);
    CMemoryDC memory(drawItem->hDC, width, height);
    if (!memory.IsValid()) return;

    // The surface is drawn at its own origin and copied to the item's place.
    const RECT local{0, 0, width, height};
    {
        Gdiplus::Graphics graphics(memory.GetSafeHdc());
        if (graphics.GetLastStatus() != Gdiplus::Ok) {
            memory.FillSolidRect(local, m_crBackground);  // GDI+ not running: the colour at least
        } else {
            if (m_pPicture) {
                // Edges mirror the picture's own border pixels; otherwise the
                // stretch blends them with nothing and leaves a dark rim.
                Gdiplus::ImageAttributes edges;
                edges.SetWrapMode(Gdiplus::WrapModeTileFlipXY);
                graphics.DrawImage(m_pPicture.get(), Gdiplus::Rect(0, 0, width, height), 0, 0,
                                   static_cast<INT>(m_pPicture->GetWidth()), static_cast<INT>(m_pPicture->GetHeight()),
                                   Gdiplus::UnitPixel, &edges);
            } else {
                Gdiplus::SolidBrush background(ColorOf(m_crBackground));
                graphics.FillRectangle(&background, 0, 0, width, height);
            }
            const std::wstring text = GetWindowTextW();
            if (!text.empty() && font.GetLastStatus() == Gdiplus::Ok) {
                const int length = static_cast<int>(text.size());
                if (m_nLineGap < 0) {
                    graphics.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAlias);
                    Gdiplus::SolidBrush brush(ColorOf(m_crText));
                    const Gdiplus::RectF box(0.0f, 0.0f, static_cast<float>(width), static_cast<float>(height));
                    graphics.DrawString(text.c_str(), length, &font, box, Format(), &brush);
                } else {
                    LayoutLines(graphics, font, text.c_str(), length, local);
                }
            }
        }
    }  // the graphics is flushed and gone before its DC is copied
    memory.CopyTo(drawItem->hDC, item.left, item.top);
}

void CColorStatic::LayoutLines(Gdiplus::Graphics& graphics, const Gdiplus::Font& font, const wchar_t* text, int length,
                               const RECT& rect) {
    CPtrArrayCtrl pieces;
    SplitBlock block(DevideStringByCharListW(text, length, L"\n", 1, 0, &pieces, -1));
    const int count = pieces.GetCount();
    if (!block || count <= 0) return;

    const float left = static_cast<float>(rect.left);
    const float top = static_cast<float>(rect.top);
    const float width = static_cast<float>(rect.right - rect.left);
    const float height = static_cast<float>(rect.bottom - rect.top);
    const Gdiplus::RectF layout(left, top, width, height);

    std::vector<const wchar_t*> lines(static_cast<size_t>(count));
    std::vector<int> lengths(static_cast<size_t>(count));
    std::vector<float> heights(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const wchar_t* line = static_cast<const wchar_t*>(pieces.GetAt(i));
        int n = line ? static_cast<int>(std::wcslen(line)) : 0;
        if (n > 0 && line[n - 1] == L'\r') --n;  // text written with CR LF line ends
        lines[i] = line;
        lengths[i] = n;
        Gdiplus::RectF box;
        if (n > 0 && graphics.MeasureString(line, n, &font, layout, &box) == Gdiplus::Ok)
            heights[i] = box.Height;
        else
            heights[i] = 0.0f;
    }

    Gdiplus::StringFormat* format = Format();
    Gdiplus::StringAlignment lineAlign = Gdiplus::StringAlignmentCenter;
    if (format) lineAlign = format->GetLineAlignment();
    float gap = 0.0f;
    const std::vector<float> tops =
        ctlmath::LineTops(m_nLineGap, static_cast<int>(lineAlign), top, static_cast<float>(rect.bottom), heights, &gap);

    graphics.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAlias);
    Gdiplus::SolidBrush brush(ColorOf(m_crText));
    for (int i = 0; i < count; ++i) {
        if (lengths[i] <= 0) continue;
        const Gdiplus::RectF box(left, tops[i], width, heights[i]);
        graphics.DrawString(lines[i], lengths[i], &font, box, format, &brush);
    }
}
