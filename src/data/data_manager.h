#pragma once

// The program's single data manager: the loaded dataset, the settings that steer
// import and display, the query, the page window, the prepared page, and the one
// worker thread that loads files and prepares pages.
//
// Threads: the user-interface thread calls the public operations; the worker runs
// LoadFile and PrepareDisplay when their bit of the request word is set and posts
// WM_TRANSFER_NOTIFY to the main window when done.
// - Atomic: the request word, the stop flag, the busy mark, every setting, the query,
//   the page window and the plot size; each is one value that either thread may
//   change at any time. LoadFile and PrepareDisplay take their inputs once, at their
//   start, so a change made meanwhile is served by the next request.
// - Handed over, not locked: the dataset and the prepared page. Only the worker writes
//   them; the user-interface thread reads them after the completion message, and the
//   release/acquire pair on m_nPublished makes the worker's writes visible to it.
// - Locked: the path (a string, m_pathLock), the receiver of the messages
//   (m_receiverLock, so forgetting it and posting cannot race), the worker's sleep
//   between requests (m_requestLock: a request or the stop wakes it), the work surfaces
//   (m_surfaceLock: a legend click can start a preparation while the last page is
//   still being copied out) and the worker's end (m_exitLock, so that StopWorker can
//   wait for it with a time-out).
// - Inside a load the import runs a read-ahead thread of its own, which has ended or
//   is told to end when the load returns (see CReadAhead); nothing of it shows here.
#include "common/text_convert.h"
#include "data/dataset.h"
#include "data/import/dialect.h"
#include "data/import/import_limits.h"
#include "data/label_store.h"
#include "data/prepare_display.h"
#include "data/page_window.h"
#include "data/time_label.h"
#include "guiex/win_types.h"

#include <QMetaObject>
#include <QString>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class QObject;
struct CVisibilityFlags;
namespace COM_GUI_EX {
class CGUIEXDC;
}


class CMemoryTransferManage {
public:
    static constexpr int kMaxChannels = kLargestChannelCount;
    static constexpr uint64_t kLargestFile = ::kLargestFile;  // files of this size or more are refused
    static constexpr uint32_t REQUEST_LOAD = 1;
    static constexpr uint32_t REQUEST_PREPARE = 2;
    static const COLORREF kPalette[kMaxChannels];

    // What the last load and the last preparation took: for diagnostics and benchmarks.
    struct WorkStatistics {
        uint64_t lines = 0;           // lines of the last load
        double loadSeconds = 0.0;     // the whole last load
        double yieldSeconds = 0.0;    // the part of it spent in the 1 ms yields
        double readSeconds = 0.0;     // the read-ahead thread's work (lines, fields, readings), yields overlapped
        double waitSeconds = 0.0;     // the part of the load the worker waited for the read-ahead thread
        double prepareSeconds = 0.0;  // the last preparation
    };

    static CMemoryTransferManage* GetInstance();

    CMemoryTransferManage();
    virtual ~CMemoryTransferManage();
    CMemoryTransferManage(const CMemoryTransferManage&) = delete;
    CMemoryTransferManage& operator=(const CMemoryTransferManage&) = delete;

