#pragma once

// Start and stop of the toolkit: the one thing the platform still needs is the
// registration of the compiled-in images. Shutdown undoes only what startup did.
namespace COM_GUI_EX {

// Registers the image resources; returns whether they were registered.
bool GUIEXStartup();
// Unregisters them when GUIEXStartup did register them; otherwise does nothing.
void GUIEXShutdown();

}  // namespace COM_GUI_EX
