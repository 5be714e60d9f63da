#include "guiex/guiex_dc.h"

#include "guiex/image_resources.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPaintDevice>
#include <QPainter>
#include <QRegion>
#include <QScreen>
#include <QTextLayout>
#include <QTransform>

#include <algorithm>
#include <cmath>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <map>
#include <mutex>
#include <thread>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace COM_GUI_EX {
namespace {

constexpr int kDefaultDpi = 96;
constexpr double kMetresPerInch = 0.0254;

// Dotted lines: this many pixels drawn, then this many left alone, counted along the
// major axis from the start point.
constexpr int64_t kDotOn = 3;
constexpr int64_t kDotOff = 3;

// Line width given to unwrapped text lines; wide enough never to matter.
constexpr qreal kUnboundedLineWidth = 1.0e6;

QColor ToColor(COLORREF color, int alpha = 255)
{
    return QColor(GetRValue(color), GetGValue(color), GetBValue(color), alpha);
}

void SetResolution(QImage* image, const QPaintDevice* reference)
{
    int dpiX = reference ? reference->logicalDpiX() : kDefaultDpi;
    int dpiY = reference ? reference->logicalDpiY() : kDefaultDpi;
    if (dpiX <= 0)
        dpiX = kDefaultDpi;
    if (dpiY <= 0)
        dpiY = kDefaultDpi;
    image->setDotsPerMeterX(qRound(dpiX / kMetresPerInch));
    image->setDotsPerMeterY(qRound(dpiY / kMetresPerInch));
}

// Font of the family at size points; a family that is not installed becomes the
// generic sans-serif family (fontconfig would otherwise substitute whatever it likes,
// e.g. a monospace face for a missing monospace family). Text is laid out unhinted
// and grey-scale anti-aliased, so advances are the font's design widths.
// Whether the family is installed, asked of the font database once per family: the
// question goes to fontconfig and costs about a millisecond, and surfaces are made
// for every paint.
bool FamilyInstalled(const QString& family)
{
    static std::mutex lock;
    static std::map<QString, bool> installed;
    const std::lock_guard<std::mutex> guard(lock);
    const auto found = installed.find(family);
    if (found != installed.end())
        return found->second;
    const bool result = QFontDatabase::hasFamily(family);
    installed.emplace(family, result);
    return result;
}

QFont MakeSurfaceFont(const QString& family, int size, int style)
{
    QFont font;
    if (!family.isEmpty() && FamilyInstalled(family)) {
        font.setFamily(family);
    } else {
        QFont generic;
        generic.setStyleHint(QFont::SansSerif);
        font.setFamily(generic.defaultFamily());
        font.setStyleHint(QFont::SansSerif);
    }
    font.setPointSize(size);
    font.setBold((style & 1) != 0);
    font.setItalic((style & 2) != 0);
    font.setUnderline((style & 4) != 0);
    font.setStrikeOut((style & 8) != 0);
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setStyleStrategy(QFont::StyleStrategy(QFont::PreferAntialias | QFont::NoSubpixelAntialias));
    return font;
}

// World-to-device scale of the anti-aliased primitives while the page-unit switch is
// on. Pixel (2) is the identity; world (0) and display (1) are pixels on a raster
// surface too. Point (3), inch (4), document (5, 1/300 inch) and millimetre (6) scale
// by the surface's resolution.
QTransform PageTransform(const QImage& image, int enabled, int unit)
{
    if (enabled != 1)
        return QTransform();
    qreal unitsPerInch = 0;
    switch (unit) {
    case 3: unitsPerInch = 72.0; break;
    case 4: unitsPerInch = 1.0; break;
    case 5: unitsPerInch = 300.0; break;
    case 6: unitsPerInch = 25.4; break;
    default: return QTransform();
    }
    const qreal dpiX = image.dotsPerMeterX() * kMetresPerInch;
    const qreal dpiY = image.dotsPerMeterY() * kMetresPerInch;
    return QTransform::fromScale(dpiX / unitsPerInch, dpiY / unitsPerInch);
}

// Anti-aliased primitives put integer coordinates on pixel centres: the half-pixel
// shift is applied in device space, before the page scale.
// Blends one pixel of a premultiplied 32-bit image with an opaque colour at the
// coverage (0 to 256).
inline void BlendPixel(QRgb* pixel, QRgb color, uint32_t coverage)
{
    const uint32_t keep = 256 - coverage;
    const QRgb d = *pixel;
    const uint32_t rb = (((color & 0xFF00FFu) * coverage + (d & 0xFF00FFu) * keep) >> 8) & 0xFF00FFu;
    const uint32_t ag = ((((color >> 8) & 0xFF00FFu) * coverage + ((d >> 8) & 0xFF00FFu) * keep)) & 0xFF00FF00u;
    *pixel = rb | ag;
}

// Two pixels side by side blended like BlendPixel, the left at coverage near and the
// right at far (near + far = 256), both at once: the steps of a steep line.
inline void BlendPair(QRgb* pixels, QRgb color, uint32_t near, uint32_t far)
{
#if defined(__SSE2__)
    // Each channel as a 16-bit lane: colour × coverage + pixel × (256 - coverage) stays
    // below 65536, and the high byte is the blended channel, as in BlendPixel.
    const __m128i zero = _mm_setzero_si128();
    const __m128i ink = _mm_unpacklo_epi8(_mm_set1_epi32(static_cast<int>(color)), zero);
    const __m128i coverage = _mm_set_epi16(static_cast<short>(far), static_cast<short>(far), static_cast<short>(far),
                                           static_cast<short>(far), static_cast<short>(near), static_cast<short>(near),
                                           static_cast<short>(near), static_cast<short>(near));
    const __m128i keep = _mm_sub_epi16(_mm_set1_epi16(256), coverage);
    const __m128i old = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(pixels)), zero);
    const __m128i mixed = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(ink, coverage), _mm_mullo_epi16(old, keep)), 8);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(pixels), _mm_packus_epi16(mixed, mixed));
