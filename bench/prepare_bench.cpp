// Times the preparation of one full page through the real worker: 16 channels, a
// plot 1050 pixels wide at step 1 (1051 columns), time labels on. Prints the median
// and spread of many runs.
//
//   prepare [RUNS]
#include "data/data_manager.h"
#include "data/visibility_flags.h"
#include "guiex/guiex_dc.h"

#include <QGuiApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <vector>

namespace {

// 1200 rows one second apart, 16 channels of slow waves.
std::string WriteFile(const QTemporaryDir& dir)
{
    const std::string path = dir.filePath("page.csv").toStdString();
    std::ofstream out(path);
    out << "Time";
    for (int c = 1; c <= 16; ++c)
        out << ",CH" << (c < 10 ? "0" : "") << c;
    out << "\n";
    char label[32];
    for (int r = 0; r < 1200; ++r) {
        const int s = 12 * 3600 + r;
        std::snprintf(label, sizeof label, "2024/05/06 %02d:%02d:%02d", s / 3600, s / 60 % 60, s % 60);
        out << label;
        for (int c = 0; c < 16; ++c)
            out << "," << 20.0 + 15.0 * std::sin(r / 40.0 + c) + c;
        out << "\n";
    }
    return path;
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QGuiApplication app(argc, argv);
    const int runs = argc > 1 ? std::atoi(argv[1]) : 200;
    QTemporaryDir dir;
    const std::string path = WriteFile(dir);

    COM_GUI_EX::CGUIEXDC plot(nullptr, 1050, 450), value(nullptr, 80, 480), time(nullptr, 1130, 120);
    plot.FillSolid(0xFFFFFF);
    value.FillSolid(0xFFFFFF);
    time.FillSolid(0xFFFFFF);
    CVisibilityFlags flags;
    CMemoryTransferManage* manager = CMemoryTransferManage::GetInstance();
    manager->AttachChartLayers(&plot, &value, &time, &flags);
    manager->ApplySettings(0, 1, 3, 0, 0, 0);
    manager->RequestLoad(path.c_str());
    manager->WaitIdle(60000);
    const int first = 0, step = 1;
    const int columns = manager->SetPage(&first, &step);

    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        manager->RequestPrepare();
        manager->WaitIdle(60000);
        ms.push_back(manager->GetWorkStatistics().prepareSeconds * 1000.0);
    }
    std::sort(ms.begin(), ms.end());
    std::printf("prepare: %d columns x 16 channels, %d runs: median %.2f ms, min %.2f ms, p90 %.2f ms\n", columns,
                runs, ms[ms.size() / 2], ms.front(), ms[ms.size() * 9 / 10]);
    manager->AttachChartLayers(nullptr, nullptr, nullptr, nullptr);
    manager->ReleaseWorkSurfaces();
    return 0;
}
