// gen-images: draws every image resource of the program and the resource list that
// compiles them in.
//
//   gen-images [output-directory]      (default: resources)
//
// Writes png/<id>.png, bmp/<id>.bmp, icon/100.png, the desktop icons
// icons/hicolor/<n>x<n>/apps/trandor.png, the scalable icons/hicolor/scalable/apps/trandor.svg
// and trandor.qrc under the output directory.
// The drawing uses fixed sizes, colours and pixel font sizes only, so the same
// machine always writes the same files.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>
#include <QLineF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QString>
#include <QStringList>
#include <QTextStream>

#include <cstdio>
#include <vector>

namespace {

// 96 dots per inch, written into every file so the output does not follow the screen.
constexpr int kDotsPerMeter = 3780;

constexpr int kButtonWidth = 180;
constexpr int kButtonHeight = 50;
constexpr int kWheelSize = 50;
constexpr int kWheelFrames = 8;
constexpr unsigned kFirstWheelId = 1701;
// Sizes of the desktop icons installed into the hicolor theme.
constexpr int kThemeIconSizes[] = {16, 24, 32, 48, 64, 128, 256};

// Each image button: its hover image, its normal image and the caption in both.
struct ButtonFace {
    unsigned hoverId;
    unsigned normalId;
    const char* caption;
};

constexpr ButtonFace kButtons[] = {
    {241, 242, "确定"},      // OK of the query and settings dialogs
    {292, 293, "数据导入"},  // open a data file
    {299, 300, "系统设置"},  // settings
    {303, 304, "缩小显示"},  // zoom out
    {305, 306, "放大显示"},  // zoom in
    {307, 308, "打印曲线"},  // print
    {309, 310, "打印设置"},  // printer set-up
    {311, 312, "条件查询"},  // time-range query
};

const QColor kTextBlue(0, 34, 85);  // text colour of the program's own texts

class Writer {
public:
    explicit Writer(const QString& root) : m_root(root) {}

    bool Save(QImage image, const QString& relative, const char* format)
    {
        image.setDotsPerMeterX(kDotsPerMeter);
        image.setDotsPerMeterY(kDotsPerMeter);
        const QString path = m_root.filePath(relative);
        if (!QDir().mkpath(QFileInfo(path).absolutePath()) || !image.save(path, format)) {
            std::fprintf(stderr, "gen-images: cannot write %s\n", qPrintable(path));
            m_ok = false;
            return false;
        }
        std::printf("%s  %d x %d\n", qPrintable(relative), image.width(), image.height());
        return true;
    }

    QString FilePath(const QString& relative) const { return m_root.filePath(relative); }
    bool Ok() const { return m_ok; }
    void Fail() { m_ok = false; }

private:
    QDir m_root;
    bool m_ok = true;
};

QImage NewImage(int width, int height, const QColor& fill)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(fill);
    return image;
}

// Background of the main window and the dialogs: a light-blue band at the top that
// fades to white, white below (the chart covers the middle of the main window).
QImage DrawBackground()
{
    QImage image = NewImage(1000, 600, Qt::white);
    QPainter painter(&image);
    QLinearGradient band(0, 0, 0, 110);
    band.setColorAt(0.0, QColor(190, 215, 246));
    band.setColorAt(0.45, QColor(222, 235, 251));
    band.setColorAt(1.0, Qt::white);
    painter.fillRect(0, 0, 1000, 110, band);
    painter.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

QFont CaptionFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("WenQuanYi Zen Hei"), QStringLiteral("黑体"),
                      QStringLiteral("SimHei")});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(24);
    return font;
}