    // --- user-interface thread -------------------------------------------------
    // The receiver of the completion messages (null: none). A receiver that is
    // destroyed is forgotten before its destruction completes.
    void SetMainWindow(QObject* window);
    // timeOrder and timeColumn as the settings record holds them; kAutomaticChoice
    // leaves them to each file's dialect.
    void ApplySettings(int timeOrder, int timeColumn, int labelFormat, int rangeMode, int manualMax, int manualMin);
    // A load of the file; an empty path closes the open one.
    void RequestLoad(const char* path);
    void RequestQueryLoad(int enabled, TimeValue start, TimeValue end, int fitAll);
    void RequestPrepare();
    int SetPage(const int* first, const int* step);
    // The channel names, decoded by the file's encoding; the labels as the file's bytes.
    void GetDataViews(const std::vector<QString>** names, const CLabelStore** labels,
                      const std::vector<CSampleArray>** samples, int* first, int* labelCount, int* pageCount,
                      int* step) const;
    void GetTimeRange(TimeValue* first, TimeValue* last) const;
    // The smallest and largest reading of the last load, rows the query dropped
    // included (the automatic axis is built from them); false when the load read no
    // data row.
    bool GetDataRange(double* minimum, double* maximum) const;
    // How the last file read is written, as its first bytes told, whether it was
    // loaded or refused (like the work statistics, it describes the last load).
    CDialect GetDialect() const;
    // The order the last load placed its opening page by (the setting's, or the one
    // found in the file's labels): 0 ascending, 1 descending.
    int GetTimeOrder() const;
    // Measurement columns of the last loaded file beyond the largest channel count, not read.
    int GetLeftOutColumns() const;
    // Every channel's value at the sample index and its time label, decoded.
    void GetReadout(int index, CSampleArray* values, QString* label) const;
    const std::vector<CSampleArray>* GetDisplaySeries(int* step) const;
    void GetAxisRange(double* minimum, double* maximum) const;
    void GetAxisLabels(std::vector<QString>* labels) const;
    // The chart's layers and flags, lent until ReleaseWorkSurfaces.
    void AttachChartLayers(COM_GUI_EX::CGUIEXDC* plotBackground, COM_GUI_EX::CGUIEXDC* valueBackground,
                           COM_GUI_EX::CGUIEXDC* timeLayer, const CVisibilityFlags* flags);
    // Copies the prepared page into the chart's display layers (nothing while no
    // channel is loaded, so the chart keeps its own pictures). Returns false, copying
    // nothing, while the worker is drawing a newer page: its completion message
    // brings another copy.
    bool CopyWorkSurfaces(COM_GUI_EX::CGUIEXDC* plotLayer, COM_GUI_EX::CGUIEXDC* valueLayer,
                          COM_GUI_EX::CGUIEXDC* timeLayer) const;
    void ReleaseWorkSurfaces();

    int GetChannelCount() const;
    int GetPlotWidth() const { return m_nPlotWidth.load(); }
    const WorkStatistics& GetWorkStatistics() const { return m_statistics; }
    // Waits until no request is pending or running (for tests and headless use).
    bool WaitIdle(int timeoutMs) const;
    // Asks the worker to end and waits for it at most `timeout`; true when it has ended.
    // The single manager's worker is stopped so at process exit, with kExitWaitMs.
    bool StopWorker(std::chrono::milliseconds timeout);
    static constexpr int kExitWaitMs = 3000;

    // --- worker thread ------------------------------------------------------
    // Takes the import settings once and imports the file; its dataset takes the open
    // one's place only when the result is LOAD_FINISHED (a read error or running out
    // of memory give LOAD_READ_ERROR and LOAD_OUT_OF_MEMORY). An empty path closes the
    // file.
    int LoadFile();
    // Takes the page request once and prepares the page into the work surfaces.
    int PrepareDisplay();
    // The text drawn for a raw label with the given label format, the label read as its file's labels read.
    static void FormatTimeLabel(const char* label, int format, const CLabelReading& reading, std::string* text);
    static int ChooseStep(int sampleCount, int plotWidth) { return ::ChooseStep(sampleCount, plotWidth); }
    // The sixteen value-axis labels ("%.1f") from the maximum down to the minimum in
    // fifteen equal steps, made by repeated subtraction.
    static std::vector<std::string> MakeValueLabels(double axisMin, double axisMax);

private:
    struct ExitStop;

