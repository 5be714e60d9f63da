#pragma once

// How the drawing surface sets its text: the font it makes of a family, size and
// style, and the lines a text is laid out in inside a box or from an origin.
#include <QFont>
#include <QRectF>
#include <QString>

class QPaintDevice;
class QTextLayout;

namespace COM_GUI_EX {

// Font of the family at size points; a family that is not installed becomes the
// generic sans-serif family (fontconfig would otherwise substitute whatever it likes,
// e.g. a monospace face for a missing monospace family). Text is laid out unhinted
// and grey-scale anti-aliased, so advances are the font's design widths.
// style: 1 bold, 2 italic, 4 underline, 8 strikeout.
QFont MakeSurfaceFont(const QString& family, int size, int style);

// The text with CR LF, CR and LF each turned into a line separator: each ends a line.
QString WithLineSeparators(QString text);

// Lays the text out in lines from (0, 0), unwrapped. Line breaks in the text always
// break; lines are one line spacing apart (leading included).
void LayOutLines(QTextLayout* layout);

// Lays the text out inside area: wrapped at the area's width unless noWrap (a word
// longer than the width is broken between characters), each line placed by align
// (1 left, 2 right, else centred; 4 top, 8 bottom, else centred), trailing spaces not
// counting towards a line's width.
void LayOutInBox(QTextLayout* layout, const QRectF& area, unsigned align, bool noWrap);

// When the lines of a text laid out by LayOutInBox with wrapping are taller than the
// area, keeps the lines that fit (at least the first) and ends the last of them with
// "…", then lays the text out again: a long text does not run into what lies below
// its box. The widths are measured on the device. Returns whether the text was cut.
bool ElideBelowBox(QTextLayout* layout, const QRectF& area, unsigned align, const QPaintDevice* device);

}  // namespace COM_GUI_EX
