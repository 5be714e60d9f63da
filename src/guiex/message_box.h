#pragma once

// The program's message boxes: titled with the main window's title (string 1050),
// so every box names the program the user sees, not its executable.
#include <QString>

class QWidget;

namespace COM_GUI_EX {

// An information box with one OK button over parent; returns when it is closed.
void ShowMessage(QWidget* parent, const QString& text);
// The same with the warning icon.
void ShowWarning(QWidget* parent, const QString& text);
// A warning box over parent that is not waited for: returns at once, and the box
// deletes itself when closed. For failures the user must see while the program goes
// on (the export tool, too, runs on without a user to close it).
void OpenWarning(QWidget* parent, const QString& text);

}  // namespace COM_GUI_EX
