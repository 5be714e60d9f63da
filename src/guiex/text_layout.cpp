#include "guiex/text_layout.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QTextLayout>

#include <algorithm>
#include <map>
#include <mutex>

namespace COM_GUI_EX {
namespace {

// Line width given to unwrapped text lines; wide enough never to matter.
constexpr qreal kUnboundedLineWidth = 1.0e6;

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

// Lays the text out in lines from (0, 0), wrapping at wrapWidth when it is above 0.
// Returns the block's height.
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

}  // namespace

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

QString WithLineSeparators(QString text)
{
    text.replace(QLatin1String("\r\n"), QString(QChar::LineSeparator));
    text.replace(QLatin1Char('\r'), QChar::LineSeparator);
    text.replace(QLatin1Char('\n'), QChar::LineSeparator);
    return text;
}

void LayOutLines(QTextLayout* layout)
{
    LayOutText(layout, 0.0);
}

void LayOutInBox(QTextLayout* layout, const QRectF& area, unsigned align, bool noWrap)
{
    const qreal blockHeight = LayOutText(layout, noWrap ? 0.0 : area.width());
    qreal top = area.top() + (area.height() - blockHeight) / 2;
    if (align & 4)
        top = area.top();
    else if (align & 8)
        top = area.bottom() - blockHeight;
    for (int i = 0; i < layout->lineCount(); ++i) {
        QTextLine line = layout->lineAt(i);
        const qreal lineWidth = line.naturalTextWidth();
        qreal left = area.left() + (area.width() - lineWidth) / 2;
        if (align & 1)
            left = area.left();
        else if (align & 2)
            left = area.right() - lineWidth;
        line.setPosition(QPointF(left, top + line.position().y()));
    }
}

bool ElideBelowBox(QTextLayout* layout, const QRectF& area, unsigned align, const QPaintDevice* device)
{
    int kept = 0;
    for (qreal height = 0; kept < layout->lineCount(); ++kept) {
        height += layout->lineAt(kept).height();
        if (height > area.height() && kept > 0)
            break;
    }
    if (kept == layout->lineCount())
        return false;
    // The last line kept takes the rest of the text, on one line, cut at the width.
    const QString text = layout->text();
    const int start = layout->lineAt(kept - 1).textStart();
    QString rest = text.mid(start);
    rest.replace(QChar::LineSeparator, QLatin1Char(' '));
    // A pixel to spare: the metrics measure with the device's rounding, the layout
    // with the font's design widths.
    const QString last =
        QFontMetricsF(layout->font(), device).elidedText(rest, Qt::ElideRight, std::max<qreal>(area.width() - 1, 0));
    layout->setText(text.left(start) + last);
    LayOutInBox(layout, area, align, false);
    return true;
}

}  // namespace COM_GUI_EX
