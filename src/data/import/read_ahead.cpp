#include "data/import/read_ahead.h"

#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <utility>
#if defined(__linux__)
#include <pthread.h>
#endif

// What the read-ahead thread uses. Counted from the source's first block, block n lives
// in blocks[n % kBlocks]: blocks taken .. filled - 1 are filled and wait for the import,
// blocks released .. taken - 1 are the import's, the rest the read-ahead thread's. The
// counters and flags are guarded by lock; a block's contents belong to whoever the
// counters give it to.
struct CReadAhead::Shared {
    static constexpr int kBlocks = 4;

    explicit Shared(std::unique_ptr<CBlockFiller> blockFiller) : filler(std::move(blockFiller)) {}

    void ReadMain();

    std::unique_ptr<CBlockFiller> filler;
    CLineBlock blocks[kBlocks];
    std::mutex lock;
    std::condition_variable filledSignal;
    std::condition_variable freeSignal;
    uint64_t filled = 0;
    uint64_t taken = 0;
    uint64_t released = 0;
    bool ended = false;      // the read-ahead thread filled its last block
    bool cancelled = false;  // the import wants no more blocks
    bool reading = false;    // the read-ahead thread is filling a block, perhaps inside a read
    std::exception_ptr error;
    double fillSeconds = 0.0;
};

namespace {
// How long Next waits for a block before it asks whether to stop again.
constexpr auto kStopPoll = std::chrono::milliseconds(1);
}  // namespace

CReadAhead::CReadAhead(std::unique_ptr<CBlockFiller> filler, std::function<bool()> stopped)
    : m_shared(std::make_shared<Shared>(std::move(filler))), m_stopped(std::move(stopped))
{
    m_thread = std::thread([shared = m_shared] { shared->ReadMain(); });
}

CReadAhead::~CReadAhead()
{
    bool reading;
    {
        std::lock_guard<std::mutex> lock(m_shared->lock);
        m_shared->cancelled = true;
        reading = m_shared->reading;
    }
    m_shared->freeSignal.notify_one();
    // Between blocks the read-ahead thread sees the cancel at once; inside one it may
    // wait in a read for as long as the source stalls.
    if (reading)
        m_thread.detach();
    else
        m_thread.join();
}

const CLineBlock* CReadAhead::Next()
{
    Shared& shared = *m_shared;
    std::unique_lock<std::mutex> lock(shared.lock);
    // The block taken last is given back: the read-ahead thread may fill it again.
    shared.released = shared.taken;
    shared.freeSignal.notify_one();
    const auto waited = std::chrono::steady_clock::now();
    while (shared.taken == shared.filled && !shared.ended) {
        if (m_stopped && m_stopped())
            return nullptr;
        shared.filledSignal.wait_for(lock, kStopPoll);
    }
    m_dWaitSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - waited).count();
    if (shared.taken < shared.filled)
        return &shared.blocks[shared.taken++ % Shared::kBlocks];
    if (shared.error)
        std::rethrow_exception(shared.error);
    return nullptr;
}

double CReadAhead::FillSeconds()
{
    std::lock_guard<std::mutex> lock(m_shared->lock);
    return m_shared->fillSeconds;
}

void CReadAhead::Shared::ReadMain()
{
#if defined(__linux__)
    pthread_setname_np(pthread_self(), "import-ahead");  // tells it apart in profilers and debuggers
#endif
    try {
        for (;;) {
            CLineBlock* block;
            {
                std::unique_lock<std::mutex> guard(lock);
                freeSignal.wait(guard, [this] { return filled - released < kBlocks || cancelled; });
                if (cancelled)
                    return;
                block = &blocks[filled % kBlocks];
                reading = true;
            }
            const auto started = std::chrono::steady_clock::now();
            const bool more = filler->Fill(*block);
            const auto done = std::chrono::steady_clock::now();
            {
                std::lock_guard<std::mutex> guard(lock);
                reading = false;
                fillSeconds += std::chrono::duration<double>(done - started).count();
                if (!block->lines.empty())
                    ++filled;
                ended = !more;
            }
            filledSignal.notify_one();
            if (!more)
                return;
        }
    } catch (const std::exception&) {
        std::lock_guard<std::mutex> guard(lock);
        reading = false;
        error = std::current_exception();
        ended = true;
        filledSignal.notify_one();
    }
}
