// The page window (which samples the chart shows, how far apart) and the fit-all
// compression that squeezes a query result into one page.
#include "data/data_manager.h"

#include <algorithm>

void CMemoryTransferManage::ClearData()
{
    std::vector<CSampleArray>().swap(m_samples);
    m_nChannelCount = 0;
    std::vector<QString>().swap(m_strNames);
    m_labels.clear();
    m_textEncoding = TextEncoding::Utf8;
    m_nPageFirst.store(0);
    m_nPageCount.store(0);
    m_nStep.store(1);
    m_dAxisMin = m_dAxisMax = m_dAxisSpan = 0.0;
    ClearDisplaySeries();
}

void CMemoryTransferManage::ClearDisplaySeries()
{
    std::vector<CSampleArray>().swap(m_displaySeries);
}

int CMemoryTransferManage::ChooseStep(int sampleCount, int plotWidth)
{
    if (sampleCount <= 0)
        return 1;
    const int q = (plotWidth + sampleCount - 1) / sampleCount;
    if (q <= 2)
        return 2;
    if (q == 3)
        return 3;
    if (q <= 5)
        return 5;
    if (q <= 10)
        return 10;
    if (q <= 15)
        return 15;
    return 30;
}

// Opens a file on its newest samples: an ascending file on its last page, a
// descending one on its first; short data is spread over the plot with a wider step.
void CMemoryTransferManage::InitPageWindow(int plotWidth, int timeOrder)
{
    int step = 1;
    int first = 0;
    int count = plotWidth + 1;
    if (m_nChannelCount > 0) {
        const int n = static_cast<int>(m_samples[0].size());
        if (n == 0) {
            count = 0;  // channels without data rows: a valid, empty page
        } else {
            if (n < plotWidth + 1) {
                step = ChooseStep(n, plotWidth);
                count = plotWidth / step + 1;
            }
            count = std::min(count, n);
            if (timeOrder == 0)
                first = n - count;
        }
    }
    m_nStep.store(step);
    m_nPageFirst.store(first);
    m_nPageCount.store(count);
}

namespace {

// The compression group of sample i when N samples go into P columns (r = N / P).
inline size_t GroupOf(size_t i, double r)
{
    return static_cast<size_t>(static_cast<double>(i) / r + 0.5);
}

// Averages each group of samples, except that a group holding the file's highest or
// lowest reading is drawn at that reading, so peaks survive the squeeze.
CSampleArray CompressSeries(const CSampleArray& in, size_t count, double r, double dataMin, double dataMax)
{
    CSampleArray out;
    if (count == 0)
        return out;
    size_t group = 0;
    size_t start = 0;
    double sum = 0.0;
    bool high = false;
    bool low = false;
    auto close = [&](size_t i) {
        if (out.size() <= group)
            out.resize(group + 1, 0.0);
        out[group] = high ? dataMax : low ? dataMin : i > start ? sum / static_cast<double>(i - start) : sum;
    };
    for (size_t i = 0; i < count; ++i) {
        // The mark goes to the group still open, even when sample i starts the next one.
        if (!high && !low) {
            if (in[i] >= dataMax)
                high = true;
            else if (in[i] <= dataMin)
                low = true;
        }
        const size_t k = GroupOf(i, r);
        if (k != group) {
            close(i);
            start = i;
            sum = in[i];
            high = low = false;
            group = k;
        } else {
            sum += in[i];
        }
    }
    close(count);
    return out;
}

// The middle label of each group (the later one of two middles).
std::vector<std::string> CompressLabels(const CLabelStore& labels, size_t count, double r)
{
    std::vector<std::string> out;
    size_t groupStart = 0;
    for (size_t i = 1; i <= count; ++i) {
        if (i == count || GroupOf(i, r) != GroupOf(groupStart, r)) {
            out.push_back(labels.GetAt(groupStart + (i - groupStart) / 2));
            groupStart = i;
        }
    }
    return out;
}

}  // namespace

void CMemoryTransferManage::CompressToOnePage(int pageCount)
{
    const size_t n = m_samples[0].size();
    const double r = static_cast<double>(n) / pageCount;
    // Every channel is grouped by channel 0's sample count; a shorter channel keeps the
    // groups its samples reach, a longer one loses the samples beyond that count.
    for (CSampleArray& channel : m_samples) {
        CSampleArray compressed = CompressSeries(channel, std::min(n, channel.size()), r, m_dDataMin, m_dDataMax);
        channel.swap(compressed);
    }
    m_labels.assign(CompressLabels(m_labels, std::min(n, m_labels.size()), r));
}
