// The data manager's small setters and getters, called on the user-interface thread.
#include "data/data_manager.h"

void CMemoryTransferManage::ApplySettings(int timeOrder, int timeColumn, int labelFormat, int rangeMode,
                                          int manualMax, int manualMin)
{
    m_nTimeOrderSetting.store(timeOrder);
    m_nTimeOrder.store(timeOrder == kAutomaticChoice ? 0 : timeOrder);
    // The user counts columns from 1; 0 or less leaves the file without time labels.
    m_nTimeColumn.store(timeColumn == kAutomaticChoice ? kAutomaticChoice : timeColumn > 0 ? timeColumn - 1 : -1);
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
    return m_dataset.ChannelCount();
}

void CMemoryTransferManage::GetDataViews(const std::vector<QString>** names, const CLabelStore** labels,
                                         const std::vector<CSampleArray>** samples, int* first, int* labelCount,
                                         int* pageCount, int* step) const
{
    m_nPublished.load(std::memory_order_acquire);
    *names = &m_dataset.names;
    *labels = &m_dataset.labels;
    *samples = &m_dataset.samples;
    *first = m_nPageFirst.load();
    *labelCount = static_cast<int>(m_dataset.labels.size());
    *pageCount = m_nPageCount.load();
    *step = m_nStep.load();
}

void CMemoryTransferManage::GetTimeRange(TimeValue* first, TimeValue* last) const
{
    m_nPublished.load(std::memory_order_acquire);
    *first = m_dataset.first;
    *last = m_dataset.last;
}

bool CMemoryTransferManage::GetDataRange(double* minimum, double* maximum) const
{
    m_nPublished.load(std::memory_order_acquire);
    *minimum = m_dataset.dataMin;
    *maximum = m_dataset.dataMax;
    return m_dataset.dataRead;
}

CDialect CMemoryTransferManage::GetDialect() const
{
    m_nPublished.load(std::memory_order_acquire);
    return m_dialect;
}

int CMemoryTransferManage::GetTimeOrder() const
{
    m_nPublished.load(std::memory_order_acquire);
    return m_nTimeOrder.load();
}

int CMemoryTransferManage::GetLeftOutColumns() const
{
    m_nPublished.load(std::memory_order_acquire);
    return m_nLeftOutColumns;
}

void CMemoryTransferManage::GetReadout(int index, CSampleArray* values, QString* label) const
{
    m_nPublished.load(std::memory_order_acquire);
    m_dataset.Readout(index, values, label);
}

const std::vector<CSampleArray>* CMemoryTransferManage::GetDisplaySeries(int* step) const
{
    m_nPublished.load(std::memory_order_acquire);
    *step = m_nStep.load();
    return &m_page.series;
}

void CMemoryTransferManage::GetAxisRange(double* minimum, double* maximum) const
{
    m_nPublished.load(std::memory_order_acquire);
    *minimum = m_page.axisMin;
    *maximum = m_page.axisMax;
}

void CMemoryTransferManage::GetAxisLabels(std::vector<QString>* labels) const
{
    m_nPublished.load(std::memory_order_acquire);
    *labels = m_page.axisLabels;
}
