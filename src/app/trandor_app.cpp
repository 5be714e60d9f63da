#include "app/trandor_app.h"

#include "app/main_dlg.h"
#include "guiex/guiex_startup.h"
#include "guiex/parameters_base.h"

#include <clocale>

CTrandorApp::CTrandorApp(int& argc, char** argv) : QApplication(argc, argv)
{
    // Readings and read-outs are written with a decimal point whatever the user's locale.
    std::setlocale(LC_NUMERIC, "C");
}

CTrandorApp::~CTrandorApp() = default;

void CTrandorApp::DisableHighDpiScaling()
{
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
}

bool CTrandorApp::InitInstance()
{
    COM_GUI_EX::GUIEXStartup();
    CParametersBase::GetInstance()->ComputeFromDesktop();
    CMainDlg dialog;
    // A file named on the command line (the desktop's "Open with" names one) opens
    // as one picked in the open dialog; of several, the first.
    dialog.OpenAtStart(arguments().value(1));
    dialog.exec();
    return false;
}

int CTrandorApp::ExitInstance()
{
    COM_GUI_EX::GUIEXShutdown();
    return 0;
}
