// Zoom and paging from the buttons, the mouse wheel and the keys.
#include "app/main_dlg.h"
#include "chart/curve_wnd.h"
#include "guiex/message_box.h"
#include "guiex/strings.h"

#include <QApplication>
#include <QWheelEvent>
#include <algorithm>


// One zoom level in the direction of the delta's sign, keeping the page's middle sample.
void CMainDlg::ChangeZoom(int16_t delta)
{
    if (m_nTotal <= 0 || m_bLoading)
        return;
    m_nZoomLevel = std::clamp(delta < 0 ? m_nZoomLevel - 1 : m_nZoomLevel + 1, 1, 7);
    m_nZoom = kZoomSteps[m_nZoomLevel - 1];
    if (m_bBusy)
        return;  // the new step goes with the next request
    RequestZoomedPage();
}

// The page keeps the middle sample of the page asked for last.
void CMainDlg::RequestZoomedPage()
{
    const int oldCount = m_nPageCount;
    const int oldFirst = m_nFirst;
    m_bBusy = 1;
    CMemoryTransferManage* manager = CMemoryTransferManage::GetInstance();
    m_nPageCount = manager->SetPage(&oldFirst, &m_nZoom);
    int first = std::max(0, oldFirst + oldCount / 2 - m_nPageCount / 2);
    if (first + m_nPageCount > m_nTotal)
        first = std::max(0, m_nTotal - m_nPageCount);  // the last page ends on the newest sample
    m_nFirst = first;
    m_nRequestedFirst = m_nFirst;
    m_nRequestedZoom = m_nZoom;
    manager->SetPage(&m_nFirst, &m_nZoom);
    manager->RequestPrepare();
    m_pCurveWnd->UpdateThumb();
}

// Twenty samples toward the newer end for a turn toward the user, toward the older
// end for one away from the user.
void CMainDlg::ScrollByWheel(int16_t delta)
{
    ScrollLater(delta < 0 ? kWheelStep : -kWheelStep);
}

void CMainDlg::ScrollLater(int samples)
{
    if (m_nTotal <= 0 || m_bLoading)
        return;
    // Newer samples have higher indexes in an ascending file, lower ones in a descending one.
    const long long first = m_nFirst + (m_nTimeOrder == 0 ? 1LL : -1LL) * samples;
    m_nFirst = static_cast<int>(std::max(0LL, std::min(first, static_cast<long long>(m_nTotal) - m_nPageCount)));
    if (m_bBusy)
        return;  // the new first sample goes with the next request
    RequestPage();
    m_pCurveWnd->UpdateThumb();
}

void CMainDlg::OnZoomIn()
{
    const int level = m_nZoomLevel;
    ChangeZoom(+120);
    if (m_nZoomLevel == level)
        COM_GUI_EX::ShowMessage(this, COM_GUI_EX::LoadString(1402));
}

void CMainDlg::OnZoomOut()
{
    const int level = m_nZoomLevel;
    ChangeZoom(-120);
    if (m_nZoomLevel == level)
        COM_GUI_EX::ShowMessage(this, COM_GUI_EX::LoadString(1403));
}

// Only the vertical wheel pages and zooms: a sideways turn (tilt wheel, touchpad
// swipe) carries no vertical delta and does nothing.
void CMainDlg::wheelEvent(QWheelEvent* event)
{
    if (event->angleDelta().y() == 0) {
        QDialog::wheelEvent(event);
        return;
    }
    const auto delta = static_cast<int16_t>(std::clamp(event->angleDelta().y(), -32768, 32767));
    if (event->modifiers() & Qt::ControlModifier)
        ChangeZoom(delta);
    else
        ScrollByWheel(delta);
    QDialog::wheelEvent(event);
}