    void WorkerMain();
    // Sleeps until a request bit or the stop flag is set.
    void WaitForRequest();
    // Wakes the worker after a request bit or the stop flag was set.
    void WakeWorker();
    void Post(uint32_t wParam, intptr_t lParam);
    // The dataset, the page window and the display series go: when a loaded dataset
    // takes their place, and when the file is closed (ClearLoad also sets today as the
    // time range).
    void ClearData();
    void ClearLoad();
    void ClearDisplaySeries();
    // After a failed load of `failed`: the path goes back to the open file's, so that a
    // query load reads the file on screen. A path requested meanwhile stays.
    void KeepOpenPath(const std::string& failed);
    void SetPageWindow(const CPageWindow& page);

    // Worker thread and request word.
    std::thread m_worker;
    std::atomic<int> m_bStop{0};
    std::atomic<uint32_t> m_nRequest{0};
    std::atomic<int> m_nBusy{0};  // non-zero while the worker serves a request
    // The worker sleeps on m_requestSignal while the request word and the stop flag
    // are clear. Who sets either takes m_requestLock before notifying, so a wake-up
    // cannot fall between the worker's test and its sleep.
    std::mutex m_requestLock;
    std::condition_variable m_requestSignal;
    // Counts completions. The worker adds to it with release order before it posts a
    // completion message, and every getter of the dataset and the prepared page reads
    // it with acquire order: what the worker wrote is visible to whoever got the
    // message, independent of how the message travelled.
    mutable std::atomic<uint32_t> m_nPublished{0};
    std::mutex m_exitLock;
    std::condition_variable m_exitSignal;
    bool m_bExited = false;

    // Receiver of the completion messages; guarded so that clearing it and posting cannot race.
    mutable std::mutex m_receiverLock;
    QObject* m_pMainWindow = nullptr;
    QMetaObject::Connection m_receiverWatch;

    // Path of the file to load; written by the user-interface thread, read at the start of a load.
    mutable std::mutex m_pathLock;
    std::string m_strFilePath;
    // Path of the file the dataset was loaded from; the worker's own.
    std::string m_strOpenPath;

    // Settings.
    std::atomic<int> m_nTimeOrderSetting{1};  // may be kAutomaticChoice
    std::atomic<int> m_nTimeOrder{1};         // the order pages are prepared by: the setting's or the file's
    std::atomic<int> m_nTimeColumn{0};  // 0-based field index; anything no field reaches means no labels
    std::atomic<int> m_nLabelFormat{0};
    std::atomic<int> m_nRangeMode{0};
    std::atomic<int> m_nManualMax{0};
    std::atomic<int> m_nManualMin{0};

    // Query.
    std::atomic<int> m_bQuery{0};
    std::atomic<TimeValue> m_tQueryStart{0};
    std::atomic<TimeValue> m_tQueryEnd{0};
    std::atomic<int> m_bFitAll{0};

    // Dataset (written only by a load; read by others between loads).
    CDataset m_dataset;
    CDialect m_dialect;
    int m_nLeftOutColumns = 0;
    WorkStatistics m_statistics;

    // Page window.
    std::atomic<int> m_nPageFirst{0};
    std::atomic<int> m_nPageCount{0};
    std::atomic<int> m_nStep{1};

    // The chart's layers and flags, and the surfaces the worker draws into.
    std::atomic<int> m_nPlotWidth{0};
    std::atomic<int> m_nPlotHeight{0};
    COM_GUI_EX::CGUIEXDC* m_pPlotBackground = nullptr;
    COM_GUI_EX::CGUIEXDC* m_pValueBackground = nullptr;
    std::atomic<const CVisibilityFlags*> m_pVisibility{nullptr};
    std::unique_ptr<COM_GUI_EX::CGUIEXDC> m_pPlotSurface;
    std::unique_ptr<COM_GUI_EX::CGUIEXDC> m_pValueSurface;
    std::unique_ptr<COM_GUI_EX::CGUIEXDC> m_pTimeSurface;
    int m_nPenWidth = 1;
    // Held by a preparation while it draws and by a copy while it reads the surfaces:
    // a legend click can start a preparation before the previous page was copied.
    mutable std::mutex m_surfaceLock;

    // The prepared page.
    CPreparedPage m_page;
};
