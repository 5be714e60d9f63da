// The main window's handling of the worker's completion messages and of the chart's
// page and cursor messages.
#include "app/main_dlg.h"
#include "app/waiting_dlg.h"
#include "chart/chart_messages.h"
#include "chart/curve_wnd.h"
#include "common/text_convert.h"
#include "data/transfer_messages.h"
#include "guiex/message_box.h"
#include "guiex/posted_message.h"
#include "guiex/strings.h"

#include <QApplication>
#include <QByteArray>
#include <QEvent>
#include <QFile>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace {

// printf-style formatting of decoded text, done in UTF-8: the format's "%s" takes
// the text, its "%.2f" the value. The process keeps the "C" numeric locale (see the
// start-up), so "%.2f" writes a decimal point.
QString Format(const QString& format, const QString& text, double value = 0.0)
{
    const QByteArray pattern = format.toUtf8();
    const QByteArray argument = text.toUtf8();
    const int n = std::snprintf(nullptr, 0, pattern.constData(), argument.constData(), value);
    if (n < 0)
        return QString();
    std::string out(static_cast<size_t>(n) + 1, '\0');
    std::snprintf(out.data(), out.size(), pattern.constData(), argument.constData(), value);
    out.resize(static_cast<size_t>(n));
    return QString::fromStdString(out);
}

// The zoom level that shows the step (1 for anything that is not a level's step).
int LevelOfStep(int step)
{
    for (int level = 2; level <= 7; ++level) {
        if (CMainDlg::kZoomSteps[level - 1] == step)
            return level;
    }
    return 1;
}

// The file name after the last separator, in the file system's encoding; empty when
// there is none or it is the path's first character.
QString FileName(const std::string& path)
{
    const size_t slash = path.find_last_of("/\\");
    if (slash == std::string::npos || slash == 0)
        return QString();
    return QFile::decodeName(QByteArray::fromStdString(path.substr(slash + 1)));
}

// Says, without waiting for an answer, how many measurement columns of the file
// beyond the channel cap were not read.
void ShowLeftOutColumns(QWidget* window, int columns)
{
    constexpr unsigned kLeftOutText = 1120;
    if (columns <= 0)
        return;
    const QByteArray format = COM_GUI_EX::LoadString(kLeftOutText).toUtf8();
    COM_GUI_EX::OpenWarning(window, QString::asprintf(format.constData(), columns));
}

}  // namespace

bool CMainDlg::event(QEvent* event)
{
    const auto type = static_cast<uint32_t>(event->type());
    if (type != WM_TRANSFER_NOTIFY && type != WM_CURVE_PAGE && type != WM_CURVE_CURSOR)
        return QDialog::event(event);
    const auto* message = static_cast<const COM_GUI_EX::CPostedMessage*>(event);
    if (type == WM_TRANSFER_NOTIFY)
        OnTransferNotify(message->WParam(), message->LParam());
    else if (type == WM_CURVE_PAGE)
        OnCurvePage();
    else
        OnCurveCursor(message->WParam());
    return true;
}

void CMainDlg::OnTransferNotify(uintptr_t wParam, intptr_t lParam)
{
    if (wParam == TRANSFER_LOADED)
        OnTransferLoaded(lParam);
    else if (wParam == TRANSFER_PREPARED)
        OnTransferPrepared();
}

unsigned CMainDlg::LoadFailureText(intptr_t result)
{
    switch (result) {
    case LOAD_FINISHED:
        return 0;
    case LOAD_REFUSED_TOO_LARGE:
        return 1110;
    case LOAD_UNREADABLE:
        return 1111;
    case LOAD_NO_DATA:
        return 1112;
    case LOAD_NONE_IN_RANGE:
        return 1113;
    case LOAD_OUT_OF_MEMORY:
        return 1114;
    default:
        return 1115;  // LOAD_READ_ERROR
    }
}

void CMainDlg::OnTransferLoaded(intptr_t result)
{
    PostWaitingClose();
    m_bLoading = false;
    ShowBusyPointer(false);
    if (!m_pCurveWnd)
        return;
    m_pCurveWnd->setEnabled(true);
    CMemoryTransferManage* manager = CMemoryTransferManage::GetInstance();
    if (const unsigned text = LoadFailureText(result)) {
        // The open file stays as it was; after new settings its page is drawn again
        // with them.
        ShowLoadFailure(text);
        if (m_pending.newSettings)
            manager->RequestPrepare();
        return;
    }
    m_strFilePath = m_pending.path;
    m_bQuery = m_pending.query;
    m_tQueryStart = m_pending.start;
    m_tQueryEnd = m_pending.end;
    m_bFitAll = m_pending.fitAll;
    manager->GetDataViews(&m_pNames, &m_pLabels, &m_pChannels, &m_nFirst, &m_nTotal, &m_nPageCount, &m_nZoom);
    m_nRequestedFirst = m_nFirst;
    m_nRequestedZoom = m_nZoom;
    // Without a query the query dialog offers the file's whole span.
    if (m_bQuery == 0)
        manager->GetTimeRange(&m_tQueryStart, &m_tQueryEnd);
    m_nZoomLevel = LevelOfStep(m_nZoom);
    m_pCurveWnd->SetChannelNames(m_pNames, m_pLabels, m_pChannels);
    SetReadout(QString());  // nothing of the previous file stays; the first page brings it again
    m_strTitle = Format(COM_GUI_EX::LoadString(1100), FileName(m_strFilePath));
    // Pages run by the order the load placed its opening page by, the file's own
    // where the setting leaves it to the file.
    m_nTimeOrder = manager->GetTimeOrder();
    update(ToQRect(m_rcTitle));
    m_pCurveWnd->UpdateThumb();
    manager->RequestPrepare();
    ShowLeftOutColumns(this, manager->GetLeftOutColumns());
}

