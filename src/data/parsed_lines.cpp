#include "data/parsed_lines.h"

#include "data/field_splitter.h"
#include "data/reading_row.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <exception>
#include <mutex>
#if defined(__linux__)
#include <pthread.h>
#endif

int NamedChannels(int fieldCount, int timeColumn)
{
    const int names = fieldCount - (timeColumn >= 0 && timeColumn < fieldCount ? 1 : 0);
    return std::min(names, CParsedBlock::kChannels);
}

// What the reading thread uses. Counted from the file's first block, block n lives in
// blocks[n % kBlocks]: blocks taken .. filled - 1 are filled and wait for the worker,
// blocks released .. taken - 1 are the worker's, the rest the reading thread's.
struct CParsedLines::Shared {
    static constexpr int kBlocks = 4;

    explicit Shared(int column) : timeColumn(column) {}

    void ReadMain();
    // Fills the block with the next lines; false once the file has no more.
    bool FillBlock(CParsedBlock& block);
    void ParseLine(const char* begin, const char* end, CParsedBlock& block);

    CLineReader reader;
    const int timeColumn;
    int channels = 0;  // named by the header; 0 while none has been read
    bool opened = false;

    CParsedBlock blocks[kBlocks];
    std::mutex lock;
    std::condition_variable filledSignal;
    std::condition_variable freeSignal;
    uint64_t filled = 0;
    uint64_t taken = 0;
    uint64_t released = 0;
    bool ended = false;      // the reading thread filled its last block
    bool cancelled = false;  // the worker wants no more blocks
    bool reading = false;    // the reading thread is filling a block, perhaps inside a read
    std::exception_ptr error;
    double readSeconds = 0.0;
};

namespace {

// Copies [begin, end) and padding bytes to the block's text as the line's text.
void KeepText(const char* begin, const char* end, size_t padding, CParsedBlock& block, CParsedLine& line)
{
    line.text = static_cast<uint32_t>(block.text.size());
    line.textLength = static_cast<uint32_t>(end - begin);
    block.text.insert(block.text.end(), begin, end);
    block.text.insert(block.text.end(), padding, '\0');
}

// How long Next waits for a block before it looks at the stop flag again.
constexpr auto kStopPoll = std::chrono::milliseconds(1);

}  // namespace

CParsedLines::CParsedLines(const char* path, int timeColumn, uint64_t refuseFrom, const std::atomic<int>* stop)
    : m_shared(std::make_shared<Shared>(timeColumn)), m_pStop(stop)
{
    for (CParsedBlock& block : m_shared->blocks)
        block.lines.reserve(CParsedBlock::kLines);
    m_shared->opened = m_shared->reader.Open(path, refuseFrom - 1);
    if (m_shared->opened && m_shared->reader.FileSize() < refuseFrom)
        m_thread = std::thread([shared = m_shared] { shared->ReadMain(); });
}

CParsedLines::~CParsedLines()
{
    bool reading;
    {
        std::lock_guard<std::mutex> lock(m_shared->lock);
        m_shared->cancelled = true;
        reading = m_shared->reading;
    }
    m_shared->freeSignal.notify_one();
    if (!m_thread.joinable())
        return;
    // Between blocks the reading thread sees the cancel at once; inside one it may
    // wait in a read for as long as the file's source stalls.
    if (reading)
        m_thread.detach();
    else
        m_thread.join();
}

bool CParsedLines::Opened() const
{
    return m_shared->opened;
}

uint64_t CParsedLines::FileSize() const
{
    return m_shared->reader.FileSize();
}

// Set when the file is opened, before the reading thread starts.
bool CParsedLines::ByteOrderMark() const
{
    return m_shared->reader.ByteOrderMark();
}

