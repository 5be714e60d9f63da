#pragma once

// Runs the import's first stage on a thread of its own: the read-ahead thread fills
// blocks of lines (read, split, converted) ahead of the import, which takes them in
// file order, also while the import yields. Blocks are handed over under a mutex, one
// block at a time; the read-ahead thread is invisible outside the import.
#include "data/import/block_filler.h"

#include <functional>
#include <memory>
#include <thread>

class CReadAhead {
public:
    // Starts the read-ahead thread on the filler, whose reader is open. Once stopped()
    // returns true, Next hands out no more blocks (it asks while it waits for one).
    CReadAhead(std::unique_ptr<CBlockFiller> filler, std::function<bool()> stopped);
    // Stops the read-ahead thread, also in the middle of the source. One held up inside
    // a read (a stalled network share) is not waited for: it keeps what it uses alive
    // and ends once its read returns.
    ~CReadAhead();
    CReadAhead(const CReadAhead&) = delete;
    CReadAhead& operator=(const CReadAhead&) = delete;

    // The next block in source order, nullptr after the last one and once stopped. A
    // block stays valid until the next call. An error of the read-ahead thread (out of
    // memory) is thrown here.
    const CLineBlock* Next();

    // Seconds the read-ahead thread spent filling blocks, and seconds Next waited for
    // one: how the two threads shared the work, for benchmarks.
    double FillSeconds();
    double WaitSeconds() const { return m_dWaitSeconds; }

private:
    struct Shared;  // the filler and the blocks, shared with the read-ahead thread

    std::shared_ptr<Shared> m_shared;
    std::function<bool()> m_stopped;
    double m_dWaitSeconds = 0.0;
    std::thread m_thread;
};