#else
    BlendPixel(pixels, color, near);
    BlendPixel(pixels + 1, color, far);
#endif
}

// An anti-aliased one-pixel line between pixel centres, drawn straight into the image
// (Wu's method: two pixels across the line at each step along it, shared by their
// distance from it; the end pixels get half). For the curves of a page this is many
// times faster than stroking each segment as a polygon, with the same pixels covered.
// The pixels a one-pixel line may change: rows top..bottom - 1 of a premultiplied
// 32-bit image.
struct ThinLineBand {
    uchar* bits;
    qsizetype stride;
    int width;
    int top;
    int bottom;
};

void DrawThinLine(const ThinLineBand& band, int x0, int y0, int x1, int y1, QRgb color)
{
    // Walk along the major axis (the longer one); the two pixels across the line at
    // each step lie side by side in one row for a steep line, one above the other for
    // a flat one.
    // Differences are taken in 64 bits: the end points may be anywhere in int.
    const bool steep = std::llabs(int64_t(y1) - y0) > std::llabs(int64_t(x1) - x0);
    if (steep) {
        std::swap(x0, y0);
        std::swap(x1, y1);
    }
    if (x0 > x1) {
        std::swap(x0, x1);
        std::swap(y0, y1);
    }
    const int majorLow = steep ? band.top : 0;
    const int majorHigh = steep ? band.bottom : band.width;
    const int minorLow = steep ? 0 : band.top;
    const int minorHigh = steep ? band.width : band.bottom;
    const int64_t dx = int64_t(x1) - x0;
    // The minor coordinate in 16.16 fixed point, stepped once per major step.
    const int64_t gradient = dx == 0 ? 0 : (int64_t(y1) - y0) * 65536 / dx;
    const int first = std::max(x0, majorLow);
    const int last = std::min(x1, majorHigh - 1);
    int64_t minor = int64_t(y0) * 65536 + gradient * (int64_t(first) - x0);
    for (int major = first; major <= last; ++major, minor += gradient) {
        const int64_t whole = minor >> 16;
        const uint32_t below = static_cast<uint32_t>((minor & 0xFFFF) >> 8);  // 0..255 of 256
        if (steep && major != x0 && major != x1 && whole >= 0 && whole + 1 < band.width) {
            // The usual step of a steep line: both pixels inside, full coverage shared.
            BlendPair(reinterpret_cast<QRgb*>(band.bits + major * band.stride) + whole, color, 256 - below, below);
            continue;
        }
        const uint32_t share = major == x0 || major == x1 ? 128 : 256;  // half at the ends
        const uint32_t near = (256 - below) * share >> 8;
        const uint32_t far = below * share >> 8;
        if (steep) {
            QRgb* row = reinterpret_cast<QRgb*>(band.bits + major * band.stride);
            if (whole >= minorLow && whole < minorHigh)
                BlendPixel(row + whole, color, near);
            if (far != 0 && whole + 1 >= minorLow && whole + 1 < minorHigh)
                BlendPixel(row + whole + 1, color, far);
        } else {
            if (whole >= minorLow && whole < minorHigh)
                BlendPixel(reinterpret_cast<QRgb*>(band.bits + whole * band.stride) + major, color, near);
            if (far != 0 && whole + 1 >= minorLow && whole + 1 < minorHigh)
                BlendPixel(reinterpret_cast<QRgb*>(band.bits + (whole + 1) * band.stride) + major, color, far);
        }
    }
}

