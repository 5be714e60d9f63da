// The data manager's small setters and getters, called on the user-interface thread.
#include "data/data_manager.h"

void CMemoryTransferManage::ApplySettings(int timeOrder, int timeColumn, int labelFormat, int rangeMode,
                                          int manualMax, int manualMin)
{
    m_nTimeOrder.store(timeOrder);
    // The user counts columns from 1; 0 or less leaves the file without time labels.
    m_nTimeColumn.store(timeColumn > 0 ? timeColumn - 1 : -1);
    m_nLabelFormat.store(labelFormat);
    m_nRangeMode.store(rangeMode);
    m_nManualMax.store(manualMax);
    m_nManualMin.store(manualMin);
}

int CMemoryTransferManage::SetPage(const int* first, const int* step)
{
    const int pixels = *step > 0 ? *step : 1;
    m_nPageFirst.store(*first);
    m_nStep.store(pixels);
    const int count = m_nPlotWidth.load() / pixels + 1;
    m_nPageCount.store(count);
    return count;
}

int CMemoryTransferManage::GetChannelCount() const
{
    m_nPublished.load(std::memory_order_acquire);
    return m_nChannelCount;
}

void CMemoryTransferManage::GetDataViews(const std::vector<QString>** names, const CLabelStore** labels,
                                         const std::vector<CSampleArray>** samples, int* first, int* labelCount,
                                         int* pageCount, int* step) const
{
    m_nPublished.load(std::memory_order_acquire);
    *names = &m_strNames;
    *labels = &m_labels;
    *samples = &m_samples;
    *first = m_nPageFirst.load();
    *labelCount = static_cast<int>(m_labels.size());
    *pageCount = m_nPageCount.load();
    *step = m_nStep.load();
}

void CMemoryTransferManage::GetTimeRange(TimeValue* first, TimeValue* last) const
{
    m_nPublished.load(std::memory_order_acquire);
    *first = m_tFirst;
    *last = m_tLast;
}

bool CMemoryTransferManage::GetDataRange(double* minimum, double* maximum) const
{
    m_nPublished.load(std::memory_order_acquire);
    *minimum = m_dDataMin;
    *maximum = m_dDataMax;
    return m_bDataRead;
}

TextEncoding CMemoryTransferManage::GetTextEncoding() const
{
    m_nPublished.load(std::memory_order_acquire);
    return m_textEncoding;
}

void CMemoryTransferManage::GetReadout(int index, CSampleArray* values, QString* label) const
{
    m_nPublished.load(std::memory_order_acquire);
    if (index < 0)
        return;
    const size_t i = static_cast<size_t>(index);
    bool anySample = false;
    for (const CSampleArray& channel : m_samples) {
        const bool has = channel.size() > i;
        values->push_back(has ? channel[i] : 0.0);
        anySample = anySample || has;
    }
    if (m_labels.size() > i) {
        const std::string_view text = m_labels[i];
        *label = DecodeText(text.data(), text.size(), m_textEncoding);
    }
    // An empty array tells the caller that no channel has a sample at this index.
    if (!anySample)
        values->clear();
}

const std::vector<CSampleArray>* CMemoryTransferManage::GetDisplaySeries(int* step) const
{
    m_nPublished.load(std::memory_order_acquire);
    *step = m_nStep.load();
    return &m_displaySeries;
}

void CMemoryTransferManage::GetAxisRange(double* minimum, double* maximum) const
{
    m_nPublished.load(std::memory_order_acquire);
    *minimum = m_dAxisMin;
    *maximum = m_dAxisMax;
}

void CMemoryTransferManage::GetAxisLabels(std::vector<QString>* labels) const
{
    m_nPublished.load(std::memory_order_acquire);
    *labels = m_strAxisLabels;
}
