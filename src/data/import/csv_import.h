#pragma once

// The import of a data file: bytes and settings in, a dataset and its opening page
// out. The file's first bytes tell how it is written (its dialect, see dialect.h);
// the user's settings decide where they are not automatic. A function of its inputs
// alone: no shared state, no thread visible outside it; the caller decides how it
// yields and when it stops.
#include "data/dataset.h"
#include "data/import/block_filler.h"
#include "data/import/byte_source.h"
#include "data/import/dialect.h"
#include "data/import/import_limits.h"
#include "data/page_window.h"
#include "data/time_label.h"

#include <cstdint>
#include <functional>

struct CImportSettings {
    // 0-based field index; one no field reaches means no labels; kAutomaticChoice: the
    // dialect's time column (and its date and time columns).
    int timeColumn = -1;
    bool query = false;   // keep only rows whose time lies in [queryStart, queryEnd]
    TimeValue queryStart = 0;
    TimeValue queryEnd = 0;
    bool fitAll = false;  // with a query: squeeze the kept rows into one page
    int plotWidth = 0;
    // 0 ascending, 1 descending: where the opening page lies; kAutomaticChoice: the
    // order the dialect found in the labels (ascending when it found none).
    int timeOrder = 1;
};

// How the lines of a file of this dialect are read under these settings: the
// recorder's format by its rules, any other by the dialect; an explicit time column
// rules over the dialect's.
CLineRules LineRulesFor(const CDialect& dialect, const CImportSettings& settings);

// How an import runs. Empty functions: it never stops early and never yields.
struct CImportControl {
    // Asked after every kYieldInterval-th line, and while waiting for the read-ahead
    // thread: true ends the import with what it has read.
    std::function<bool()> stopped;
    // Called after every kYieldInterval-th line unless stopped.
    std::function<void()> yield;
    // Reads ahead on a thread of its own (CReadAhead) instead of reading in turn.
    bool readAhead = true;
};

struct CImportResult {
    int result = 0;  // LOAD_FINISHED, LOAD_REFUSED_TOO_LARGE or LOAD_UNREADABLE
    CDataset dataset;
    CPageWindow page;
    CDialect dialect;           // how the file is written, as its first bytes tell
    int timeOrder = 1;          // the order the opening page was placed by: 0 ascending, 1 descending
    int leftOutColumns = 0;     // measurement columns beyond kLargestChannelCount, not read
    uint64_t lines = 0;         // lines read
    double fillSeconds = 0.0;   // spent reading, splitting and converting lines
    double waitSeconds = 0.0;   // spent waiting for the read-ahead thread
};

// Reads less than kLargestFile bytes of the source, also from a file that grows while
// it is read; a source of kLargestFile bytes or more when opened is not read at all.
// The dialect is sniffed from the source's first kSniffBytes bytes.
CImportResult ImportDataset(CByteSource source, const CImportSettings& settings, const CImportControl& control);
// The same for a source whose dialect is known.
CImportResult ImportDataset(CByteSource source, const CDialect& dialect, const CImportSettings& settings,
                            const CImportControl& control);
