#pragma once

// Lines rasterised straight into the pixels of a premultiplied 32-bit image, for the
// drawing surface: the one-pixel pen of the platform's line primitive, and the
// anti-aliased curves of a page or a printed sheet, which are many times faster drawn
// this way than stroked as polygons, with the same pixels covered.
// End points may be anywhere in int; only the pixels inside the image are visited.
#include <QImage>
#include <QPoint>

namespace COM_GUI_EX {

// A one-pixel line from (x1, y1) towards (x2, y2), leaving out the end point. One
// pixel per step along the major axis; the minor coordinate is the exact line's value
// rounded to nearest, ties towards +infinity, so a line and its reverse cover the same
// pixels apart from their ends. Dotted: 3 pixels drawn, 3 left alone, counted along
// the major axis from the start point.
void RasterLine(QImage* image, int x1, int y1, int x2, int y2, QRgb rgb, bool dotted);

// An anti-aliased one-pixel polyline through count points, integer coordinates being
// pixel centres, each segment blended over the ones before it (Wu's method: two
// pixels across the line at each step along it, shared by their distance from it;
// the end pixels of a segment get half).
void DrawThinPolyline(QImage* image, const QPoint* points, int count, QRgb color);

// An anti-aliased polyline of the given width (2 or more) through count points,
// integer coordinates being pixel centres, with flat ends: at each step along a
// segment the pixels across it are covered by their share of the pen's span there.
// Each segment is blended over the ones before it and leaves its end point to the
// next; it costs what the pixels it covers cost, however the segments cross.
void DrawWidePolyline(QImage* image, const QPoint* points, int count, QRgb color, int width);

}  // namespace COM_GUI_EX
