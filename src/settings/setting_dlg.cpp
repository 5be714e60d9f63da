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
// Messages of a refused field, %1 its caption ("%1须大于%2": %2 the minimum's).
constexpr unsigned kNotAColumnText = 1210;
constexpr unsigned kNotAWholeNumberText = 1211;
constexpr unsigned kNotAboveText = 1212;

QComboBox* MakeList(std::initializer_list<unsigned> items)
{
    auto* list = new QComboBox;
    for (unsigned id : items)
        list->addItem(COM_GUI_EX::LoadString(id));
    list->setCurrentIndex(0);
    return list;
}

// A whole number in decimal, blanks around it allowed.
bool WholeNumber(const QLineEdit* edit, int* value)
{
    bool ok = false;
    *value = edit->text().trimmed().toInt(&ok, 10);
    return ok;
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

// The time-label column and the time order offer the automatic choice: the column
// edit reads its text, the order list its last item.
constexpr unsigned kAutomaticText = 1252;
constexpr int kAutomaticOrder = 2;

std::string ColumnValue(const QLineEdit* edit)
{
    return edit->text().trimmed() == COM_GUI_EX::LoadString(kAutomaticText) ? kAutomaticValue : DecimalText(edit);
}

std::string OrderValue(const QComboBox* list)
{
    return list->currentIndex() == kAutomaticOrder ? kAutomaticValue : std::to_string(list->currentIndex());
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
    QComboBox* order = MakeList({1250, 1251, kAutomaticText});
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
    const CSettingsRecord defaults;
    const bool automaticColumn = record.timeColumn == kAutomaticChoice;
    column->setText(automaticColumn ? COM_GUI_EX::LoadString(kAutomaticText) : QString::number(record.timeColumn));
    SelectStored(order, record.timeOrder, kAutomaticOrder);
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
    QString message;
    if (QWidget* field = RefusedField(&message)) {
        COM_GUI_EX::ShowWarning(this, message);
        field->setFocus();
        return;
    }
    if (!WriteKeys())
        return;
    QDialog::accept();
}

QWidget* CSettingDlg::RefusedField(QString* message) const
{
    auto* column = qobject_cast<QLineEdit*>(GetDlgItem(kKeyTimeColumn));
    const auto* range = qobject_cast<QComboBox*>(GetDlgItem(kKeyRangeMode));
    auto* maximum = qobject_cast<QLineEdit*>(GetDlgItem(kKeyManualMax));
    auto* minimum = qobject_cast<QLineEdit*>(GetDlgItem(kKeyManualMin));
    if (!column || !range || !maximum || !minimum)
        return nullptr;
    // The message names the field by its caption.
    const auto refuse = [message](QWidget* field, const QString& text) {
        *message = text;
        return field;
    };
    const auto string = [](unsigned id) { return COM_GUI_EX::LoadString(id); };
    if (column->text().trimmed().isEmpty())
        return refuse(column, ColumnMissingText());
    int value = 0;
    const bool automatic = column->text().trimmed() == string(kAutomaticText);
    if (!automatic && (!WholeNumber(column, &value) || value < 0))
        return refuse(column, string(kNotAColumnText).arg(string(1200)));
    if (range->currentIndex() != 1)
        return nullptr;  // an automatic range has no limits
    int top = 0;
    int bottom = 0;
    if (!WholeNumber(maximum, &top))
        return refuse(maximum, string(kNotAWholeNumberText).arg(string(1204)));
    if (!WholeNumber(minimum, &bottom))
        return refuse(minimum, string(kNotAWholeNumberText).arg(string(1205)));
    if (top <= bottom)
        return refuse(maximum, string(kNotAboveText).arg(string(1204), string(1205)));
    return nullptr;
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
        {kKeyTimeColumn, ColumnValue(column)},
        {kKeyTimeOrder, OrderValue(order)},
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
