// The program. --help and --version print and exit before any window or display is
// touched (the manual page is made of them at build time); any other argument goes to
// the application. The exit code is 0.
#include "app/trandor_app.h"

#include <cstdio>
#include <cstring>

namespace {

const char kUsage[] =
    "Usage: trandor [FILE]\n"
    "Shows a multi-channel data recorder's CSV file as curves against time: zoom,\n"
    "paging, a read-out cursor, a time-range query and printing. FILE, when given,\n"
    "opens at start as one picked with the open button.\n"
    "\n"
    "Options:\n"
    "  --help                 print this text and exit\n"
    "  --version              print the version and exit\n"
    "\n"
    "An installed program keeps its settings in $XDG_CONFIG_HOME/trandor/Trandor.INI\n"
    "(~/.config by default); a copy in a folder of its own keeps Trandor.INI beside\n"
    "itself.\n";

}  // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--help") == 0) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (argc > 1 && std::strcmp(argv[1], "--version") == 0) {
        std::fputs("trandor " TRANDOR_VERSION "\n", stdout);
        return 0;
    }
    CTrandorApp::DisableHighDpiScaling();
    CTrandorApp app(argc, argv);
    app.InitInstance();
    return app.ExitInstance();
}
