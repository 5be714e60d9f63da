#include "guiex/image_resources.h"

#include <QByteArray>
#include <QFile>
#include <QFontDatabase>
#include <QString>

#include <algorithm>
#include <cstring>

namespace COM_GUI_EX {

const char* const RT_PNG = "PNG";
const char* const RT_BITMAP = reinterpret_cast<const char*>(uintptr_t{2});

namespace {

// A type whose pointer value fits in 16 bits is a resource type number, not text.
bool IsTypeNumber(const char* type)
{
    return (reinterpret_cast<uintptr_t>(type) >> 16) == 0;
}

// The path of the image in the compiled resources, empty for a type that holds no images.
QString ResourcePath(unsigned id, const char* type)
{
    if (type == RT_BITMAP)
        return QStringLiteral(":/bmp/%1.bmp").arg(id);
    if (IsTypeNumber(type))
        return QString();
    // Type names are matched regardless of case, as resource type names are.
    if (QString::fromLatin1(type).compare(QLatin1String(RT_PNG), Qt::CaseInsensitive) == 0)
        return QStringLiteral(":/png/%1.png").arg(id);
    return QString();
}

// The generic sans-serif family: the platform's general font, or the name that every
// font configuration resolves to a sans-serif face.
QString GenericSansSerifFamily()
{
    const QString system = QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
    return system.isEmpty() ? QStringLiteral("Sans Serif") : system;
}

bool IsInstalledFamily(const QString& family)
{
    if (family.isEmpty())
        return false;
    return QFontDatabase::families().contains(family, Qt::CaseInsensitive);
}

}  // namespace

bool LoadImageResource(unsigned id, const char* type, QImage** out)
{
    const QString path = ResourcePath(id, type);
    if (path.isEmpty())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    // fromData decodes the whole image, so it does not depend on the bytes afterwards;
    // bytes that do not decode give a null image, which reads as 0 × 0.
    QImage* image = new QImage(QImage::fromData(bytes));
    if (out)
        *out = image;
    else
        delete image;
    return true;
}

void MakeFont(QFont* target, const QString& face, int size, bool bold, bool italic, bool underline)
{
    if (!target)
        return;
    QString family = face;
    QFont font;
    if (!IsInstalledFamily(family)) {
        family = GenericSansSerifFamily();
        font.setStyleHint(QFont::SansSerif);
    }
    font.setFamily(family);
    // A size below one point has no font; the smallest one stands in for it.
    font.setPointSize(std::max(1, size));
    font.setBold(bold);
    font.setItalic(italic);
    font.setUnderline(underline);
    *target = font;
}

}  // namespace COM_GUI_EX
