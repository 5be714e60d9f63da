// The data manager's life cycle, its worker thread and its load.
#include "data/data_manager.h"
#include "data/import/csv_import.h"
#include "data/transfer_messages.h"
#include "guiex/guiex_dc.h"
#include "guiex/posted_message.h"

#include <QObject>
#include <algorithm>
#include <chrono>
#include <exception>
#if defined(__linux__)
#include <sys/prctl.h>
#endif

namespace {
// Built during static initialisation, so the worker runs before any window exists.
CMemoryTransferManage* const g_startAtLoad = CMemoryTransferManage::GetInstance();

// What a finished import means for the open file: LOAD_FINISHED only when the new
// dataset has a channel and keeps a data row, so that it can take the open one's place.
int Verdict(const CImportResult& imported, bool query)
{
    if (imported.result != LOAD_FINISHED)
        return imported.result;
    const CDataset& dataset = imported.dataset;
    if (dataset.ChannelCount() == 0)
        return LOAD_NO_DATA;
    const bool kept = !dataset.labels.empty() ||
                      std::any_of(dataset.samples.begin(), dataset.samples.end(),
                                  [](const CSampleArray& channel) { return !channel.empty(); });
    if (kept)
        return LOAD_FINISHED;
    return query && dataset.dataRead ? LOAD_NONE_IN_RANGE : LOAD_NO_DATA;
}

}  // namespace

const COLORREF CMemoryTransferManage::kPalette[kMaxChannels] = {
    0xFF0000, 0x0000FF, 0x008000, 0x804000, 0xA000A0, 0x406020, 0x552200, 0x303090,
    0x66FFAA, 0xC57260, 0x6568CE, 0x006060, 0xB5648D, 0x3080A0, 0x30F0F0, 0xFF80FF,
};

// Stops the single manager's worker at process exit. A worker that has not ended
// within kExitWaitMs may still be using the manager (held up in a read from a stalled
// network share, for instance): the manager is then left as it is and the process
// ends around it.
struct CMemoryTransferManage::ExitStop {
    CMemoryTransferManage* const manager;
    ~ExitStop()
    {
        if (manager->StopWorker(std::chrono::milliseconds(kExitWaitMs)))
            delete manager;
    }
};

CMemoryTransferManage* CMemoryTransferManage::GetInstance()
{
    // Not a static object itself: static destruction must not free what a worker
    // that did not end still uses.
    static CMemoryTransferManage* const instance = new CMemoryTransferManage;
    static const ExitStop stop{instance};
    return instance;
}

CMemoryTransferManage::CMemoryTransferManage()
{
    m_worker = std::thread(&CMemoryTransferManage::WorkerMain, this);
}

CMemoryTransferManage::~CMemoryTransferManage()
{
    // The stop flag also ends a load in progress, so the worker ends; the dataset is
    // freed only after it has.
    m_bStop.store(1);
    WakeWorker();
    if (m_worker.joinable())
        m_worker.join();
    ClearData();
}

int CMemoryTransferManage::LoadFile()
{
    const auto started = std::chrono::steady_clock::now();
    CImportSettings settings;
    std::string path;
    {
        std::lock_guard<std::mutex> lock(m_pathLock);
        path = m_strFilePath;
    }
    settings.timeColumn = m_nTimeColumn.load();
    settings.query = m_bQuery.load() != 0;
    settings.queryStart = m_tQueryStart.load();
    settings.queryEnd = m_tQueryEnd.load();
    settings.fitAll = m_bFitAll.load() != 0;
    settings.plotWidth = m_nPlotWidth.load();
    settings.timeOrder = m_nTimeOrderSetting.load();

    if (path.empty()) {
        // No file: the open one is closed.
        ClearLoad();
        m_strOpenPath.clear();
        SetPageWindow(OpeningPage(m_dataset, settings.plotWidth, m_nTimeOrder.load()));
        return LOAD_FINISHED;
    }
    m_statistics.yieldSeconds = 0.0;
    CImportControl control;
    control.stopped = [this] { return m_bStop.load() != 0; };
    control.yield = [this] {
        const auto slept = std::chrono::steady_clock::now();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        m_statistics.yieldSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - slept).count();
    };
    CImportResult imported;
    int result = LOAD_FINISHED;
    try {
        imported = ImportDataset(CByteSource::File(path.c_str()), settings, control);
        result = Verdict(imported, settings.query);
    } catch (const CReadError&) {
        result = LOAD_READ_ERROR;
    } catch (const std::exception&) {
        // Out of memory on a huge file, or no thread for the import's read-ahead.
        result = LOAD_OUT_OF_MEMORY;
    }
    m_statistics.lines = imported.lines;
    m_statistics.readSeconds = imported.fillSeconds;
    m_statistics.waitSeconds = imported.waitSeconds;
    m_statistics.loadSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    m_dialect = std::move(imported.dialect);
    // The open dataset goes only for one that can take its place: a load that fails
    // or finds nothing to show leaves the open file as it was.
    if (result == LOAD_FINISHED) {
        ClearData();
        m_dataset = std::move(imported.dataset);
        m_nTimeOrder.store(imported.timeOrder);
        m_nLeftOutColumns = imported.leftOutColumns;
        SetPageWindow(imported.page);
        m_strOpenPath = path;
    } else {
        KeepOpenPath(path);
    }
    return result;
}

