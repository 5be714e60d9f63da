#pragma once

// Start and stop of the toolkit: the platform still needs the registration of the
// compiled-in images, and Qt's own dialogs and buttons (file dialog, page set-up, the
// buttons of message boxes) are to speak Simplified Chinese like the program's own
// texts, whatever the process locale. Shutdown undoes only what startup did.
namespace COM_GUI_EX {

// Registers the image resources and, when an application object exists, installs
// Qt's Simplified Chinese translation (qtbase_zh_CN from Qt's translation folder, when
// it is installed); returns whether the images were registered.
bool GUIEXStartup();
// Unregisters the images and removes the translation when GUIEXStartup did install them.
void GUIEXShutdown();

}  // namespace COM_GUI_EX
