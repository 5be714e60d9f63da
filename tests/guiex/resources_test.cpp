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

#include <memory>
#include <string>

using namespace COM_GUI_EX;

TEST(LoadString, EveryIdGivesItsText)
{
    struct Case {
        unsigned id;
        const char* text;
    };
    const Case cases[] = {
        {1000, "黑体"},
        {1002, "通道%02d"},
        {1050, "数据导出曲线显示软件 V1.7"},
        {1100, "导入文件: %s"},
        {1101, "%s:%.2f"},
        {1200, "时间标签列号"},
        {1201, "时间排序规则"},
        {1202, "时间标签格式"},
        {1203, "数据坐标范围"},
        {1204, "数据最大值"},
        {1205, "数据最小值"},
        {1206, "数据单位"},
        {1250, "时间升序"},
        {1251, "时间降序"},
        {1260, "不格式化标签"},
        {1261, "yy/mm/dd HH:MM"},
        {1262, "mm/dd HH:MM"},
        {1263, "HH:MM:SS"},
        {1270, "自动计算"},
        {1271, "手动设置"},
        {1402, "已经放大到最大倍率！"},
        {1403, "已经缩小到最小倍率！"},
        {1500, "开始时间"},
        {1501, "结束时间"},
        {1502, "是否启用"},
        {1503, "初始缩放"},
        {1510, "禁用查询条件"},
        {1511, "启用查询条件"},
        {1520, "标准缩放显示"},
        {1521, "所有数据缩放至一页"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LoadString(c.id), c.text) << "id " << c.id;
}

TEST(LoadString, IdsOutsideTheTableAreEmpty)
{
    // Neighbours of held ids and the ends of the range.
    for (unsigned id : {0u, 1u, 999u, 1001u, 1003u, 1049u, 1051u, 1102u, 1199u, 1207u, 1252u,
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
}