// Rows of an image below which one-pixel lines are drawn on one thread only: a
// helper thread would cost more than it saves.
constexpr int kSharedDrawingRows = 64;

// Draws the lines' segments in the band, line after line.
void DrawThinLines(const ThinLineBand& band, const std::vector<CGUIEXPolyline>& lines)
{
    for (const CGUIEXPolyline& line : lines) {
        const QRgb rgb = ToColor(line.color).rgba();
        for (int i = 1; i < line.count; ++i)
            DrawThinLine(band, line.points[i - 1].x(), line.points[i - 1].y(), line.points[i].x(), line.points[i].y(),
                         rgb);
    }
}

void BeginSmooth(QPainter* painter, const QTransform& page)
{
    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->translate(0.5, 0.5);
    painter->setTransform(page, true);
}

int64_t FloorDiv(int64_t a, int64_t b)  // b > 0
{
    const int64_t q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}

// A one-pixel line from (x1, y1) towards (x2, y2), leaving out the end point. One
// pixel per step along the major axis; the minor coordinate is the exact line's value
// rounded to nearest, ties towards +infinity, so a line and its reverse cover the same
// pixels apart from their ends. Only the steps inside the image are visited.
void RasterLine(QImage* image, int x1, int y1, int x2, int y2, QRgb rgb, bool dotted)
{
    const int64_t dx = int64_t(x2) - x1;
    const int64_t dy = int64_t(y2) - y1;
    const bool xMajor = std::llabs(dx) >= std::llabs(dy);
    const int64_t steps = xMajor ? std::llabs(dx) : std::llabs(dy);
    if (steps == 0)
        return;
    const int64_t major0 = xMajor ? x1 : y1;
    const int64_t minor0 = xMajor ? y1 : x1;
    const int64_t majorDir = (xMajor ? dx : dy) > 0 ? 1 : -1;
    const int64_t minorDelta = xMajor ? dy : dx;
    const int64_t majorLimit = xMajor ? image->width() : image->height();
    const int64_t minorLimit = xMajor ? image->height() : image->width();

    int64_t kFirst = 0;
    int64_t kEnd = steps;
    if (majorDir > 0) {
        kFirst = std::max<int64_t>(kFirst, -major0);
        kEnd = std::min<int64_t>(kEnd, majorLimit - major0);
    } else {
        kFirst = std::max<int64_t>(kFirst, major0 - (majorLimit - 1));
        kEnd = std::min<int64_t>(kEnd, major0 + 1);
    }
    const bool exact = steps <= (int64_t(1) << 30);  // 2 * k * minorDelta fits in 64 bits
    for (int64_t k = kFirst; k < kEnd; ++k) {
        if (dotted && k % (kDotOn + kDotOff) >= kDotOn)
            continue;
        const int64_t minor = exact
            ? minor0 + FloorDiv(2 * k * minorDelta + steps, 2 * steps)
            : minor0 + static_cast<int64_t>(std::floor(static_cast<long double>(k) * minorDelta / steps + 0.5L));
        if (minor < 0 || minor >= minorLimit)
            continue;
        const int64_t major = major0 + majorDir * k;
        const int x = static_cast<int>(xMajor ? major : minor);
        const int y = static_cast<int>(xMajor ? minor : major);
        reinterpret_cast<QRgb*>(image->scanLine(y))[x] = rgb;
    }
}

