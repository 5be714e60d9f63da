#include "guiex/line_raster.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <utility>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace COM_GUI_EX {
namespace {

// Dotted lines: this many pixels drawn, then this many left alone.
constexpr int64_t kDotOn = 3;
constexpr int64_t kDotOff = 3;

int64_t FloorDiv(int64_t a, int64_t b)  // b > 0
{
    const int64_t q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}

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

// The pixels of the image being drawn into.
struct PixelRows {
    uchar* bits;
    qsizetype stride;
    int width;
    int height;
};

// One segment of DrawThinPolyline.
void DrawThinLine(const PixelRows& image, int x0, int y0, int x1, int y1, QRgb color)
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
    const int majorHigh = steep ? image.height : image.width;
    const int minorHigh = steep ? image.width : image.height;
    const int64_t dx = int64_t(x1) - x0;
    // The minor coordinate in 16.16 fixed point, stepped once per major step.
    const int64_t gradient = dx == 0 ? 0 : (int64_t(y1) - y0) * 65536 / dx;
    const int first = std::max(x0, 0);
    const int last = std::min(x1, majorHigh - 1);
    int64_t minor = int64_t(y0) * 65536 + gradient * (int64_t(first) - x0);
    for (int major = first; major <= last; ++major, minor += gradient) {
        const int64_t whole = minor >> 16;
        const uint32_t below = static_cast<uint32_t>((minor & 0xFFFF) >> 8);  // 0..255 of 256
        if (steep && major != x0 && major != x1 && whole >= 0 && whole + 1 < image.width) {
            // The usual step of a steep line: both pixels inside, full coverage shared.
            BlendPair(reinterpret_cast<QRgb*>(image.bits + major * image.stride) + whole, color, 256 - below, below);
            continue;
        }
        const uint32_t share = major == x0 || major == x1 ? 128 : 256;  // half at the ends
        const uint32_t near = (256 - below) * share >> 8;
        const uint32_t far = below * share >> 8;
        if (steep) {
            QRgb* row = reinterpret_cast<QRgb*>(image.bits + major * image.stride);
            if (whole >= 0 && whole < minorHigh)
                BlendPixel(row + whole, color, near);
            if (far != 0 && whole + 1 >= 0 && whole + 1 < minorHigh)
                BlendPixel(row + whole + 1, color, far);
        } else {
            if (whole >= 0 && whole < minorHigh)
                BlendPixel(reinterpret_cast<QRgb*>(image.bits + whole * image.stride) + major, color, near);
            if (far != 0 && whole + 1 >= 0 && whole + 1 < minorHigh)
                BlendPixel(reinterpret_cast<QRgb*>(image.bits + (whole + 1) * image.stride) + major, color, far);
        }
    }
}

// Coverage (0 to 256) of the pixel centred on k by the pen's span [low, high] across
// the line: the share of the pixel's width [k - 0.5, k + 0.5] inside the span.
uint32_t SpanCoverage(double low, double high, int64_t k)
{
    const double inside = std::min(high, k + 0.5) - std::max(low, k - 0.5);
    return inside <= 0 ? 0 : static_cast<uint32_t>(std::min(inside, 1.0) * 256.0 + 0.5);
}

// One segment of DrawWidePolyline, its pixels along the major axis from the start
// point up to the end point, the end point itself only when last; first and last
// ends get half their coverage.
void DrawWideLine(const PixelRows& image, QPoint from, QPoint to, QRgb color, double width, bool first, bool last)
{
    const int64_t dx = int64_t(to.x()) - from.x();
    const int64_t dy = int64_t(to.y()) - from.y();
    const bool steep = std::llabs(dy) > std::llabs(dx);
    const int64_t major0 = steep ? from.y() : from.x();
    const int64_t minor0 = steep ? from.x() : from.y();
    const int64_t steps = steep ? std::llabs(dy) : std::llabs(dx);
    if (steps == 0)
        return;
    const int64_t direction = (steep ? dy : dx) > 0 ? 1 : -1;
    const double gradient = static_cast<double>(steep ? dx : dy) / static_cast<double>(steps);
    // The pen's width measured across the line, spread along the minor axis.
    const double half = width / 2.0 * std::sqrt(1.0 + gradient * gradient);
    const int64_t majorHigh = steep ? image.height : image.width;
    const int64_t minorHigh = steep ? image.width : image.height;
    // Steps k of the segment whose major coordinate lies on the image.
    const int64_t onFirst = direction > 0 ? -major0 : major0 - (majorHigh - 1);
    const int64_t onEnd = direction > 0 ? majorHigh - major0 : major0 + 1;
    const int64_t kFirst = std::max<int64_t>(0, onFirst);
    const int64_t kEnd = std::min<int64_t>(last ? steps + 1 : steps, onEnd);
    for (int64_t k = kFirst; k < kEnd; ++k) {
        const int64_t major = major0 + direction * k;
        const double centre = static_cast<double>(minor0) + gradient * static_cast<double>(k);
        const double low = centre - half;
        const double high = centre + half;
        const uint32_t share = (k == 0 && first) || k == steps ? 128 : 256;  // half at the ends
        const int64_t lowest = std::max<int64_t>(0, static_cast<int64_t>(std::floor(low + 0.5)));
        const int64_t highest = std::min<int64_t>(minorHigh - 1, static_cast<int64_t>(std::floor(high + 0.5)));
        for (int64_t minor = lowest; minor <= highest; ++minor) {
            const uint32_t coverage = SpanCoverage(low, high, minor) * share >> 8;
            if (coverage == 0)
                continue;
            const int64_t x = steep ? minor : major;
            const int64_t y = steep ? major : minor;
            QRgb* pixel = reinterpret_cast<QRgb*>(image.bits + y * image.stride) + x;
            if (coverage >= 256)
                *pixel = color;
            else
                BlendPixel(pixel, color, coverage);
        }
    }
}

}  // namespace

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

void DrawThinPolyline(QImage* image, const QPoint* points, int count, QRgb color)
{
    const PixelRows rows{image->bits(), image->bytesPerLine(), image->width(), image->height()};
    for (int i = 1; i < count; ++i)
        DrawThinLine(rows, points[i - 1].x(), points[i - 1].y(), points[i].x(), points[i].y(), color);
}

void DrawWidePolyline(QImage* image, const QPoint* points, int count, QRgb color, int width)
{
    const PixelRows rows{image->bits(), image->bytesPerLine(), image->width(), image->height()};
    for (int i = 1; i < count; ++i)
        DrawWideLine(rows, points[i - 1], points[i], color, width, i == 1, i == count - 1);
}

}  // namespace COM_GUI_EX
