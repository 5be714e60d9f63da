// The program: no command-line handling; the exit code is always 0.
#include "app/trandor_app.h"

int main(int argc, char** argv)
{
    CTrandorApp::DisableHighDpiScaling();
    CTrandorApp app(argc, argv);
    app.InitInstance();
    return app.ExitInstance();
}