// Lays the text out in lines from (0, 0), wrapping at wrapWidth when it is above 0 (a
// word longer than the width is broken between characters). Line breaks in the text
// always break. Lines are one line spacing apart (leading included). Returns the
// block's height.
qreal LayOutText(QTextLayout* layout, qreal wrapWidth)
{
    QTextOption option;
    option.setUseDesignMetrics(true);
    option.setWrapMode(wrapWidth > 0 ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::NoWrap);
    layout->setTextOption(option);
    layout->setCacheEnabled(true);
    layout->beginLayout();
    qreal y = 0;
    for (;;) {
        QTextLine line = layout->createLine();
        if (!line.isValid())
            break;
        line.setLeadingIncluded(true);
        line.setLineWidth(wrapWidth > 0 ? wrapWidth : kUnboundedLineWidth);
        line.setPosition(QPointF(0, y));
        y += line.height();
    }
    layout->endLayout();
    return y;
}

// CR LF, CR and LF each end a line.
QString WithLineSeparators(QString text)
{
    text.replace(QLatin1String("\r\n"), QString(QChar::LineSeparator));
    text.replace(QLatin1Char('\r'), QChar::LineSeparator);
    text.replace(QLatin1Char('\n'), QChar::LineSeparator);
    return text;
}

}  // namespace

CGUIEXDC::CGUIEXDC(const QPaintDevice* reference, int width, int height)
    : m_nWidth(width), m_nHeight(height), m_brush(Qt::black),
      m_font(MakeSurfaceFont(QStringLiteral("黑体"), 10, 0))
{
    if (width <= 0 || height <= 0)
        return;
    m_image = QImage(width, height, QImage::Format_ARGB32_Premultiplied);
    if (!m_image.isNull())
        SetResolution(&m_image, reference);
}

CGUIEXDC::CGUIEXDC(const QPaintDevice* reference, unsigned resourceId, const char* resourceType)
    : m_brush(Qt::black), m_font(MakeSurfaceFont(QStringLiteral("黑体"), 10, 0))
{
    QImage* raw = nullptr;
    if (!LoadImageResource(resourceId, resourceType, &raw) || !raw)
        return;
    const std::unique_ptr<QImage> loaded(raw);
    m_nWidth = loaded->width();
    m_nHeight = loaded->height();
    if (m_nWidth <= 0 || m_nHeight <= 0)
        return;
    // Drawing the image onto a fresh transparent surface at its own size is a
    // conversion of its pixels; the image's own resolution and pixel ratio are dropped.
    m_image = loaded->convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (m_image.isNull())
        return;
    m_image.setDevicePixelRatio(1.0);
    SetResolution(&m_image, reference);
}

CGUIEXDC::~CGUIEXDC() = default;

QImage* CGUIEXDC::GetMemDC()
{
    return m_image.isNull() ? nullptr : &m_image;
}

const QImage* CGUIEXDC::GetMemDC() const
{
    return m_image.isNull() ? nullptr : &m_image;
}