// A rounded button face with transparent corners. The normal face is pale with dark
// text; the hover face is a saturated blue with white text, so the two never look alike.
QImage DrawButton(const QString& caption, bool hover)
{
    QImage image = NewImage(kButtonWidth, kButtonHeight, Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);

    const QRectF frame(1.5, 1.5, kButtonWidth - 3.0, kButtonHeight - 3.0);
    QLinearGradient fill(0, frame.top(), 0, frame.bottom());
    if (hover) {
        fill.setColorAt(0.0, QColor(111, 168, 232));
        fill.setColorAt(1.0, QColor(47, 109, 181));
    } else {
        fill.setColorAt(0.0, Qt::white);
        fill.setColorAt(1.0, QColor(220, 233, 248));
    }
    QPainterPath path;
    path.addRoundedRect(frame, 10, 10);
    painter.fillPath(path, fill);
    painter.setPen(QPen(hover ? QColor(36, 85, 143) : QColor(127, 159, 200), 2.0));
    painter.drawPath(path);

    painter.setFont(CaptionFont());
    painter.setPen(hover ? QColor(Qt::white) : kTextBlue);
    painter.drawText(QRect(0, 0, kButtonWidth, kButtonHeight), Qt::AlignCenter, caption);
    painter.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

// Frame `frame` of the waiting wheel: eight grey spokes on white; the dark spoke is at
// position `frame` (clockwise from the top), the two before it fade out behind it.
QImage DrawWheelFrame(int frame)
{
    QImage image = NewImage(kWheelSize, kWheelSize, Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(kWheelSize / 2.0, kWheelSize / 2.0);
    for (int spoke = 0; spoke < kWheelFrames; ++spoke) {
        const int behind = (frame - spoke + kWheelFrames) % kWheelFrames;
        QColor colour(205, 205, 205);
        if (behind == 0)
            colour = QColor(64, 64, 64);
        else if (behind == 1)
            colour = QColor(125, 125, 125);
        else if (behind == 2)
            colour = QColor(170, 170, 170);
        painter.save();
        painter.rotate(spoke * 360.0 / kWheelFrames);
        painter.setPen(QPen(colour, 5.0, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(0, -9), QPointF(0, -19));
        painter.restore();
    }
    painter.end();
    return image.convertToFormat(QImage::Format_RGB888);
}

// The window icon: a small chart with a grid and two curves on a rounded tile, on a
// 64-unit grid. The pictures and the scalable icon are drawn from the same shapes.
const QRectF kIconTile(2, 2, 60, 60);
constexpr double kIconTileRadius = 10;
const QColor kIconTileTop(255, 255, 255);
const QColor kIconTileBottom(214, 230, 250);
const QColor kIconTileEdge(47, 109, 181);
const QRectF kIconPlot(12, 12, 40, 38);
const QColor kIconGrid(200, 210, 225);
constexpr double kIconCurveWidth = 2.5;

struct IconCurve {
    QColor colour;
    QPointF points[6];
};

const IconCurve kIconCurves[] = {
    {QColor(0, 0, 255), {{13, 40}, {21, 28}, {29, 34}, {37, 20}, {45, 24}, {51, 15}}},
    {QColor(255, 0, 0), {{13, 46}, {21, 42}, {29, 45}, {37, 36}, {45, 40}, {51, 33}}},
};

// The grid's inner lines, three across and three down, as pairs of end points.
std::vector<QLineF> IconGridLines()
{
    std::vector<QLineF> lines;
    const QRectF& plot = kIconPlot;
    for (int i = 1; i < 4; ++i) {
        const double x = plot.left() + plot.width() * i / 4;
        const double y = plot.top() + plot.height() * i / 4;
        lines.emplace_back(x, plot.top(), x, plot.bottom());
        lines.emplace_back(plot.left(), y, plot.right(), y);
    }
    return lines;
}

// The icon as a picture of size x size pixels.
QImage DrawIcon(int size)
{
    QImage image = NewImage(size, size, Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 64.0, size / 64.0);

    QPainterPath tile;
    tile.addRoundedRect(kIconTile, kIconTileRadius, kIconTileRadius);
    QLinearGradient fill(0, kIconTile.top(), 0, kIconTile.bottom());
    fill.setColorAt(0.0, kIconTileTop);
    fill.setColorAt(1.0, kIconTileBottom);
    painter.fillPath(tile, fill);
    painter.setPen(QPen(kIconTileEdge, 2.0));
    painter.drawPath(tile);

    painter.setPen(QPen(kIconGrid, 1.0));
    for (const QLineF& line : IconGridLines())
        painter.drawLine(line);
    painter.setPen(QPen(kTextBlue, 2.0));
    painter.drawLine(kIconPlot.bottomLeft(), kIconPlot.topLeft());
    painter.drawLine(kIconPlot.bottomLeft(), kIconPlot.bottomRight());

    for (const IconCurve& curve : kIconCurves) {
        painter.setPen(QPen(curve.colour, kIconCurveWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawPolyline(curve.points, 6);
    }
    painter.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

// The same icon as SVG text, for the hicolor theme's scalable folder. The tile's
// gradient runs over the tile's own box, top to bottom, as in the pictures; Qt's pens
// have square caps unless asked otherwise, so the grid and the axes have them here too.
QString IconSvg()
{
    QString svg;
    QTextStream out(&svg);
    out << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"64\" height=\"64\" viewBox=\"0 0 64 64\">\n"
        << "  <defs>\n"
        << "    <linearGradient id=\"tile\" x1=\"0\" y1=\"0\" x2=\"0\" y2=\"1\">\n"
        << "      <stop offset=\"0\" stop-color=\"" << kIconTileTop.name() << "\"/>\n"
        << "      <stop offset=\"1\" stop-color=\"" << kIconTileBottom.name() << "\"/>\n"
        << "    </linearGradient>\n"
        << "  </defs>\n"
        << "  <rect x=\"" << kIconTile.x() << "\" y=\"" << kIconTile.y() << "\" width=\"" << kIconTile.width()
        << "\" height=\"" << kIconTile.height() << "\" rx=\"" << kIconTileRadius << "\" fill=\"url(#tile)\" stroke=\""
        << kIconTileEdge.name() << "\" stroke-width=\"2\"/>\n"
        << "  <path fill=\"none\" stroke=\"" << kIconGrid.name() << "\" stroke-width=\"1\" stroke-linecap=\"square\" d=\"";
    for (const QLineF& line : IconGridLines())
        out << 'M' << line.x1() << ' ' << line.y1() << 'L' << line.x2() << ' ' << line.y2();
    out << "\"/>\n"
        << "  <path fill=\"none\" stroke=\"" << kTextBlue.name() << "\" stroke-width=\"2\" stroke-linecap=\"square\" d=\"M"
        << kIconPlot.left() << ' ' << kIconPlot.top() << 'V' << kIconPlot.bottom() << 'H' << kIconPlot.right()
        << "\"/>\n";
    for (const IconCurve& curve : kIconCurves) {
        out << "  <polyline fill=\"none\" stroke=\"" << curve.colour.name() << "\" stroke-width=\"" << kIconCurveWidth
            << "\" stroke-linecap=\"round\" stroke-linejoin=\"round\" points=\"";
        for (const QPointF& point : curve.points)
            out << (&point == curve.points ? "" : " ") << point.x() << ',' << point.y();
        out << "\"/>\n";
    }
    out << "</svg>\n";
    return svg;
}

bool WriteText(Writer& writer, const QString& relative, const QString& text)
{
    const QString path = writer.FilePath(relative);
    QFile file(path);
    if (!QDir().mkpath(QFileInfo(path).absolutePath()) ||
        !file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text) ||
        file.write(text.toUtf8()) < 0) {
        std::fprintf(stderr, "gen-images: cannot write %s\n", qPrintable(path));
        writer.Fail();
        return false;
    }
    std::printf("%s\n", qPrintable(relative));
    return true;
}

// The resource list: one prefix per kind, each file under its id, so the program finds
// ":/png/<id>.png", ":/bmp/<id>.bmp" and ":/icon/100.png".
bool WriteResourceList(Writer& writer, const std::vector<unsigned>& pngIds,
                       const std::vector<unsigned>& bmpIds)
{
    const QString path = writer.FilePath(QStringLiteral("trandor.qrc"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        std::fprintf(stderr, "gen-images: cannot write %s\n", qPrintable(path));
        writer.Fail();
        return false;
    }
    QTextStream out(&file);
    out << "<!DOCTYPE RCC>\n<RCC version=\"1.0\">\n";
    auto section = [&out](const char* kind, const char* extension,
                          const std::vector<unsigned>& ids) {
        out << "  <qresource prefix=\"/" << kind << "\">\n";
        for (unsigned id : ids)
            out << "    <file alias=\"" << id << '.' << extension << "\">" << kind << '/' << id
                << '.' << extension << "</file>\n";
        out << "  </qresource>\n";
    };
    section("png", "png", pngIds);
    section("bmp", "bmp", bmpIds);
    section("icon", "png", {100});
    out << "</RCC>\n";
    std::printf("trandor.qrc\n");
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    // Nothing is shown: the offscreen platform gives fonts and painting without a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    const QStringList args = QCoreApplication::arguments();
    if (args.size() > 2 || (args.size() == 2 && args[1].startsWith(QLatin1Char('-')))) {
        std::fprintf(stderr, "usage: gen-images [output-directory]\n");
        return 2;
    }
    const QString root = args.size() == 2 ? args[1] : QStringLiteral("resources");
    if (!QFontDatabase::families().contains(QStringLiteral("WenQuanYi Zen Hei")))
        std::fprintf(stderr, "gen-images: warning: font \"WenQuanYi Zen Hei\" is not installed; "
                             "captions use another face\n");

    Writer writer(root);
    std::vector<unsigned> pngIds{200};
    writer.Save(DrawBackground(), QStringLiteral("png/200.png"), "PNG");
    for (const ButtonFace& button : kButtons) {
        const QString caption = QString::fromUtf8(button.caption);
        writer.Save(DrawButton(caption, true), QStringLiteral("png/%1.png").arg(button.hoverId),
                    "PNG");
        writer.Save(DrawButton(caption, false), QStringLiteral("png/%1.png").arg(button.normalId),
                    "PNG");
        pngIds.push_back(button.hoverId);
        pngIds.push_back(button.normalId);
    }
    std::vector<unsigned> bmpIds;
    for (int frame = 0; frame < kWheelFrames; ++frame) {
        const unsigned id = kFirstWheelId + static_cast<unsigned>(frame);
        writer.Save(DrawWheelFrame(frame), QStringLiteral("bmp/%1.bmp").arg(id), "BMP");
        bmpIds.push_back(id);
    }
    writer.Save(DrawIcon(64), QStringLiteral("icon/100.png"), "PNG");
    for (int size : kThemeIconSizes)
        writer.Save(DrawIcon(size), QStringLiteral("icons/hicolor/%1x%1/apps/trandor.png").arg(size), "PNG");
    WriteText(writer, QStringLiteral("icons/hicolor/scalable/apps/trandor.svg"), IconSvg());
    WriteResourceList(writer, pngIds, bmpIds);
    return writer.Ok() ? 0 : 1;
}