const CParsedBlock* CParsedLines::Next()
{
    if (!m_thread.joinable())
        return nullptr;
    Shared& shared = *m_shared;
    std::unique_lock<std::mutex> lock(shared.lock);
    // The block taken last is given back: the reading thread may fill it again.
    shared.released = shared.taken;
    shared.freeSignal.notify_one();
    const auto waited = std::chrono::steady_clock::now();
    while (shared.taken == shared.filled && !shared.ended) {
        if (m_pStop && m_pStop->load() != 0)
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

double CParsedLines::ReadSeconds()
{
    std::lock_guard<std::mutex> lock(m_shared->lock);
    return m_shared->readSeconds;
}

void CParsedLines::Shared::ReadMain()
{
#if defined(__linux__)
    pthread_setname_np(pthread_self(), "import-reader");  // tells it apart in profilers and debuggers
#endif
    try {
        for (;;) {
            CParsedBlock* block;
            {
                std::unique_lock<std::mutex> guard(lock);
                freeSignal.wait(guard, [this] { return filled - released < kBlocks || cancelled; });
                if (cancelled)
                    return;
                block = &blocks[filled % kBlocks];
                reading = true;
            }
            const auto started = std::chrono::steady_clock::now();
            const bool more = FillBlock(*block);
            const auto done = std::chrono::steady_clock::now();
            {
                std::lock_guard<std::mutex> guard(lock);
                reading = false;
                readSeconds += std::chrono::duration<double>(done - started).count();
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

bool CParsedLines::Shared::FillBlock(CParsedBlock& block)
{
    block.lines.clear();
    block.text.clear();
    const char* begin = nullptr;
    const char* end = nullptr;
    while (block.lines.size() < static_cast<size_t>(CParsedBlock::kLines)) {
        if (!reader.Next(begin, end))
            return false;
        ParseLine(begin, end, block);
    }
    return true;
}

namespace {

// The smallest and largest of the readings that are numbers, the first of equal ones. A
// reading that is not a number never enters: with the range first, std::min and
// std::max keep it when the reading is not a number.
void OrderedRange(const double* row, int count, double* low, double* high)
{
    *low = HUGE_VAL;
    *high = -HUGE_VAL;
    for (int c = 0; c < count; ++c) {
        *low = std::min(*low, row[c]);
        *high = std::max(*high, row[c]);
    }
}

// The same, in four interleaved ranges, which shortens the chain of dependent steps
// fourfold. Merged, they can differ from the ordered range only in which zero (-0 or 0)
// they keep, so a range with a zero end is found again in order.
void Range(const double* row, int count, double* low, double* high)
{
    double low0 = HUGE_VAL, low1 = HUGE_VAL, low2 = HUGE_VAL, low3 = HUGE_VAL;
    double high0 = -HUGE_VAL, high1 = -HUGE_VAL, high2 = -HUGE_VAL, high3 = -HUGE_VAL;
    int c = 0;
    for (; c + 4 <= count; c += 4) {
        low0 = std::min(low0, row[c]);
        low1 = std::min(low1, row[c + 1]);
        low2 = std::min(low2, row[c + 2]);
        low3 = std::min(low3, row[c + 3]);
        high0 = std::max(high0, row[c]);
        high1 = std::max(high1, row[c + 1]);
        high2 = std::max(high2, row[c + 2]);
        high3 = std::max(high3, row[c + 3]);
    }
    for (; c < count; ++c) {
        low0 = std::min(low0, row[c]);
        high0 = std::max(high0, row[c]);
    }
    *low = std::min(std::min(low0, low1), std::min(low2, low3));
    *high = std::max(std::max(high0, high1), std::max(high2, high3));
    if (*low == 0.0 || *high == 0.0)
        OrderedRange(row, count, low, high);
}

// Puts a row's readings into the block's channel columns and finds their range.
void StoreReadings(const double* row, size_t index, CParsedBlock& block, CParsedLine& line)
{
    double* slot = block.values.data() + index;
    for (int c = 0; c < line.readings; ++c, slot += CParsedBlock::kLines)
        *slot = row[c];
    Range(row, line.readings, &line.low, &line.high);
}

}  // namespace

void CParsedLines::Shared::ParseLine(const char* begin, const char* end, CParsedBlock& block)
{
    const char* const limit = end + CLineReader::kReadablePast;
    CFieldEdges fields;
    SplitFields(begin, end, limit, &fields);
    // Written in place: the lines are reserved, and a copy would be read back before its
    // bytes reached the cache.
    const size_t index = block.lines.size();
    CParsedLine& line = block.lines.emplace_back();
    line.fileEnd = reader.Consumed();
    if (channels == 0) {
        // Read by the worker as the header: it splits the line again for the names.
        line.readings = CParsedLine::kHeader;
        KeepText(begin, end, CLineReader::kReadablePast, block, line);
        channels = NamedChannels(fields.count, timeColumn);
        return;
    }

    // The reading columns: those before the label's and those after it, as many as
    // there are channels.
    line.labelled = timeColumn >= 0 && timeColumn < fields.count;
    const int last = std::min(fields.count, channels + (line.labelled && timeColumn <= channels ? 1 : 0));
    const int split = line.labelled ? std::min(timeColumn, last) : last;
    line.readings = last > split ? last - 1 : last;
    const uint16_t* spans = fields.edges + (split == 0 ? 2 : 0);
    uint16_t joined[2 * CParsedBlock::kChannels];
    if (split > 0 && split < last) {
        // The label sits between readings: the spans on both sides of it are joined.
        std::copy(fields.edges, fields.edges + 2 * split, joined);
        std::copy(fields.edges + 2 * (split + 1), fields.edges + 2 * last, joined + 2 * split);
        spans = joined;
    }
    double row[CParsedBlock::kChannels];
    ReadRowFields(begin, limit, spans, line.readings, row);
    StoreReadings(row, index, block, line);
    if (line.labelled)
        KeepText(begin + fields.Begin(timeColumn), begin + fields.End(timeColumn), 0, block, line);
}
