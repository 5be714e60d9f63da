#include "guiex/guiex_dc.h"

#include "guiex/image_resources.h"
#include "guiex/line_raster.h"
#include "guiex/parameters_base.h"
#include "guiex/text_layout.h"

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
#include <memory>

namespace COM_GUI_EX {
namespace {

constexpr int kDefaultDpi = 96;
constexpr double kMetresPerInch = 0.0254;

QColor ToColor(COLORREF color, int alpha = 255)
{
    return QColor(GetRValue(color), GetGValue(color), GetBValue(color), alpha);
}

// A window's surfaces take the resolution of the display scaling, so that text in points
// grows and shrinks with the scaled layout, also where the scaling was lowered to fit the
// screen; any other device (a printer, an image of one) keeps its own resolution.
void SetResolution(QImage* image, const QPaintDevice* reference)
{
    const bool window = reference && reference->devType() == QInternal::Widget;
    const int scaled = kDefaultDpi * CParametersBase::GetInstance()->GetPercentage() / 100;
    int dpiX = window ? scaled : reference ? reference->logicalDpiX() : kDefaultDpi;
    int dpiY = window ? scaled : reference ? reference->logicalDpiY() : kDefaultDpi;
    if (dpiX <= 0)
        dpiX = kDefaultDpi;
    if (dpiY <= 0)
        dpiY = kDefaultDpi;
    image->setDotsPerMeterX(qRound(dpiX / kMetresPerInch));
    image->setDotsPerMeterY(qRound(dpiY / kMetresPerInch));
}

// A new surface's font: 黑体 at 10 points, regular.
QFont InitialFont()
{
    return MakeSurfaceFont(QStringLiteral("黑体"), 10, 0);
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
void BeginSmooth(QPainter* painter, const QTransform& page)
{
    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->translate(0.5, 0.5);
    painter->setTransform(page, true);
}

}  // namespace

CGUIEXDC::CGUIEXDC(const QPaintDevice* reference, int width, int height)
    : m_nWidth(width), m_nHeight(height), m_brush(Qt::black), m_font(InitialFont())
{
    if (width <= 0 || height <= 0)
        return;
    m_image = QImage(width, height, QImage::Format_ARGB32_Premultiplied);
    if (!m_image.isNull())
        SetResolution(&m_image, reference);
}

CGUIEXDC::CGUIEXDC(const QPaintDevice* reference, unsigned resourceId, const char* resourceType)
    : m_brush(Qt::black), m_font(InitialFont())
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
    // Curves in pixel units, as the worker draws a page's and a print its sheet's, go
    // straight into the pixels; a scaled pen is stroked by the painter. The painter's
    // fill of a noisy curve's outline, which crosses every row many times, takes
    // seconds where the pixels it covers take milliseconds.
    if (width >= 1 && page.isIdentity() && m_image.format() == QImage::Format_ARGB32_Premultiplied) {
        for (const CGUIEXPolyline& line : lines) {
            if (!line.points)
                continue;
            if (width == 1)
                DrawThinPolyline(&m_image, line.points, line.count, ToColor(line.color).rgba());
            else
                DrawWidePolyline(&m_image, line.points, line.count, ToColor(line.color).rgba(), width);
        }
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
    LayOutInBox(&layout, area, align, noWrap != 0 && noWrap != kElideBelow);
    if (noWrap == kElideBelow)
        ElideBelowBox(&layout, area, align, &m_image);

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
    LayOutLines(&layout);

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
