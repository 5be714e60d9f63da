#include "data/dataset.h"

#include <cmath>

CDataset CDataset::Cleared()
{
    CDataset dataset;
    dataset.first = Today(0, 0, 0);
    dataset.last = Today(23, 59, 59);
    return dataset;
}

void CDataset::Readout(int index, CSampleArray* values, QString* label) const
{
    if (index < 0)
        return;
    const size_t i = static_cast<size_t>(index);
    bool anySample = false;
    for (const CSampleArray& channel : samples) {
        const bool has = channel.size() > i;
        values->push_back(has ? channel[i] : NAN);
        anySample = anySample || has;
    }
    if (labels.size() > i) {
        const std::string_view text = labels[i];
        *label = DecodeText(text.data(), text.size(), encoding);
    }
    // An empty array tells the caller that no channel has a sample at this index.
    if (!anySample)
        values->clear();
}
