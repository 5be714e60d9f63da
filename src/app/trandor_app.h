#pragma once

// The application object: runs the main window as a modal dialog and shuts down in
// order when it ends. User-interface thread.
#include <QApplication>

class CTrandorApp : public QApplication {
    Q_OBJECT

public:
    CTrandorApp(int& argc, char** argv);
    ~CTrandorApp() override;

    // Starts the toolkit, sets the display scaling and runs the main window, with the
    // file the first argument names open, until it closes. Returns false, as there is
    // nothing more to run.
    bool InitInstance();
    // Stops what InitInstance started; 0 is the process's exit code.
    int ExitInstance();

    // Qt's own high-DPI scaling is switched off before the application object exists:
    // the display-scaling percentage is the only scaling.
    static void DisableHighDpiScaling();
};
