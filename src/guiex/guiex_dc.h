#pragma once

// Off-screen drawing surface of fixed size: a 32-bit image plus a current brush and
// font, with the primitives every picture of the program is drawn with. A painter is
// made per primitive call. A surface is used by one thread at a time; the worker
// draws only into the surfaces the data manager owns.
//
// Coordinates follow the platform the program was designed on: rectangles have
// exclusive right and bottom edges, lines leave out their end point, and the
// anti-aliased primitives treat integer coordinates as pixel centres.
#include "guiex/win_types.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPoint>
#include <QSize>
#include <QString>
#include <vector>

class QPaintDevice;

namespace COM_GUI_EX {

// One polyline of a batch: count points and the colour to draw them in.
struct CGUIEXPolyline {
    const QPoint* points;
    int count;
    COLORREF color;
};

class CGUIEXDC {
public:
    // A blank surface of width × height whose resolution matches the reference
    // device (96 dpi when null); the pixels are undefined until the first fill.
    CGUIEXDC(const QPaintDevice* reference, int width, int height);
    // A surface holding image resource id of the type (RT_PNG or RT_BITMAP). When the
    // image is missing or has a zero side, the surface has no pixels and every call
    // on it does nothing.
    CGUIEXDC(const QPaintDevice* reference, unsigned resourceId, const char* resourceType);
    virtual ~CGUIEXDC();

    CGUIEXDC(const CGUIEXDC&) = delete;
    CGUIEXDC& operator=(const CGUIEXDC&) = delete;

    // The pixels; null when the surface has none.
    QImage* GetMemDC();
    const QImage* GetMemDC() const;
    QSize GetSize() const { return QSize(m_nWidth, m_nHeight); }
    // The current font as resolved (the generic sans-serif family when the requested
    // one is not installed).
    const QFont& GetFont() const { return m_font; }

    void SetBrushColor(COLORREF color);
    // style: 1 bold, 2 italic, 4 underline, 8 strikeout; an unknown family gives the
    // generic sans-serif family.
    void SetFont(const QString& family, int size, int style = 0);
    void SetPageUnit(int enabled, int unit);

    // Copies this surface's width × height to (0, 0) of the target.
    void CopyToDC(QPaintDevice* target) const;
    // Copies width × height from (0, 0) of the source to (0, 0) of this surface,
    // whatever the source's size.
    void CopyFromDC(const QImage* source);

    void FillSolid(COLORREF color);
    void FillSolidRect(const RECT* rect, COLORREF color);
    // The end point is not drawn. penStyle: PS_SOLID or PS_DOT.
    void DrawLine(int x1, int y1, int x2, int y2, COLORREF color, int width, int penStyle);
    void DrawFrameRect(const RECT* rect, COLORREF color, int width);

    void DrawSmoothLine(int x1, int y1, int x2, int y2, COLORREF color, int width);
    // One anti-aliased polyline through count points with the same pen as DrawSmoothLine.
    void DrawSmoothPolyline(const QPoint* points, int count, COLORREF color, int width);
    // Several polylines with one pen width, each over the ones before it.
    void DrawSmoothPolylines(const std::vector<CGUIEXPolyline>& lines, int width);
    void DrawEllipse(int x, int y, int w, int h, COLORREF color);
    void FillEllipse(int x, int y, int w, int h, COLORREF color);
    // Fills one pixel less than the rectangle on the right and at the bottom.
    void FillAlphaRect(const RECT* rect, COLORREF color, uint8_t alpha);
    void FillGradientH(const RECT* rect, COLORREF left, COLORREF right, uint8_t alpha);
    void FillGradientV(const RECT* rect, COLORREF top, COLORREF bottom, uint8_t alpha);
    // align: 1 left, 2 right, else centred; 4 top, 8 bottom, else centred. noWrap:
    // 0 wraps at the box's width, unclipped; kElideBelow wraps and leaves out the
    // lines that would run below the box, the last shown ending in "…"; else one
    // line per line break.
    static constexpr int kElideBelow = -1;
    void DrawTextInRect(const QString& text, const RECT* box, unsigned align, int noWrap);
    // Text from the origin (x, y), turned clockwise by angle degrees, unclipped.
    void DrawRotatedText(const QString& text, float x, float y, float angle);

    // Horizontal and vertical resolution of the primary screen, rounded.
    static void GetDesktopDpi(int* x, int* y);

private:
    // Both gradient fills: first colour at the left (horizontal) or top edge.
    void FillGradient(const RECT* rect, COLORREF first, COLORREF last, uint8_t alpha, bool horizontal);

    QImage m_image;
    int m_nWidth = 0;
    int m_nHeight = 0;
    QColor m_brush;
    QFont m_font;
    bool m_bHasFont = true;  // false after SetFont with a size that makes no font
    int m_nPageUnitSwitch = 0;
    int m_nPageUnit = 2;
};

}  // namespace COM_GUI_EX
