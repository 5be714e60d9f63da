#include "guiex/guiex_startup.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

// The resource file's registration functions, made by the resource compiler.
int qInitResources_trandor();
int qCleanupResources_trandor();

namespace COM_GUI_EX {
namespace {

bool g_bStarted = false;
QTranslator* g_pTranslator = nullptr;
QLocale g_previousLocale;

void InstallQtTranslation()
{
    if (g_pTranslator || !QCoreApplication::instance())
        return;
    auto* translator = new QTranslator;
    if (translator->load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))
        && QCoreApplication::installTranslator(translator)) {
        g_pTranslator = translator;
        // Dates, sizes and units in Qt's dialogs (the file list, the page set-up)
        // follow the same language.
        g_previousLocale = QLocale();
        QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
        return;
    }
    delete translator;
}

void RemoveQtTranslation()
{
    if (!g_pTranslator)
        return;
    QLocale::setDefault(g_previousLocale);
    QCoreApplication::removeTranslator(g_pTranslator);
    delete g_pTranslator;
    g_pTranslator = nullptr;
}

}  // namespace

bool GUIEXStartup()
{
    if (!g_bStarted)
        g_bStarted = qInitResources_trandor() != 0;
    InstallQtTranslation();
    return g_bStarted;
}

void GUIEXShutdown()
{
    RemoveQtTranslation();
    if (!g_bStarted)
        return;
    qCleanupResources_trandor();
    g_bStarted = false;
}

}  // namespace COM_GUI_EX
