#include "guiex/guiex_startup.h"
#include "guiex/image_resources.h"
#include "guiex/message_box.h"
#include "guiex/strings.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPushButton>

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <memory>
#include <string>

using namespace COM_GUI_EX;

namespace {

// The printf conversions of a format, one letter each: 'd' an int, 'f' a double, 's'
// a text; '?' for anything else (a '*' width, an unknown conversion, a lone '%').
std::string Conversions(const std::string& format)
{
    std::string kinds;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%')
            continue;
        if (++i < format.size() && format[i] == '%')
            continue;
        while (i < format.size() && std::strchr("-+ #0123456789.hlLqjzt", format[i]))
            ++i;
        const char c = i < format.size() ? format[i] : '\0';
        kinds += c == 'd' || c == 'i' ? 'd' : c != '\0' && std::strchr("feEgG", c) ? 'f' : c == 's' ? 's' : '?';
    }
    return kinds;
}

}  // namespace

// Every text of the table (ids are 16-bit) decodes as UTF-8 and takes the arguments
// its callers pass: the default channel names an int (1002), the file line a text
// (1100), each read-out item a text and a value (1101), the columns left out an int
// (1120), the unwritable-file message and the settings dialog's refusals one or two Qt
// arguments (the field captions), as does the query dialog's (1530); every other text
// is shown as it is and has no conversion.
// The texts the windows and their tests are built on stay as they are.
TEST(LoadString, EveryTextDecodesAndTakesItsCallersArguments)
{
    const std::map<unsigned, std::string> formats = {{1002, "d"}, {1100, "s"}, {1101, "sf"}, {1120, "d"}};
    const std::map<unsigned, int> qtArguments = {{1210, 1}, {1211, 1}, {1212, 2}, {1530, 2}, {1603, 1}};
    int texts = 0;
    for (unsigned id = 0; id <= 0xFFFF; ++id) {
        const QString text = LoadString(id);
        if (text.isEmpty())
            continue;
        ++texts;
        EXPECT_FALSE(text.contains(QChar::ReplacementCharacter)) << "id " << id;
        const auto format = formats.find(id);
        const auto arguments = qtArguments.find(id);
        if (arguments != qtArguments.end()) {
            EXPECT_TRUE(text.contains("%1") && text.contains("%2") == (arguments->second == 2)) << "id " << id;
        } else {
            EXPECT_EQ(Conversions(text.toStdString()), format == formats.end() ? "" : format->second) << "id " << id;
        }
    }
    EXPECT_GE(texts, 30);
    EXPECT_EQ(LoadString(1000), "黑体");
    EXPECT_EQ(LoadString(1002), "通道%02d");
    EXPECT_EQ(LoadString(1050), "数据导出曲线显示软件 V1.7");
    EXPECT_EQ(LoadString(1101), "%s:%.2f");
}

TEST(LoadString, IdsOutsideTheTableAreEmpty)
{
    // Neighbours of held ids and the ends of the range.
    for (unsigned id : {0u, 1u, 999u, 1001u, 1003u, 1049u, 1051u, 1102u, 1199u, 1207u, 1253u,
                        1264u, 1272u, 1401u, 1404u, 1504u, 1512u, 1519u, 1522u, 65535u, ~0u})
        EXPECT_EQ(LoadString(id), "") << "id " << id;
}

namespace {

struct Loaded {
    bool found = false;
    std::unique_ptr<QImage> image;
};

Loaded Load(unsigned id, const char* type)
{
    QImage* out = nullptr;
    Loaded result;
    result.found = LoadImageResource(id, type, &out);
    result.image.reset(out);
    return result;
}

}  // namespace

TEST(LoadImageResource, ButtonImageHasAlpha)
{
    const Loaded png = Load(292, RT_PNG);
    ASSERT_TRUE(png.found);
    ASSERT_NE(png.image, nullptr);
    EXPECT_EQ(png.image->size(), QSize(180, 50));
    EXPECT_TRUE(png.image->hasAlphaChannel());
}

TEST(LoadImageResource, EveryImageLoadsAtItsSize)
{
    struct Case {
        unsigned id;
        bool bitmap;
        QSize size;
    };
    std::vector<Case> cases = {{200, false, QSize(1000, 600)}};
    for (unsigned id : {241u, 242u, 292u, 293u, 299u, 300u, 303u, 304u, 305u, 306u, 307u, 308u,
                        309u, 310u, 311u, 312u})
        cases.push_back({id, false, QSize(180, 50)});
    for (unsigned id = 1701; id <= 1708; ++id)
        cases.push_back({id, true, QSize(50, 50)});

    for (const Case& c : cases) {
        const Loaded loaded = Load(c.id, c.bitmap ? RT_BITMAP : RT_PNG);
        ASSERT_TRUE(loaded.found) << "id " << c.id;
        ASSERT_NE(loaded.image, nullptr) << "id " << c.id;
        EXPECT_EQ(loaded.image->size(), c.size) << "id " << c.id;
        if (c.bitmap) {
            EXPECT_FALSE(loaded.image->hasAlphaChannel()) << "id " << c.id;
        }
    }
}

TEST(LoadImageResource, HoverAndNormalButtonImagesDiffer)
{
    for (unsigned hover : {241u, 292u, 299u, 303u, 305u, 307u, 309u, 311u}) {
        const Loaded a = Load(hover, RT_PNG);
        const Loaded b = Load(hover + 1, RT_PNG);
        ASSERT_TRUE(a.found && b.found) << "hover id " << hover;
        EXPECT_NE(*a.image, *b.image) << "hover id " << hover;
    }
}

