#pragma once

// One export run: the program's own main window, chart, data manager and worker on
// Qt's offscreen platform, driven as a user would drive them (open, query, zoom,
// page, legend clicks, cursor), then asked for its summary, its picture and its
// printed sheet. Needs the application object; user-interface thread.
#include "data/import/dialect.h"
#include "export_options.h"

#include <string>

class CJsonWriter;
class CMainDlg;

// Exit statuses of the tool.
constexpr int kExportOk = 0;
constexpr int kExportFailed = 2;

// Checks that the input can be read and the outputs written, before anything is
// loaded; false with a one-line reason.
bool CheckExportPaths(const CExportOptions& options, std::string* error);

// Runs the whole export; writes what the options ask for. Returns the exit status,
// with a one-line reason in error when it is not kExportOk.
int RunExport(const CExportOptions& options, std::string* error);

// The summary --info prints, from the window's and the data manager's state and the
// file's dialect.
std::string ExportSummaryJson(const CMainDlg& window, int loadResult, const CDialect& dialect, bool withSeries);

// The dialect as one JSON object, the value of the key the writer is at.
void WriteDialectJson(const CDialect& dialect, CJsonWriter* json);
