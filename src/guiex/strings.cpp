#include "guiex/strings.h"

#include <algorithm>
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
    {1110, "无法读取文件: %s"},
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

}  // namespace

std::string LoadString(unsigned id)
{
    const auto* end = std::end(kStrings);
    const auto* it = std::lower_bound(std::begin(kStrings), end, id,
                                      [](const StringEntry& e, unsigned key) { return e.id < key; });
    if (it == end || it->id != id)
        return std::string();
    return it->text;
}

}  // namespace COM_GUI_EX
