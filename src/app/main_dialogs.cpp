// The settings and query commands: each opens its dialog under its button and, after
// an OK with a file open, has the file read again behind the waiting window.
#include "app/main_dlg.h"
#include "chart/curve_wnd.h"
#include "guiex/parameters_base.h"
#include "guiex/smooth_btn.h"
#include "settings/ini_setting.h"
#include "settings/search_dlg.h"
#include "settings/setting_dlg.h"

namespace {

// Where a dialog opened from the button goes: its left edge, s9 below its bottom.
QPoint UnderButton(const QWidget* button)
{
    if (button == nullptr)
        return QPoint(0, 0);  // centred
    const QPoint corner = button->mapToGlobal(QPoint(0, button->height()));
    return QPoint(corner.x(), corner.y() + S(9));
}

}  // namespace

void CMainDlg::GetQuery(int* enabled, TimeValue* start, TimeValue* end, int* fitAll) const
{
    *enabled = m_bQuery;
    *start = m_tQueryStart;
    *end = m_tQueryEnd;
    *fitAll = m_bFitAll;
}

void CMainDlg::OnSetting()
{
    CSettingDlg dialog(this);
    dialog.SetSettingsStore(m_pSetting.get());
    const QPoint corner = UnderButton(GetButton(1));
    dialog.SetPosition(corner.x(), corner.y());
    if (dialog.exec() != QDialog::Accepted)
        return;

    // The dialog has written the record: take it back as the file now holds it.
    ApplySettingsRecord(LoadSettings(*m_pSetting));
}

void CMainDlg::ApplySettingsRecord(const CSettingsRecord& record)
{
    TakeSettings(record);
    m_pCurveWnd->SetTimeLabelFormat(m_nLabelFormat);
    // The open file is read again with the new settings, the whole of it: a plain
    // load switches the query off. The finished load supplies the page state.
    if (!m_strFilePath.empty())
        LoadAndWait(CLoadRequest{m_strFilePath, 0, m_tQueryStart, m_tQueryEnd, m_bFitAll, true}, false);
}

void CMainDlg::OnQuery()
{
    CSearchDlg dialog(this);
    dialog.SetQueryValues(m_bQuery, m_tQueryStart, m_tQueryEnd, m_bFitAll);
    const QPoint corner = UnderButton(GetButton(2));
    dialog.SetPosition(corner.x(), corner.y());
    if (dialog.exec() != QDialog::Accepted)
        return;
    int enabled, fitAll;
    TimeValue start, end;
    dialog.GetQueryValues(&enabled, &start, &end, &fitAll);
    ApplyQuery(enabled, start, end, fitAll);
}

void CMainDlg::ApplyQuery(int enabled, TimeValue start, TimeValue end, int fitAll)
{
    // Also with the query off: the file is then read whole again. The values become
    // the window's when the load has finished (at once without a file).
    const CLoadRequest request{m_strFilePath, enabled, start, end, fitAll};
    if (!m_strFilePath.empty()) {
        LoadAndWait(request, true);
        return;
    }
    m_bQuery = enabled;
    m_tQueryStart = start;
    m_tQueryEnd = end;
    m_bFitAll = fitAll;
}