void CMemoryTransferManage::KeepOpenPath(const std::string& failed)
{
    std::lock_guard<std::mutex> lock(m_pathLock);
    if (m_strFilePath == failed)
        m_strFilePath = m_strOpenPath;
}

void CMemoryTransferManage::ClearData()
{
    m_dataset = CDataset();
    SetPageWindow(CPageWindow());
    m_page.axisMin = m_page.axisMax = m_page.axisSpan = 0.0;
    ClearDisplaySeries();
}

void CMemoryTransferManage::ClearLoad()
{
    ClearData();
    m_dataset = CDataset::Cleared();
}

void CMemoryTransferManage::ClearDisplaySeries()
{
    std::vector<CSampleArray>().swap(m_page.series);
}

void CMemoryTransferManage::SetPageWindow(const CPageWindow& page)
{
    m_nStep.store(page.step);
    m_nPageFirst.store(page.first);
    m_nPageCount.store(page.count);
}

bool CMemoryTransferManage::StopWorker(std::chrono::milliseconds timeout)
{
    m_bStop.store(1);
    WakeWorker();
    {
        std::unique_lock<std::mutex> lock(m_exitLock);
        if (!m_exitSignal.wait_for(lock, timeout, [this] { return m_bExited; }))
            return false;
    }
    if (m_worker.joinable())
        m_worker.join();
    return true;
}

void CMemoryTransferManage::WorkerMain()
{
#if defined(__linux__)
    // A load's 1 ms yields end when asked instead of up to the default timer slack of
    // 50 µs later.
    prctl(PR_SET_TIMERSLACK, 1000UL);
#endif
    while (m_bStop.load() == 0) {
        if (m_nRequest.load() & REQUEST_LOAD) {
            m_nBusy.store(1);
            m_nRequest.fetch_and(~REQUEST_LOAD);
            int result = LOAD_FINISHED;
            try {
                result = LoadFile();
            } catch (const std::exception&) {
                result = LOAD_OUT_OF_MEMORY;  // before the import started: the open file stays
            }
            if (m_bStop.load() == 0)
                Post(TRANSFER_LOADED, result);
        }
        if (m_bStop.load() == 0 && (m_nRequest.load() & REQUEST_PREPARE)) {
            m_nBusy.store(1);
            m_nRequest.fetch_and(~REQUEST_PREPARE);
            int result = 0;
            try {
                result = PrepareDisplay();
            } catch (const std::exception&) {
                ClearDisplaySeries();
            }
            Post(TRANSFER_PREPARED, result);
        }
        m_nBusy.store(0);
        WaitForRequest();
    }
    std::lock_guard<std::mutex> lock(m_exitLock);
    m_bExited = true;
    m_exitSignal.notify_all();
}

void CMemoryTransferManage::WaitForRequest()
{
    std::unique_lock<std::mutex> lock(m_requestLock);
    m_requestSignal.wait(lock, [this] { return m_nRequest.load() != 0 || m_bStop.load() != 0; });
}

void CMemoryTransferManage::WakeWorker()
{
    {
        std::lock_guard<std::mutex> lock(m_requestLock);
    }
    m_requestSignal.notify_one();
}

void CMemoryTransferManage::SetMainWindow(QObject* window)
{
    std::lock_guard<std::mutex> lock(m_receiverLock);
    QObject::disconnect(m_receiverWatch);
    m_pMainWindow = window;
    if (!window)
        return;
    // Forget the receiver while it is being destroyed: its destructor removes the
    // events already queued for it, and nothing is posted to it afterwards.
    m_receiverWatch = QObject::connect(window, &QObject::destroyed, [this, window] {
        std::lock_guard<std::mutex> guard(m_receiverLock);
        if (m_pMainWindow == window)
            m_pMainWindow = nullptr;
    });
}

void CMemoryTransferManage::Post(uint32_t wParam, intptr_t lParam)
{
    m_nPublished.fetch_add(1, std::memory_order_release);
    std::lock_guard<std::mutex> lock(m_receiverLock);
    if (m_pMainWindow)
        COM_GUI_EX::PostMessage(m_pMainWindow, WM_TRANSFER_NOTIFY, wParam, lParam);
}

void CMemoryTransferManage::RequestLoad(const char* path)
{
    m_bQuery.store(0);
    {
        std::lock_guard<std::mutex> lock(m_pathLock);
        m_strFilePath = path ? path : "";
    }
    m_nRequest.fetch_or(REQUEST_LOAD);
    WakeWorker();
}

void CMemoryTransferManage::RequestQueryLoad(int enabled, TimeValue start, TimeValue end, int fitAll)
{
    m_bQuery.store(enabled);
    m_tQueryStart.store(start);
    m_tQueryEnd.store(end);
    m_bFitAll.store(fitAll);
    m_nRequest.fetch_or(REQUEST_LOAD);
    WakeWorker();
}

void CMemoryTransferManage::RequestPrepare()
{
    m_nRequest.fetch_or(REQUEST_PREPARE);
    WakeWorker();
}

bool CMemoryTransferManage::WaitIdle(int timeoutMs) const
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    // The worker marks itself busy before it clears a request bit, so reading the
    // word first and the mark second never sees a gap between the two.
    while (m_nRequest.load() != 0 || m_nBusy.load() != 0) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}
