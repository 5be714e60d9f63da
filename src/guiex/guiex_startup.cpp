#include "guiex/guiex_startup.h"

#include <QtGlobal>

// The resource file's registration functions, made by the resource compiler.
int qInitResources_trandor();
int qCleanupResources_trandor();

namespace COM_GUI_EX {
namespace {
bool g_bStarted = false;
}  // namespace

bool GUIEXStartup()
{
    if (!g_bStarted)
        g_bStarted = qInitResources_trandor() != 0;
    return g_bStarted;
}

void GUIEXShutdown()
{
    if (!g_bStarted)
        return;
    qCleanupResources_trandor();
    g_bStarted = false;
}

}  // namespace COM_GUI_EX
