#include "guiex/strings.h"

#include <algorithm>
#include <cstddef>
#include <iterator>

namespace COM_GUI_EX {

namespace {

struct StringEntry {
    unsigned id;
    const char* text;
};

// Sorted by id, so a lookup is a binary search. The texts are UTF-8.
constexpr StringEntry kStrings[] = {
    {1000, "黑体"},
    {1002, "通道%02d"},
    {1050, "数据导出曲线显示软件 V1.7"},
    {1100, "导入文件: %s"},
    {1101, "%s:%.2f"},
    {1110, "文件大小为128 MiB或以上，不能导入！"},
    {1111, "文件无法打开，不能导入！"},
    {1112, "文件中没有数据，不能导入！"},
    {1113, "查询的时间范围内没有数据！"},
    {1114, "内存不足，不能导入！"},
    {1115, "读取文件时出错，不能导入！"},
    {1120, "文件的数据列超过16列，只显示前16列，另有%d列未显示！"},
    {1200, "时间标签列号"},
    {1201, "时间排序规则"},
    {1202, "时间标签格式"},
    {1203, "数据坐标范围"},
    {1204, "数据最大值"},
    {1205, "数据最小值"},
    {1206, "数据单位"},
    {1210, "%1须为0或正整数。"},
    {1211, "%1须为整数。"},
    {1212, "%1须大于%2。"},
    {1250, "时间升序"},
    {1251, "时间降序"},
    {1252, "自动"},
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
    {1530, "%1不能早于%2。"},
    {1600, "保存图片…"},
    {1601, "导出PDF…"},
    {1602, "没有默认打印机，无法打印。"},
    {1603, "无法写入文件：%1"},
    {1604, "PNG 图片 (*.png)"},
    {1605, "PDF 文件 (*.pdf)"},
    {1606, "没有打开的文件，无法打印。"},
    {1607, "打印机未接受打印任务，没有打印。"},
};

// A lookup finds every entry only while the ids ascend strictly, and an empty text
// would read as an id the table does not hold.
constexpr bool IdsAscendAndTextsAreSet()
{
    for (size_t i = 0; i < std::size(kStrings); ++i) {
        if (!kStrings[i].text || kStrings[i].text[0] == '\0' || (i > 0 && kStrings[i - 1].id >= kStrings[i].id))
            return false;
    }
    return true;
}
static_assert(IdsAscendAndTextsAreSet(), "string ids must ascend strictly and every text must be set");

}  // namespace

QString LoadString(unsigned id)
{
    const auto* end = std::end(kStrings);
    const auto* it = std::lower_bound(std::begin(kStrings), end, id,
                                      [](const StringEntry& e, unsigned key) { return e.id < key; });
    if (it == end || it->id != id)
        return QString();
    return QString::fromUtf8(it->text);
}

}  // namespace COM_GUI_EX
