// Feeds arbitrary bytes, held in memory, through the dialect sniffer and the import
// with settings taken from the first bytes, then prepares a page of the dataset and formats the read-out and the
// value-axis labels. Runs on the fuzzer's thread alone: no file, no worker, no read-ahead
// thread. A crash, a sanitizer report or a broken invariant of the dataset is a finding.
#include "data/data_manager.h"
#include "data/import/dialect.h"
#include "data/import/csv_import.h"
#include "data/prepare_display.h"
#include "data/visibility_flags.h"

#include <QString>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace {

constexpr size_t kSettingBytes = 8;

// A finding: the dataset or the page breaks a rule every consumer relies on.
void Require(bool holds)
{
    if (!holds)
        std::abort();
}

void CheckDataset(const CDataset& dataset, const CImportResult& imported)
{
    Require(dataset.names.size() == dataset.samples.size());
    Require(dataset.ChannelCount() <= kLargestChannelCount);
    for (const CSampleArray& channel : dataset.samples)
        Require(channel.size() <= imported.lines);
    Require(dataset.labels.size() <= imported.lines);
    Require(!dataset.dataRead || !(dataset.dataMin > dataset.dataMax));
    Require(dataset.first <= dataset.last);
}

// The dialect names lines after its header in order, and each column for one role.
void CheckDialect(const CDialect& dialect)
{
    Require(dialect.separator == ',' || dialect.separator == ';' || dialect.separator == '\t');
    Require(dialect.headerLine >= 0);
    Require(std::is_sorted(dialect.nonDataLines.begin(), dialect.nonDataLines.end()));
    Require(dialect.nonDataLines.empty() || dialect.nonDataLines.front() > dialect.headerLine);
    Require(dialect.clockColumn < 0 || dialect.clockColumn == dialect.timeColumn + 1);
    std::vector<int> columns = dialect.measurementColumns;
    columns.insert(columns.end(), dialect.otherColumns.begin(), dialect.otherColumns.end());
    for (const int c : {dialect.timeColumn, dialect.clockColumn}) {
        if (c >= 0)
            columns.push_back(c);
    }
    std::sort(columns.begin(), columns.end());
    Require(std::adjacent_find(columns.begin(), columns.end()) == columns.end());
    Require(columns.empty() || columns.front() >= 0);
}

}  // namespace

// A fixed time zone: labels read the same on every machine, and the C library does not
// look at the system's zone file again for every conversion.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    setenv("TZ", "Asia/Shanghai", 0);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < kSettingBytes)
        return 0;
    // The settings as the main window passes them: the label column counted from 1.
    const int userColumn = data[1] % 6 - 1;
    CImportSettings settings;
    settings.timeOrder = data[0] & 1;
    settings.timeColumn = userColumn > 0 ? userColumn - 1 : -1;
    settings.plotWidth = 1 + data[6] * 3;
    if (data[4] & 1) {
        settings.query = true;
        settings.queryStart = 1714953600 + (data[4] >> 1) * 3600;  // 2024-05-06 and later
        settings.queryEnd = settings.queryStart + data[5] * 60;
        settings.fitAll = data[5] & 1;
    }
    const char* const bytes = reinterpret_cast<const char*>(data) + kSettingBytes;
    CheckDialect(SniffDialect(bytes, std::min(size - kSettingBytes, kSniffBytes)));

    CImportControl control;
    control.readAhead = false;
    const CImportResult imported = ImportDataset(
        CByteSource::Memory(bytes, size - kSettingBytes), settings,
        control);
    const CDataset& dataset = imported.dataset;
    CheckDataset(dataset, imported);

    CVisibilityFlags flags;
    flags.m_nSize = data[7] & 0x0F;
    for (int c = 0; c < CVisibilityFlags::kMaxChannels; ++c)
        flags.m_nFlag[c] = (data[7] >> (c % 8)) & 1;
    CPageRequest request;
    request.first = imported.page.first;
    request.count = imported.page.count;
    request.step = imported.page.step;
    request.timeOrder = settings.timeOrder;
    request.labelFormat = data[2] % 5;
    request.rangeMode = data[3] & 1;
    request.manualMax = 100;
    request.manualMin = -100;
    request.plotWidth = settings.plotWidth;
    request.plotHeight = 40;
    request.visibility = &flags;
    const CPreparedPage page = PreparePage(dataset, request, CPageSurfaces());
    Require(page.series.empty() || static_cast<int>(page.series.size()) == dataset.ChannelCount());
    for (const CSampleArray& series : page.series) {
        Require(series.size() <= static_cast<size_t>(std::max(request.count, 0)));
        for (double v : series)
            Require(std::isnan(v) || (v >= 0.0 && v <= 1.0));
    }
    Require(CMemoryTransferManage::MakeValueLabels(page.axisMin, page.axisMax).size() == 16);

    // The read-out at the page's first sample, at its last and past the data.
    for (long long index : {request.first, request.first + request.count - 1, static_cast<long long>(imported.lines)}) {
        CSampleArray values;
        QString label;
        dataset.Readout(static_cast<int>(index), &values, &label);
        Require(values.empty() || static_cast<int>(values.size()) == dataset.ChannelCount());
    }
    return 0;
}