void CGUIEXDC::SetBrushColor(COLORREF color)
{
    m_brush = ToColor(color);
}

void CGUIEXDC::SetFont(const QString& family, int size, int style)
{
    // A size that makes no font leaves the surface without one: text draws nothing.
    m_bHasFont = size > 0;
    if (m_bHasFont)
        m_font = MakeSurfaceFont(family, size, style);
}

void CGUIEXDC::SetPageUnit(int enabled, int unit)
{
    m_nPageUnitSwitch = enabled;
    m_nPageUnit = unit;
}

void CGUIEXDC::CopyToDC(QPaintDevice* target) const
{
    if (m_image.isNull() || !target || target == &m_image)
        return;
    QPainter painter(target);
    if (!painter.isActive())
        return;
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    const QRectF area(0, 0, m_nWidth, m_nHeight);
    painter.drawImage(area, m_image, area);
}

void CGUIEXDC::CopyFromDC(const QImage* source)
{
    // Only the part of width × height that the source has is copied; the rest of
    // this surface keeps its pixels.
    if (m_image.isNull() || !source || source->isNull() || source == &m_image)
        return;
    const int width = std::min(m_nWidth, source->width());
    const int height = std::min(m_nHeight, source->height());
    if (width <= 0 || height <= 0)
        return;
    QPainter painter(&m_image);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    const QRectF area(0, 0, width, height);
    painter.drawImage(area, *source, area);
}

void CGUIEXDC::FillSolid(COLORREF color)
{
    if (!m_image.isNull())
        m_image.fill(ToColor(color));
}

void CGUIEXDC::FillSolidRect(const RECT* rect, COLORREF color)
{
    if (m_image.isNull() || !rect || rect->right <= rect->left || rect->bottom <= rect->top)
        return;
    QPainter painter(&m_image);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(QRect(QPoint(rect->left, rect->top), QPoint(rect->right - 1, rect->bottom - 1)),
                     ToColor(color));
}

