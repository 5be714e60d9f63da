#include "settings/setting_dlg.h"

#include "common/decimal.h"
#include "common/text_convert.h"
#include "guiex/message_box.h"
#include "guiex/parameters_base.h"
#include "guiex/strings.h"
#include "settings/ini_setting.h"

#include <QComboBox>
#include <QLineEdit>

#include <initializer_list>
#include <utility>

namespace {

const unsigned kCaptions[7] = {1200, 1201, 1202, 1203, 1204, 1205, 1206};

QComboBox* MakeList(std::initializer_list<unsigned> items)
{
    auto* list = new QComboBox;
    for (unsigned id : items)
        list->addItem(COM_GUI_EX::LoadString(id));
    list->setCurrentIndex(0);
    return list;
}

// Selects the stored item of the list, or the fallback when the stored number is
// none of its items.
void SelectStored(QComboBox* list, int stored, int fallback)
{
    list->setCurrentIndex(stored >= 0 && stored < list->count() ? stored : fallback);
}

// The decimal value of an edit's text, as "%d".
std::string DecimalText(const QLineEdit* edit)
{
    return std::to_string(DecimalToInt(edit->text().toStdString().c_str()));
}

}  // namespace

CSettingDlg::CSettingDlg(QWidget* parent) : CPopupFormDlg(parent) {}

CSettingDlg::~CSettingDlg() = default;

QString CSettingDlg::ColumnMissingText()
{
    return QStringLiteral("请输入时间标签列号。");
}

QString CSettingDlg::WriteFailedText()
{
    return QStringLiteral("设置无法保存，请确认配置文件可以写入。");
}

void CSettingDlg::OnInitDialog()
{
    PlaceWindow(S(260), S(275));
    const int width = this->width();

    // Rows s30 apart; edits and lists s20 high (a list's drop-down sizes itself).
    const int left = S(55) + 6 * S(8);
    const int right = width - 2 * S(8);
    const int top = S(5) + 2 * S(8);
    auto row = [&](int i) { return RECT{left, top + i * S(30), right, top + i * S(30) + S(20)}; };
    auto* column = new QLineEdit;
    QComboBox* order = MakeList({1250, 1251});
    QComboBox* format = MakeList({1260, 1261, 1262, 1263});
    QComboBox* range = MakeList({1270, 1271});
    auto* maximum = new QLineEdit;
    auto* minimum = new QLineEdit;
    auto* unit = new QLineEdit;
    maximum->setEnabled(false);
    minimum->setEnabled(false);
    AddControl(column, kKeyTimeColumn, row(0));
    AddControl(order, kKeyTimeOrder, row(1));
    AddControl(format, kKeyLabelFormat, row(2));
    AddControl(range, kKeyRangeMode, row(3));
    AddControl(maximum, kKeyManualMax, row(4));
    AddControl(minimum, kKeyManualMin, row(5));
    AddControl(unit, kKeyUnit, row(6));
    CreateOkButton();

    BuildBackground(kCaptions, 7, width - S(8), S(30));

    const CSettingsRecord record = m_pSetting ? LoadSettings(*m_pSetting) : LoadSettings(CInitSetting());
    column->setText(QString::number(record.timeColumn));
    const CSettingsRecord defaults;
    SelectStored(order, record.timeOrder, defaults.timeOrder);
    SelectStored(format, record.labelFormat, defaults.labelFormat);
    unit->setText(record.unit);

    SelectStored(range, record.rangeMode, defaults.rangeMode);
    if (record.rangeMode == 1) {
        maximum->setText(QString::number(record.manualMax));
        minimum->setText(QString::number(record.manualMin));
    }
    ApplyRangeRule();
    connect(range, &QComboBox::currentIndexChanged, this, &CSettingDlg::ApplyRangeRule);
}

void CSettingDlg::ApplyRangeRule()
{
    const auto* range = qobject_cast<QComboBox*>(GetDlgItem(kKeyRangeMode));
    const bool manual = range != nullptr && range->currentIndex() == 1;
    for (int key : {kKeyManualMax, kKeyManualMin}) {
        auto* edit = qobject_cast<QLineEdit*>(GetDlgItem(key));
        if (edit == nullptr)
            continue;
        edit->setEnabled(manual);
        if (!manual)
            edit->clear();
    }
}

void CSettingDlg::accept()
{
    auto* column = qobject_cast<QLineEdit*>(GetDlgItem(kKeyTimeColumn));
    if (column == nullptr)
        return;
    if (column->text().trimmed().isEmpty()) {
        COM_GUI_EX::ShowWarning(this, ColumnMissingText());
        column->setFocus();
        return;
    }
    if (!WriteKeys())
        return;
    QDialog::accept();
}

bool CSettingDlg::WriteKeys()
{
    const auto* column = qobject_cast<QLineEdit*>(GetDlgItem(kKeyTimeColumn));
    const auto* order = qobject_cast<QComboBox*>(GetDlgItem(kKeyTimeOrder));
    const auto* format = qobject_cast<QComboBox*>(GetDlgItem(kKeyLabelFormat));
    const auto* range = qobject_cast<QComboBox*>(GetDlgItem(kKeyRangeMode));
    const auto* maximum = qobject_cast<QLineEdit*>(GetDlgItem(kKeyManualMax));
    const auto* minimum = qobject_cast<QLineEdit*>(GetDlgItem(kKeyManualMin));
    const auto* unit = qobject_cast<QLineEdit*>(GetDlgItem(kKeyUnit));
    const std::vector<std::pair<int, std::string>> values = {
        {kKeyTimeColumn, DecimalText(column)},
        {kKeyTimeOrder, std::to_string(order->currentIndex())},
        {kKeyLabelFormat, std::to_string(format->currentIndex())},
        {kKeyRangeMode, std::to_string(range->currentIndex())},
        {kKeyManualMax, DecimalText(maximum)},
        {kKeyManualMin, DecimalText(minimum)},
        // Stored whole: a read returns at most kIniValueMax bytes.
        {kKeyUnit, CutUtf8(unit->text().trimmed().toStdString(), kIniValueMax)},
    };
    // A failed write is said, not hidden: closing with OK would have the main window
    // read the old record back and reload the file as if the change had been made.
    // The record is written in one replacement of the file, never half.
    if (m_pSetting == nullptr || !WriteSettings(*m_pSetting, values)) {
        COM_GUI_EX::ShowWarning(this, WriteFailedText());
        return false;
    }
    return true;
}
