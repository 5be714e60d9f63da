#pragma once

// A loaded data file: what an import produces and every page is prepared from. A plain
// value; the data manager holds one and swaps in the next import's.
#include "common/text_convert.h"
#include "data/label_store.h"
#include "data/time_label.h"

#include <QString>
#include <vector>

using CSampleArray = std::vector<double>;

struct CDataset {
    // The channel names, decoded by the file's encoding.
    std::vector<QString> names;
    // The raw time labels of the kept rows, as the file's bytes.
    CLabelStore labels;
    // One array per channel (as many as names); sample k of channel c is samples[c][k].
    std::vector<CSampleArray> samples;
    // The file's text encoding, decided once from all of its names and labels.
    TextEncoding encoding = TextEncoding::Utf8;
    // The smallest and largest reading that is a number, of every data row, rows a query
    // dropped included (a missing reading, NaN, has no part in it); 0.0 and 0.0 when no
    // reading is a number. dataRead: at least one data row was read.
    double dataMin = 0.0;
    double dataMax = 0.0;
    bool dataRead = false;
    // How the time labels read, for the time axis to read them as the import did.
    CLabelReading labelReading;
    // The earliest and latest time label that parses.
    TimeValue first = 0;
    TimeValue last = 0;

    // What a load that read nothing leaves: no channel, today as the time range.
    static CDataset Cleared();

    int ChannelCount() const { return static_cast<int>(samples.size()); }
    // Appends every channel's value at the sample index (NaN, a missing reading, where a
    // channel has none)
    // and sets the label to the index's time label, decoded; an index no channel
    // reaches leaves the values empty. A negative index changes nothing.
    void Readout(int index, CSampleArray* values, QString* label) const;
};
