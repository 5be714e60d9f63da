#include "app/trandor_app.h"

#include "app/main_dlg.h"
#include "guiex/guiex_startup.h"
#include "guiex/parameters_base.h"

#include <QScreen>
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
    CParametersBase* scaling = CParametersBase::GetInstance();
    scaling->ComputeFromDesktop();
    // A window larger than the screen could not be moved or resized into view.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        scaling->SetPercentage(CParametersBase::FitPercentage(scaling->GetPercentage(), CMainDlg::UnscaledSize(),
                                                              CMainDlg::FrameAllowance(),
                                                              screen->availableGeometry().size()));
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
