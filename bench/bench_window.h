#pragma once

// The program's main window on the offscreen platform at 100 %, with a file open, for
// the benchmarks that drive it as a user would.
#include <functional>

class CMainDlg;

// Waits for the worker and handles what it posts until the window is neither loading
// nor waiting for a page.
void SettleWindow(const CMainDlg& window);

// Starts the application, shows the main window, opens the file and waits for its
// first page, then runs body on the window and returns its status. Returns 2, with a
// line on stderr naming the benchmark, when the window cannot be shown.
int RunWithFileOpen(const char* benchmark, char* program, const char* path,
                    const std::function<int(CMainDlg&)>& body);
