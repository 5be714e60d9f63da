#include "bench_window.h"

#include "app/main_dlg.h"
#include "app/trandor_app.h"
#include "guiex/guiex_startup.h"
#include "guiex/parameters_base.h"

#include <QTest>
#include <cstdio>

void SettleWindow(const CMainDlg& window)
{
    CMemoryTransferManage* manager = CMemoryTransferManage::GetInstance();
    do {
        manager->WaitIdle(600000);
        QCoreApplication::processEvents();
    } while (window.IsLoading() || window.IsBusy() || !manager->WaitIdle(0));
}

int RunWithFileOpen(const char* benchmark, char* program, const char* path,
                    const std::function<int(CMainDlg&)>& body)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    CTrandorApp::DisableHighDpiScaling();
    int appArgc = 1;
    char* appArgv[] = {program, nullptr};
    CTrandorApp app(appArgc, appArgv);
    COM_GUI_EX::GUIEXStartup();
    CParametersBase::GetInstance()->SetPercentage(100);
    int status = 2;
    {
        CMainDlg window;
        window.show();
        if (QTest::qWaitForWindowExposed(&window)) {
            window.OpenPath(path);
            SettleWindow(window);
            status = body(window);
        } else {
            std::fprintf(stderr, "%s: the window was not shown\n", benchmark);
        }
    }
    COM_GUI_EX::GUIEXShutdown();
    return status;
}