void CMainDlg::OnTransferPrepared()
{
    m_bBusy = 0;
    if (!m_pCurveWnd)
        return;
    m_pCurveWnd->RefreshLayers();
    if (m_bLoading)
        return;  // the page state is the next load's
    // Zoom steps and wheel turns made while this page was prepared are asked for now.
    if (m_nZoom != m_nRequestedZoom) {
        RequestZoomedPage();
    } else if (m_nFirst != m_nRequestedFirst) {
        RequestPage();
        m_pCurveWnd->UpdateThumb();
    }
    RemakeReadout();
}

// The chart moved the page (the new first sample is already in m_nFirst).
void CMainDlg::OnCurvePage()
{
    if (m_bLoading || m_bBusy)
        return;
    RequestPage();
}

void CMainDlg::CommitPage(int first)
{
    if (m_bLoading || m_nTotal <= 0)
        return;
    if (static_cast<long long>(first) + m_nPageCount > m_nTotal)
        first = m_nTotal - m_nPageCount;
    m_nFirst = std::max(0, first);
    m_pCurveWnd->UpdateThumb();
    COM_GUI_EX::PostMessage(this, WM_CURVE_PAGE, 0, 0);
}

void CMainDlg::RequestPage()
{
    m_bBusy = 1;
    m_nRequestedFirst = m_nFirst;
    m_nRequestedZoom = m_nZoom;
    CMemoryTransferManage::GetInstance()->SetPage(&m_nFirst, &m_nZoom);
    CMemoryTransferManage::GetInstance()->RequestPrepare();
}

// The cursor moved over the plot: its column's read-out; a column no channel reaches
// keeps the last one.
void CMainDlg::OnCurveCursor(uintptr_t x)
{
    if (m_bLoading)
        return;
    const QString readout = ReadoutAt(x);
    if (!readout.isEmpty())
        SetReadout(readout);
}

QString CMainDlg::ReadoutAt(uintptr_t x)
{
    if (m_nZoom <= 0 || !m_pNames || m_pNames->empty())
        return QString();
    const auto k = static_cast<int>(x / static_cast<unsigned>(m_nZoom));
    const int index = m_nTimeOrder != 0 ? m_nFirst + m_nPageCount - k - 1 : m_nFirst + k;
    m_arrValues.clear();
    QString label;
    CMemoryTransferManage::GetInstance()->GetReadout(index, &m_arrValues, &label);
    if (m_arrValues.empty())
        return QString();
    const QString item = COM_GUI_EX::LoadString(1101);
    // A missing reading reads "--" in place of its value.
    const QString missing = QString(item).replace(QStringLiteral("%.2f"), QStringLiteral("--"));
    QString readout = "[" + label + "] ";
    const size_t count = std::min(m_arrValues.size(), m_pNames->size());
    for (size_t j = 0; j < count; ++j) {
        if (j > 0)
            readout += ", ";
        const double value = m_arrValues[j];
        readout += std::isnan(value) ? Format(missing, (*m_pNames)[j]) : Format(item, (*m_pNames)[j], value);
        readout += m_strUnit;
    }
    return readout;
}

void CMainDlg::RemakeReadout()
{
    QString readout;
    if (m_pCurveWnd->IsCursorVisible()) {
        const int x = m_pCurveWnd->GetCursorLine().left - m_pCurveWnd->GetPlotArea().left;
        readout = ReadoutAt(static_cast<uintptr_t>(std::max(0, x)));
    }
    SetReadout(readout);
}

void CMainDlg::SetReadout(const QString& readout)
{
    m_strReadout = readout;
    update(ToQRect(m_rcStatus));
}

// Said without waiting for an answer: the message handler returns at once, and a
// window driven without a user (the export tool) goes on.
void CMainDlg::ShowLoadFailure(unsigned stringId)
{
    COM_GUI_EX::OpenWarning(this, COM_GUI_EX::LoadString(stringId));
}

void CMainDlg::ShowBusyPointer(bool shown)
{
    if (shown == m_bBusyPointer)
        return;
    m_bBusyPointer = shown;
    if (shown)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}
