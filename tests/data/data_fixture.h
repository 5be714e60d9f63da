#pragma once

// Drives the real data manager and its worker thread: the chart's layers are stand-in
// surfaces of a chosen plot size, the main window is a QObject that records the
// completion messages the worker posts.
#include "data/data_manager.h"
#include "data/visibility_flags.h"
#include "guiex/guiex_dc.h"
#include "support/temp_dir.h"

#include <QObject>
#include <gtest/gtest.h>
#include <memory>
#include <utility>
#include <vector>

class MessageSink : public QObject {
public:
    std::vector<std::pair<uintptr_t, intptr_t>> received;  // wParam, lParam of each WM_TRANSFER_NOTIFY

protected:
    bool event(QEvent* e) override;
};

class DataManagerTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Lends the manager layers whose plot is width × height pixels.
    void AttachPlot(int width, int height = 450);
    // Settings as the user enters them (time-label column 1-based).
    void Settings(int timeOrder, int timeColumn, int labelFormat = 0, int rangeMode = 0, int manualMax = 0,
                  int manualMin = 0);
    // Loads the file through the worker and returns the load's result.
    intptr_t Load(const std::string& path);
    intptr_t QueryLoad(TimeValue start, TimeValue end, bool fitAll);
    void Prepare();
    // Processes events until the given completion message arrives; returns its lParam.
    intptr_t WaitFor(uintptr_t wParam);

    // The channel names as decoded, in UTF-8.
    std::vector<std::string> Names() const;
    const CLabelStore& Labels() const;
    const std::vector<CSampleArray>& Samples() const;
    struct Page {
        int first, count, step;
    };
    Page PageWindow() const;

    // The lent layers: the plot and value-axis backgrounds (white) and the time-axis layer.
    COM_GUI_EX::CGUIEXDC* PlotLayer() { return m_plot.get(); }
    COM_GUI_EX::CGUIEXDC* ValueLayer() { return m_value.get(); }
    COM_GUI_EX::CGUIEXDC* TimeLayer() { return m_time.get(); }

    CMemoryTransferManage* manager = CMemoryTransferManage::GetInstance();
    MessageSink sink;
    TempDir dir;
    CVisibilityFlags flags;

private:
    std::unique_ptr<COM_GUI_EX::CGUIEXDC> m_plot, m_value, m_time;
};

// A recorder file: header "Time,CH01.." and rows one second apart from 2024/05/06 12:00:00,
// reading r of channel c being value(r, c).
std::string RecorderCsv(int rows, int channels, double (*value)(int row, int channel));
