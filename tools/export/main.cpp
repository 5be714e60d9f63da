// trandor-export: the program's chart without a screen. Loads one recorder file
// through the program's own main window on Qt's offscreen platform and writes its
// summary (JSON), its picture (PNG) and its printed sheet (PDF).
//
//   trandor-export FILE [options]      (trandor-export --help lists them)
//   trandor-export --version
//
// Exit status 0 on success, also for a file without data; 2 for a bad option, an
// input that cannot be read or an output that cannot be written, with one line on
// stderr.
#include "app/trandor_app.h"
#include "export_session.h"
#include "guiex/guiex_startup.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <string>
#include <vector>

namespace {

int Fail(const std::string& reason)
{
    std::fprintf(stderr, "trandor-export: %s\n", reason.c_str());
    return kExportFailed;
}

// The offscreen platform with one screen of 96 dpi times the scaling percentage
// (144 dpi at 150 %, 192 at 200 %), large enough for the window at 400 %. Its
// description is a file in folder, which must exist until the application does.
bool UseOffscreenScreen(int scalePercent, const QTemporaryDir& folder)
{
    const int dpi = 96 * scalePercent / 100;
    const QString path = folder.filePath(QStringLiteral("screen.json"));
    QFile file(path);
    const QByteArray screen = "{\"screens\": [{\"name\": \"export\", \"x\": 0, \"y\": 0, \"width\": 8192, "
                              "\"height\": 4608, \"logicalDpi\": " +
                              QByteArray::number(dpi) + ", \"logicalBaseDpi\": 96, \"dpr\": 1}]}";
    if (!folder.isValid() || !file.open(QIODevice::WriteOnly) || file.write(screen) != screen.size())
        return false;
    file.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(path));
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    CExportOptions options;
    std::string error;
    if (!ParseExportOptions(std::vector<std::string>(argv + 1, argv + argc), &options, &error))
        return Fail(error + " (see --help)");
    if (options.help || options.version) {
        std::fputs(options.help ? ExportUsage() : ExportVersion(), stdout);
        return kExportOk;
    }
    if (!CheckExportPaths(options, &error))
        return Fail(error);

    // Always offscreen, whatever display there is; the options were read above, so Qt
    // sees none of them. The screen has the resolution that gives the display scaling
    // asked for, so text is drawn at the size the program draws it there.
    QTemporaryDir screenFolder;
    if (!UseOffscreenScreen(options.scale, screenFolder))
        return Fail("cannot write the offscreen screen's description");
    CTrandorApp::DisableHighDpiScaling();
    int appArgc = 1;
    CTrandorApp app(appArgc, argv);
    COM_GUI_EX::GUIEXStartup();
    const int status = RunExport(options, &error);
    COM_GUI_EX::GUIEXShutdown();
    return status == kExportOk ? status : Fail(error);
}
