// The open command: the file dialog, then the load behind the waiting window.
#include "app/main_dlg.h"
#include "app/waiting_dlg.h"
#include "chart/curve_wnd.h"

#include <QFile>
#include <QFileDialog>

void CMainDlg::OnOpenFile()
{
    QFileDialog dialog(this);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter("CSV file(*.csv)");
    dialog.setDefaultSuffix("csv");
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    OpenPath(QFile::encodeName(dialog.selectedFiles().first()).toStdString());
}

void CMainDlg::OpenPath(const std::string& path)
{
    if (m_bLoading)
        return;
    m_nFirst = m_nTotal = m_nPageCount = m_nZoom = 0;
    m_bQuery = m_bFitAll = 0;
    m_nZoomLevel = 1;
    m_strFilePath = path;
    LoadAndWait(false);
}

void CMainDlg::LoadAndWait(bool query)
{
    // Until the worker reports the load, nothing may read or change the data: the
    // chart takes no input, and every command and wheel turn is ignored.
    m_bLoading = true;
    m_pCurveWnd->setEnabled(false);
    CMemoryTransferManage* manager = CMemoryTransferManage::GetInstance();
    if (query)
        manager->RequestQueryLoad(m_bQuery, m_tQueryStart, m_tQueryEnd, m_bFitAll);
    else
        manager->RequestLoad(m_strFilePath.c_str());
    RunWaitingDialog(this);
    // The waiting window has closed itself on its time-out while the load goes on:
    // commands are still held back, and the pointer says so.
    if (m_bLoading)
        ShowBusyPointer(true);
}
