#include "settings/search_dlg.h"

#include "guiex/message_box.h"
#include "guiex/parameters_base.h"
#include "guiex/strings.h"

#include <QComboBox>
#include <QDateTimeEdit>

#include <ctime>
#include <string>

namespace {

const unsigned kCaptions[4] = {1500, 1501, 1503, 1502};
// The message of an end before the start: %1 the end's caption, %2 the start's.
constexpr unsigned kEndBeforeStartText = 1530;

// The pickers hold calendar fields only; turning them into a TimeValue follows the
// program's own local-time rule (mktime, daylight saving left to the run time). So
// the pickers run in UTC, where no field combination is skipped or repeated and
// Qt's time-zone handling never moves what the user typed.
QDateTime Fields(int year, int month, int day, int hour, int minute, int second)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second), Qt::UTC);
}

// The local calendar fields of t; false when the run time cannot break it down.
bool ToFields(TimeValue t, QDateTime* out)
{
    const auto seconds = static_cast<time_t>(t);
    struct tm local = {};
    if (localtime_r(&seconds, &local) == nullptr)
        return false;
    *out = Fields(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    return out->isValid();
}

// The TimeValue of the picker's fields; false (out untouched) when they have none.
bool FromFields(const QDateTime& shown, TimeValue* out)
{
    const QDate date = shown.date();
    const QTime time = shown.time();
    CLocalTimeConverter converter;
    return converter.ToTimeValue(date.year(), date.month(), date.day(), time.hour(), time.minute(), time.second(),
                                 *out);
}

QDateTimeEdit* MakePicker()
{
    auto* picker = new QDateTimeEdit;
    picker->setTimeSpec(Qt::UTC);
    picker->setDisplayFormat("yyyy-MM-dd HH:mm:ss");
    picker->setDateTimeRange(Fields(2000, 1, 1, 0, 0, 0), Fields(2200, 1, 1, 23, 59, 59));
    return picker;
}

QComboBox* MakeList(unsigned first, unsigned second)
{
    auto* list = new QComboBox;
    list->addItem(COM_GUI_EX::LoadString(first));
    list->addItem(COM_GUI_EX::LoadString(second));
    list->setCurrentIndex(0);
    return list;
}

}  // namespace

CSearchDlg::CSearchDlg(QWidget* parent) : CPopupFormDlg(parent) {}

CSearchDlg::~CSearchDlg() = default;

void CSearchDlg::SetQueryValues(int enabled, TimeValue start, TimeValue end, int fitAll)
{
    m_bEnabled = enabled;
    m_tStart = start;
    m_tEnd = end;
    m_bFitAll = fitAll;
}

void CSearchDlg::GetQueryValues(int* enabled, TimeValue* start, TimeValue* end, int* fitAll) const
{
    *enabled = m_bEnabled;
    *start = m_tStart;
    *end = m_tEnd;
    *fitAll = m_bFitAll;
}

void CSearchDlg::OnInitDialog()
{
    PlaceWindow(S(265), S(195));
    const int width = this->width();

    // Rows s31 apart; pickers and lists s20 high (a list's drop-down sizes itself).
    const int left = S(55) + 3 * S(8);
    const int right = width - S(8);
    const int top = S(5) + 2 * S(8);
    auto row = [&](int i) { return RECT{left, top + i * S(31), right, top + i * S(31) + S(20)}; };
    QDateTimeEdit* start = MakePicker();
    QDateTimeEdit* end = MakePicker();
    QComboBox* zoom = MakeList(1520, 1521);
    QComboBox* enable = MakeList(1510, 1511);
    AddControl(start, IDC_START, row(0));
    AddControl(end, IDC_END, row(1));
    AddControl(zoom, IDC_ZOOM, row(2));
    AddControl(enable, IDC_ENABLE, row(3));
    CreateOkButton();

    BuildBackground(kCaptions, 4, width / 2, S(31));

    // A time outside the pickers' range is brought to its nearer end.
    QDateTime shown;
    if (ToFields(m_tStart, &shown))
        start->setDateTime(shown);
    if (ToFields(m_tEnd, &shown))
        end->setDateTime(shown);
    zoom->setCurrentIndex(m_bFitAll);
    enable->setCurrentIndex(m_bEnabled);
}

void CSearchDlg::accept()
{
    auto* start = qobject_cast<QDateTimeEdit*>(GetDlgItem(IDC_START));
    auto* end = qobject_cast<QDateTimeEdit*>(GetDlgItem(IDC_END));
    const auto* zoom = qobject_cast<QComboBox*>(GetDlgItem(IDC_ZOOM));
    const auto* enable = qobject_cast<QComboBox*>(GetDlgItem(IDC_ENABLE));
    if (start && end && zoom && enable) {
        TimeValue first = m_tStart;
        TimeValue last = m_tEnd;
        FromFields(start->dateTime(), &first);
        FromFields(end->dateTime(), &last);
        // A query that is on keeps the rows from its start to its end, both included.
        if (enable->currentIndex() == 1 && last < first) {
            COM_GUI_EX::ShowWarning(
                this, COM_GUI_EX::LoadString(kEndBeforeStartText).arg(COM_GUI_EX::LoadString(1501),
                                                                       COM_GUI_EX::LoadString(1500)));
            end->setFocus();
            return;
        }
        m_bEnabled = enable->currentIndex();
        m_tStart = first;
        m_tEnd = last;
        m_bFitAll = zoom->currentIndex();
    }
    QDialog::accept();
}
