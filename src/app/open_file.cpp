// The open command: the file dialog (or a file dropped on the window or named when
// the program started), then the load behind the waiting window.
#include "app/main_dlg.h"
#include "app/waiting_dlg.h"
#include "chart/curve_wnd.h"
#include "common/file_helpers.h"
#include "data/transfer_messages.h"
#include "guiex/message_box.h"
#include "guiex/strings.h"
#include "settings/ini_setting.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

namespace {

// The open dialog's filters. The pattern matches ".csv" in any case, also in a
// desktop's own dialog, whose patterns are case-sensitive; the dialogs show the
// names only.
const char* const kOpenFilters[] = {"CSV 文件 (*.[cC][sS][vV])", "所有文件 (*)"};

// The first entry of a drag as a local path; empty when it is no local file.
QString FirstDroppedPath(const QMimeData* mime)
{
    if (mime == nullptr || !mime->hasUrls() || mime->urls().isEmpty())
        return QString();
    return mime->urls().first().toLocalFile();
}

}  // namespace

void CMainDlg::OnOpenFile()
{
    QFileDialog dialog(this);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters({QString::fromUtf8(kOpenFilters[0]), QString::fromUtf8(kOpenFilters[1])});
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setDefaultSuffix("csv");
    const QString folder = ReadLastFolder(*m_pSetting);
    if (!folder.isEmpty() && QFileInfo(folder).isDir())
        dialog.setDirectory(folder);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    OpenChosenFile(dialog.selectedFiles().first());
}

void CMainDlg::dragEnterEvent(QDragEnterEvent* event)
{
    if (!m_bLoading && event->mimeData()->hasUrls())
        event->acceptProposedAction();
    else
        event->ignore();
}

void CMainDlg::dropEvent(QDropEvent* event)
{
    if (m_bLoading || !event->mimeData()->hasUrls()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    const QString path = FirstDroppedPath(event->mimeData());
    OpenChosenFile(path.isEmpty() ? event->mimeData()->urls().first().toDisplayString() : path);
}

void CMainDlg::OpenChosenFile(const QString& file)
{
    // Only a regular file (a link followed) gives the worker something it can read to
    // its end: folders, pipes and devices are refused.
    const QFileInfo info(file);
    if (!IsReadableRegularFile(QFile::encodeName(info.absoluteFilePath()).constData())) {
        COM_GUI_EX::ShowWarning(this, COM_GUI_EX::LoadString(LoadFailureText(LOAD_UNREADABLE)));
        return;
    }
    WriteLastFolder(*m_pSetting, info.absolutePath());
    OpenPath(QFile::encodeName(info.absoluteFilePath()).toStdString());
}

void CMainDlg::OpenAtStart(const QString& file)
{
    if (!file.isEmpty())
        QTimer::singleShot(0, this, [this, file] { OpenChosenFile(file); });
}

void CMainDlg::OpenPath(const std::string& path)
{
    if (m_bLoading)
        return;
    LoadAndWait(CLoadRequest{path, 0, m_tQueryStart, m_tQueryEnd, 0}, false);
}

void CMainDlg::LoadAndWait(const CLoadRequest& request, bool withQuery)
{
    // Until the worker reports the load, nothing may read or change the data: the
    // chart takes no input, and every command and wheel turn is ignored.
    m_pending = request;
    m_bLoading = true;
    m_pCurveWnd->setEnabled(false);
    CMemoryTransferManage* manager = CMemoryTransferManage::GetInstance();
    if (withQuery)
        manager->RequestQueryLoad(request.query, request.start, request.end, request.fitAll);
    else
        manager->RequestLoad(request.path.c_str());
    RunWaitingDialog(this);
    // The waiting window has closed itself on its time-out while the load goes on:
    // commands are still held back, and the pointer says so.
    if (m_bLoading)
        ShowBusyPointer(true);
}
