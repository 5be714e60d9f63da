// The main window's keys. Each is a shortcut of the window, so it works whichever
// button has the focus and never reaches a dialog the window opens; Tab, Space,
// Enter and Escape keep their usual roles.
#include "app/main_dlg.h"

#include <QKeySequence>
#include <QShortcut>
#include <functional>

void CMainDlg::CreateKeys()
{
    const struct {
        const char* keys;
        std::function<void()> action;
    } keys[] = {
        {"Ctrl+O", [this] { OnCommand(ID_OPEN_FILE); }},
        {"Ctrl+P", [this] { OnCommand(ID_PRINT); }},
        // The page moves as far as a wheel step, a page or to an end of the file.
        {"Left", [this] { ScrollLater(-kWheelStep); }},
        {"Right", [this] { ScrollLater(kWheelStep); }},
        {"PgUp", [this] { ScrollLater(-m_nPageCount); }},
        {"PgDown", [this] { ScrollLater(m_nPageCount); }},
        {"Home", [this] { ScrollLater(-m_nTotal); }},
        {"End", [this] { ScrollLater(m_nTotal); }},
        // Zoom as Ctrl with the wheel does: one level, silent at the limits.
        {"+", [this] { ChangeZoom(+120); }},
        {"Ctrl++", [this] { ChangeZoom(+120); }},
        {"Ctrl+=", [this] { ChangeZoom(+120); }},
        {"-", [this] { ChangeZoom(-120); }},
        {"Ctrl+-", [this] { ChangeZoom(-120); }},
    };
    for (const auto& key : keys)
        new QShortcut(QKeySequence(QString::fromLatin1(key.keys)), this, key.action);
}