void CGUIEXDC::DrawLine(int x1, int y1, int x2, int y2, COLORREF color, int width, int penStyle)
{
    if (m_image.isNull())
        return;
    if (width <= 1) {
        RasterLine(&m_image, x1, y1, x2, y2, ToColor(color).rgba(), penStyle == PS_DOT);
        return;
    }
    // A wide pen is a solid geometric pen whatever the style, centred on the pixel
    // line, with round ends.
    QPainter painter(&m_image);
    painter.translate(0.5, 0.5);
    painter.setPen(QPen(ToColor(color), width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawLine(QPoint(x1, y1), QPoint(x2, y2));
}

void CGUIEXDC::DrawFrameRect(const RECT* rect, COLORREF color, int width)
{
    if (m_image.isNull() || !rect || rect->right <= rect->left || rect->bottom <= rect->top)
        return;
    // The pen runs through the outermost pixels of [left, right) × [top, bottom); a
    // wider pen grows around them, one pixel more outwards than inwards when even.
    const int pen = std::max(width, 1);
    const int out = pen / 2;
    const int in = pen - 1 - out;
    const QRect outer(QPoint(rect->left - out, rect->top - out),
                      QPoint(rect->right - 1 + out, rect->bottom - 1 + out));
    const QRect hole(QPoint(rect->left + in + 1, rect->top + in + 1),
                     QPoint(rect->right - 2 - in, rect->bottom - 2 - in));
    QRegion frame(outer);
    if (hole.isValid())
        frame = frame.subtracted(QRegion(hole));
    QPainter painter(&m_image);
    const QColor fill = ToColor(color);
    for (const QRect& part : frame)
        painter.fillRect(part, fill);
}

void CGUIEXDC::DrawSmoothLine(int x1, int y1, int x2, int y2, COLORREF color, int width)
{
    const QPoint points[2] = {QPoint(x1, y1), QPoint(x2, y2)};
    DrawSmoothPolyline(points, 2, color, width);
}

void CGUIEXDC::DrawSmoothPolyline(const QPoint* points, int count, COLORREF color, int width)
{
    if (points && count >= 2)
        DrawSmoothPolylines({CGUIEXPolyline{points, count, color}}, width);
}

void CGUIEXDC::DrawSmoothPolylines(const std::vector<CGUIEXPolyline>& lines, int width)
{
    if (m_image.isNull())
        return;
    const QTransform page = PageTransform(m_image, m_nPageUnitSwitch, m_nPageUnit);
    if (width == 1 && page.isIdentity() && m_image.format() == QImage::Format_ARGB32_Premultiplied) {
        const int height = m_image.height();
        ThinLineBand lower{m_image.bits(), m_image.bytesPerLine(), m_image.width(), 0, height};
        if (height < kSharedDrawingRows || std::thread::hardware_concurrency() < 2) {
            DrawThinLines(lower, lines);
            return;
        }
        // Every pixel lies in one of two row bands; each band is drawn in line order,
        // so the picture is the same as from one thread.
        ThinLineBand upper = lower;
        upper.bottom = lower.top = height / 2;
        std::thread helper(DrawThinLines, std::cref(upper), std::cref(lines));
        DrawThinLines(lower, lines);
        helper.join();
        return;
    }
    QPainter painter(&m_image);
    BeginSmooth(&painter, page);
    for (const CGUIEXPolyline& line : lines) {
        if (!line.points || line.count < 2)
            continue;
        // Flat ends; bevelled joins come closest to consecutive flat-ended segments
        // without the notch those leave at each corner.
        painter.setPen(QPen(ToColor(line.color), std::max(width, 0), Qt::SolidLine, Qt::FlatCap, Qt::BevelJoin));
        painter.drawPolyline(line.points, line.count);
    }
}

void CGUIEXDC::DrawEllipse(int x, int y, int w, int h, COLORREF color)
{
    if (m_image.isNull())
        return;
    QPainter painter(&m_image);
    BeginSmooth(&painter, PageTransform(m_image, m_nPageUnitSwitch, m_nPageUnit));
    painter.setPen(QPen(ToColor(color), 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(QRectF(x, y, w, h));
}

void CGUIEXDC::FillEllipse(int x, int y, int w, int h, COLORREF color)
{
    if (m_image.isNull())
        return;
    QPainter painter(&m_image);
    BeginSmooth(&painter, PageTransform(m_image, m_nPageUnitSwitch, m_nPageUnit));
    painter.setPen(Qt::NoPen);
    painter.setBrush(ToColor(color));
    painter.drawEllipse(QRectF(x, y, w, h));
}

void CGUIEXDC::FillAlphaRect(const RECT* rect, COLORREF color, uint8_t alpha)
{
    if (m_image.isNull() || !rect)
        return;
    const int width = rect->right - rect->left - 1;
    const int height = rect->bottom - rect->top - 1;
    if (width <= 0 || height <= 0)
        return;
    QPainter painter(&m_image);
    painter.setTransform(PageTransform(m_image, m_nPageUnitSwitch, m_nPageUnit));
    painter.fillRect(QRect(rect->left, rect->top, width, height), ToColor(color, alpha));
}

void CGUIEXDC::FillGradientH(const RECT* rect, COLORREF left, COLORREF right, uint8_t alpha)
{
    FillGradient(rect, left, right, alpha, true);
}

void CGUIEXDC::FillGradientV(const RECT* rect, COLORREF top, COLORREF bottom, uint8_t alpha)
{
    FillGradient(rect, top, bottom, alpha, false);
}

void CGUIEXDC::FillGradient(const RECT* rect, COLORREF first, COLORREF last, uint8_t alpha, bool horizontal)
{
    if (m_image.isNull() || !rect)
        return;
    const int width = rect->right - rect->left;
    const int height = rect->bottom - rect->top;
    if (width <= 0 || height <= 0)
        return;
    // Horizontally the brush spans one pixel more on each side than the fill (left − 1,
    // width + 2) so that the tiled gradient does not wrap back to the first colour at
    // the edges. Vertically it runs from the top row to the bottom row and stops
    // there: the top row is the first colour, the bottom row the last. Worked out in
    // device pixels: the gradient is sampled where integer coordinates lie (pixel
    // centres), the fill keeps its integer pixel rectangle.
    const QTransform page = PageTransform(m_image, m_nPageUnitSwitch, m_nPageUnit);
    const QPointF centre(0.5, 0.5);
    const QPointF start = horizontal ? page.map(QPointF(rect->left - 1, rect->top)) + centre
                                     : page.map(QPointF(rect->left, rect->top)) + centre;
    const QPointF stop = horizontal ? page.map(QPointF(rect->left - 1 + width + 2, rect->top)) + centre
                                    : page.map(QPointF(rect->left, rect->bottom - 1)) + centre;
    QLinearGradient gradient(start, stop);
    gradient.setSpread(horizontal ? QGradient::RepeatSpread : QGradient::PadSpread);
    gradient.setColorAt(0.0, ToColor(first, alpha));
    gradient.setColorAt(1.0, ToColor(last, alpha));
    QPainter painter(&m_image);
    painter.fillRect(page.mapRect(QRectF(rect->left, rect->top, width, height)), QBrush(gradient));
}

void CGUIEXDC::DrawTextInRect(const QString& text, const RECT* box, unsigned align, int noWrap)
{
    if (m_image.isNull() || !m_bHasFont || text.isEmpty() || !box)
        return;
    const QTransform page = PageTransform(m_image, m_nPageUnitSwitch, m_nPageUnit);
    const QRectF area = page.mapRect(QRectF(box->left, box->top, box->right - box->left, box->bottom - box->top));

    QTextLayout layout(WithLineSeparators(text), m_font, &m_image);
    const qreal blockHeight = LayOutText(&layout, noWrap ? 0.0 : area.width());
    qreal top = area.top() + (area.height() - blockHeight) / 2;
    if (align & 4)
        top = area.top();
    else if (align & 8)
        top = area.bottom() - blockHeight;
    for (int i = 0; i < layout.lineCount(); ++i) {
        QTextLine line = layout.lineAt(i);
        // Trailing spaces do not count towards a line's width.
        const qreal lineWidth = line.naturalTextWidth();
        qreal left = area.left() + (area.width() - lineWidth) / 2;
        if (align & 1)
            left = area.left();
        else if (align & 2)
            left = area.right() - lineWidth;
        line.setPosition(QPointF(left, top + line.position().y()));
    }

    QPainter painter(&m_image);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setPen(m_brush);
    layout.draw(&painter, QPointF(0, 0));
}

void CGUIEXDC::DrawRotatedText(const QString& text, float x, float y, float angle)
{
    if (m_image.isNull() || !m_bHasFont || text.isEmpty())
        return;
    if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(angle))
        return;
    const QPointF origin = PageTransform(m_image, m_nPageUnitSwitch, m_nPageUnit).map(QPointF(x, y));

    QTextLayout layout(WithLineSeparators(text), m_font, &m_image);
    LayOutText(&layout, 0.0);

    QPainter painter(&m_image);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.translate(origin);
    painter.rotate(angle);  // y points down, so positive angles turn clockwise
    painter.setPen(m_brush);
    layout.draw(&painter, QPointF(0, 0));
}

void CGUIEXDC::GetDesktopDpi(int* x, int* y)
{
    qreal dpiX = kDefaultDpi;
    qreal dpiY = kDefaultDpi;
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            dpiX = screen->logicalDotsPerInchX();
            dpiY = screen->logicalDotsPerInchY();
        }
    }
    if (x)
        *x = static_cast<int>(dpiX + 0.5);
    if (y)
        *y = static_cast<int>(dpiY + 0.5);
}

}  // namespace COM_GUI_EX