TEST(LoadImageResource, WheelFramesAreAllDifferent)
{
    for (unsigned id = 1701; id < 1708; ++id) {
        const Loaded a = Load(id, RT_BITMAP);
        const Loaded b = Load(id + 1, RT_BITMAP);
        ASSERT_TRUE(a.found && b.found) << "id " << id;
        EXPECT_NE(*a.image, *b.image) << "frames " << id << " and " << id + 1;
    }
}

TEST(LoadImageResource, MissingResourceLeavesOutUntouched)
{
    QImage sentinel;
    struct Case {
        unsigned id;
        const char* type;
        const char* what;
    };
    const Case cases[] = {
        {999, RT_PNG, "PNG id that does not exist"},
        {1701, RT_PNG, "bitmap id asked as PNG"},
        {292, RT_BITMAP, "PNG id asked as bitmap"},
        {1709, RT_BITMAP, "bitmap after the last frame"},
        {292, "JPG", "type with no images"},
        {292, reinterpret_cast<const char*>(uintptr_t{3}), "other type number"},
        {292, nullptr, "no type"},
    };
    for (const Case& c : cases) {
        QImage* out = &sentinel;
        EXPECT_FALSE(LoadImageResource(c.id, c.type, &out)) << c.what;
        EXPECT_EQ(out, &sentinel) << c.what;
    }
}

TEST(LoadImageResource, TypeNameIgnoresCase)
{
    const Loaded png = Load(200, "png");
    ASSERT_TRUE(png.found);
    EXPECT_EQ(png.image->size(), QSize(1000, 600));
}

TEST(LoadImageResource, IconIsCompiledIn)
{
    const QImage icon(QStringLiteral(":/icon/100.png"));
    EXPECT_FALSE(icon.isNull());
}

TEST(MakeFont, ReplacesTheFontWithTheStyleAndSize)
{
    struct Case {
        bool bold, italic, underline;
        int size;
    };
    const Case cases[] = {
        {true, false, true, 10}, {false, false, false, 9}, {false, true, false, 14},
        {true, true, true, 12},  {false, false, true, 20},
    };
    for (const Case& c : cases) {
        // Start from the opposite style, so every flag has to be written.
        QFont font;
        font.setBold(!c.bold);
        font.setItalic(!c.italic);
        font.setUnderline(!c.underline);
        MakeFont(&font, "Courier New", c.size, c.bold, c.italic, c.underline);
        const std::string what = "bold " + std::to_string(c.bold) + " italic " +
                                 std::to_string(c.italic) + " underline " +
                                 std::to_string(c.underline) + " size " + std::to_string(c.size);
        EXPECT_EQ(font.bold(), c.bold) << what;
        EXPECT_EQ(font.italic(), c.italic) << what;
        EXPECT_EQ(font.underline(), c.underline) << what;
        EXPECT_EQ(font.pointSize(), c.size) << what;
    }

    QFont shortForm;
    shortForm.setBold(true);
    shortForm.setUnderline(true);
    MakeFont(&shortForm, "Courier New", 13);
    EXPECT_FALSE(shortForm.bold() || shortForm.italic() || shortForm.underline());
    EXPECT_EQ(shortForm.pointSize(), 13);
}

TEST(MakeFont, InstalledFaceIsKept)
{
    const QStringList families = QFontDatabase::families();
    ASSERT_FALSE(families.isEmpty());
    const QByteArray face = families.front().toUtf8();
    QFont font;
    MakeFont(&font, face.constData(), 11);
    EXPECT_EQ(font.family(), families.front());
}

TEST(MakeFont, FaceNotInstalledGivesGenericSansSerif)
{
    struct Case {
        const char* face;
        const char* what;
    };
    const Case cases[] = {
        {"No Such Face 4711", "unknown ASCII name"},
        {"\xBA\xDA\xCC\xE5\xD7\xD6", "GB18030 bytes of a face that is not installed"},
        {"", "empty face"},
        {nullptr, "no face"},
    };
    QFont reference;
    MakeFont(&reference, "No Such Face 4711", 12);
    for (const Case& c : cases) {
        QFont font;
        MakeFont(&font, c.face, 12);
        if (c.face && *c.face) {
            EXPECT_NE(font.family().toStdString(), c.face) << c.what;
        }
        EXPECT_FALSE(font.family().isEmpty()) << c.what;
        EXPECT_EQ(font.family(), reference.family()) << c.what;
        EXPECT_EQ(font.pointSize(), 12) << c.what;
        // The family resolves to a face the system really has.
        EXPECT_TRUE(QFontDatabase::families().contains(QFontInfo(font).family()))
            << c.what << ": " << QFontInfo(font).family().toStdString();
    }
}

// Qt's own buttons speak Chinese once the toolkit is started, and the program's
// message boxes carry the main window's title.
TEST(GUIEXStartup, QtDialogsSpeakChineseAndBoxesCarryTheTitle)
{
    if (!QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + "/qtbase_zh_CN.qm"))
        GTEST_SKIP() << "Qt's Chinese translation (qt6-translations-l10n) is not installed";
    GUIEXStartup();
    QWidget parent;
    OpenWarning(&parent, "x");
    auto* box = parent.findChild<QMessageBox*>();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->windowTitle(), LoadString(1050));
    EXPECT_EQ(box->button(QMessageBox::Ok)->text(), "确定");
    QDialogButtonBox buttons(QDialogButtonBox::Cancel | QDialogButtonBox::Open);
    EXPECT_EQ(buttons.button(QDialogButtonBox::Cancel)->text(), "取消");
    delete box;
    GUIEXShutdown();
    EXPECT_EQ(QDialogButtonBox(QDialogButtonBox::Cancel).button(QDialogButtonBox::Cancel)->text(), "Cancel");
    // The shutdown took the images away; the suite's later tests draw with them.
    Q_INIT_RESOURCE(trandor);
}
