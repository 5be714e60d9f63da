#include "data/dataset.h"

#include <cmath>
#include <ctime>

CDataset CDataset::Cleared()
{
    CDataset dataset;
    const time_t now = time(nullptr);
    struct tm day = {};
    localtime_r(&now, &day);
    day.tm_hour = 0;
    day.tm_min = 0;
    day.tm_sec = 0;
    day.tm_isdst = -1;
    struct tm end = day;
    dataset.first = static_cast<TimeValue>(mktime(&day));
    end.tm_hour = 23;
    end.tm_min = 59;
    end.tm_sec = 59;
    end.tm_isdst = -1;
    dataset.last = static_cast<TimeValue>(mktime(&end));
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
