// Times paging and zooming in the program's main window on the offscreen platform:
// from a wheel step or a zoom-button click to the new page composed on screen (the
// worker's page prepared, copied into the chart and the window repainted). Every
// tenth step is a zoom click, moving between levels 1 and 4; the others are wheel
// steps, which turn back at either end of the file. Prints the median and spread,
// and how much of the median the worker's preparation of the page takes.
//
//   paging PATH [STEPS]     (PATH: e.g. a gen-recorder-csv file of 134217727 bytes)
#include "app/main_dlg.h"
#include "bench_window.h"
#include "guiex/smooth_btn.h"

#include <QCoreApplication>
#include <QWheelEvent>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

void Wheel(CMainDlg& window, int delta)
{
    const QPointF centre(window.width() / 2.0, window.height() / 2.0);
    QWheelEvent event(centre, window.mapToGlobal(centre), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(&window, &event);
}

double Percentile(std::vector<double> values, int percent)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    return values[values.size() * static_cast<size_t>(percent) / 100];
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: paging PATH [STEPS]\n");
        return 2;
    }
    const int steps = argc > 2 ? std::max(1, std::atoi(argv[2])) : 100;
    return RunWithFileOpen("paging", argv[0], argv[1], [&](CMainDlg& window) {
        if (window.GetTotal() <= window.GetPageCount()) {
            std::fprintf(stderr, "paging: %s has no second page\n", argv[1]);
            return 2;
        }

        std::vector<double> wheelMs, zoomMs, allMs, prepareMs;
        int delta = 120;
        int zoomDirection = +1;
        for (int i = 0; i < steps; ++i) {
            const bool zoom = i % 10 == 9;
            const int firstBefore = window.GetFirst();
            const Clock::time_point started = Clock::now();
            if (zoom) {
                if (window.GetZoomLevel() + zoomDirection < 1 || window.GetZoomLevel() + zoomDirection > 4)
                    zoomDirection = -zoomDirection;
                window.GetButton(zoomDirection > 0 ? 3 : 4)->click();
            } else {
                Wheel(window, delta);
            }
            while (window.IsBusy())
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            window.repaint();
            const double ms = std::chrono::duration<double, std::milli>(Clock::now() - started).count();
            (zoom ? zoomMs : wheelMs).push_back(ms);
            allMs.push_back(ms);
            prepareMs.push_back(CMemoryTransferManage::GetInstance()->GetWorkStatistics().prepareSeconds * 1000.0);
            // A wheel step that did not move has reached an end of the file: turn back.
            if (!zoom && window.GetFirst() == firstBefore)
                delta = -delta;
            SettleWindow(window);
        }
        std::printf("paging: %d samples, %d steps (%zu wheel, %zu zoom): median %.2f ms, p90 %.2f ms, max %.2f ms; "
                    "wheel median %.2f ms, zoom median %.2f ms; the worker's preparation median %.2f ms\n",
                    window.GetTotal(), steps, wheelMs.size(), zoomMs.size(), Percentile(allMs, 50),
                    Percentile(allMs, 90), *std::max_element(allMs.begin(), allMs.end()), Percentile(wheelMs, 50),
                    Percentile(zoomMs, 50), Percentile(prepareMs, 50));
        return 0;
    });
}
