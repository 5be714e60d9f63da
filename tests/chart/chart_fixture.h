#pragma once

// Drives the chart as the main window does: a parent widget that owns the page state
// and records the messages posted to it, the real data manager and its worker, data
// files written to a temporary folder, mouse input through Qt Test.
#include "chart/chart_messages.h"
#include "chart/curve_wnd.h"
#include "data/transfer_messages.h"
#include "support/recorder_file.h"
#include "support/temp_dir.h"

#include <QImage>
#include <QWidget>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

// The main window's stand-in: owner of the page state, receiver of posted messages.
class ChartHost : public QWidget {
public:
    struct Message {
        uint32_t message;
        uintptr_t wParam;
    };
    std::vector<Message> messages;  // WM_CURVE_PAGE, WM_CURVE_CURSOR, WM_TRANSFER_NOTIFY in arrival order
    int timeOrder = 0;
    int first = 0;
    int total = 0;
    int pageCount = 0;
    int zoom = 1;

protected:
    bool event(QEvent* e) override;
};

class ChartTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Replaces the chart by a new one at rect on the host, over the given background.
    void CreateChart(COM_GUI_EX::CGUIEXDC* background, const RECT& rect);
    // Data settings as the main window hands them over (time order 0 ascending).
    void ApplyTimeOrder(int timeOrder);
    // The main window's road from a load request to the refreshed layers.
    void LoadAsMainWindow(const std::string& path);
    // Processes events until WM_TRANSFER_NOTIFY with this wParam arrives; forgets it
    // and everything recorded before it.
    void WaitForTransfer(uintptr_t wParam);
    // Delivers what has been posted.
    void Pump();

    // The wParams of the recorded messages of one kind, then forgets all recorded messages.
    std::vector<uintptr_t> Take(uint32_t message);

    // Mouse input at client coordinates of the chart; moves without a button go
    // through the platform's pointer, as a real pointer does.
    void Move(int x, int y);
    void Press(int x, int y);
    void Release(int x, int y);

    QImage Grab();

    CMemoryTransferManage* manager = CMemoryTransferManage::GetInstance();
    ChartHost host;
    CCurveWnd* chart = nullptr;  // a child of host
    TempDir dir;
};

// Readings 51, 43 and 57 for channels 0, 1 and 2 (a ReadingText of RecorderCsv): the
// automatic axis is 30 .. 60, so the curves lie on rows 135, 255 and 45 of the plot,
// between the grid lines.
std::string ThreeLevels(int second, int channel);

// "#rrggbb" of a pixel.
std::string Pixel(const QImage& image, int x, int y);
// Whether every channel of the pixel is within tolerance of "#rrggbb".
bool Near(const QImage& image, int x, int y, const char* colour, int tolerance = 2);
// Pixels of the rectangle that are not white.
int InkIn(const QImage& image, const RECT& area);
