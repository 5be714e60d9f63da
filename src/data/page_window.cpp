#include "data/page_window.h"

#include <algorithm>

int ChooseStep(int sampleCount, int plotWidth)
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

CPageWindow OpeningPage(const CDataset& dataset, int plotWidth, int timeOrder)
{
    CPageWindow page;
    page.count = plotWidth + 1;
    if (dataset.ChannelCount() > 0) {
        const int n = static_cast<int>(dataset.samples[0].size());
        if (n == 0) {
            page.count = 0;  // channels without data rows: a valid, empty page
        } else {
            if (n < plotWidth + 1) {
                page.step = ChooseStep(n, plotWidth);
                page.count = plotWidth / page.step + 1;
            }
            page.count = std::min(page.count, n);
            if (timeOrder == 0)
                page.first = n - page.count;
        }
    }
    return page;
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

void CompressToOnePage(CDataset& dataset, int pageCount)
{
    const size_t n = dataset.samples[0].size();
    const double r = static_cast<double>(n) / pageCount;
    // Every channel is grouped by channel 0's sample count; a shorter channel keeps the
    // groups its samples reach, a longer one loses the samples beyond that count.
    for (CSampleArray& channel : dataset.samples) {
        CSampleArray compressed =
            CompressSeries(channel, std::min(n, channel.size()), r, dataset.dataMin, dataset.dataMax);
        channel.swap(compressed);
    }
    dataset.labels.assign(CompressLabels(dataset.labels, std::min(n, dataset.labels.size()), r));
}
