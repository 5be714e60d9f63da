#include "data_fixture.h"

#include "data/transfer_messages.h"
#include "guiex/posted_message.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>

bool MessageSink::event(QEvent* e)
{
    if (e->type() != static_cast<QEvent::Type>(WM_TRANSFER_NOTIFY))
        return QObject::event(e);
    auto* message = static_cast<COM_GUI_EX::CPostedMessage*>(e);
    received.emplace_back(message->WParam(), message->LParam());
    return true;
}

void DataManagerTest::SetUp()
{
    manager->SetMainWindow(&sink);
    AttachPlot(700);
    Settings(0, 1);
}

void DataManagerTest::TearDown()
{
    ASSERT_TRUE(manager->WaitIdle(30000));
    manager->SetMainWindow(nullptr);
    manager->AttachChartLayers(nullptr, nullptr, nullptr, nullptr);
    manager->ReleaseWorkSurfaces();
    manager->RequestLoad("");  // leave the shared manager empty for the next test
    manager->WaitIdle(30000);
}

void DataManagerTest::AttachPlot(int width, int height)
{
    m_plot.reset(new COM_GUI_EX::CGUIEXDC(nullptr, width, height));
    m_value.reset(new COM_GUI_EX::CGUIEXDC(nullptr, 80, height));
    m_time.reset(new COM_GUI_EX::CGUIEXDC(nullptr, width + 80, 120));
    m_plot->FillSolid(0xFFFFFF);
    m_value->FillSolid(0xFFFFFF);
    m_time->FillSolid(0xFFFFFF);
    manager->AttachChartLayers(m_plot.get(), m_value.get(), m_time.get(), &flags);
}

void DataManagerTest::Settings(int timeOrder, int timeColumn, int labelFormat, int rangeMode, int manualMax,
                               int manualMin)
{
    manager->ApplySettings(timeOrder, timeColumn, labelFormat, rangeMode, manualMax, manualMin);
}

intptr_t DataManagerTest::WaitFor(uintptr_t wParam)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 60000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        for (size_t i = 0; i < sink.received.size(); ++i) {
            if (sink.received[i].first == wParam) {
                const intptr_t result = sink.received[i].second;
                sink.received.erase(sink.received.begin(), sink.received.begin() + static_cast<long>(i) + 1);
                return result;
            }
        }
    }
    ADD_FAILURE() << "no completion message " << wParam;
    return -1;
}

intptr_t DataManagerTest::Load(const std::string& path)
{
    manager->RequestLoad(path.c_str());
    return WaitFor(TRANSFER_LOADED);
}

intptr_t DataManagerTest::QueryLoad(TimeValue start, TimeValue end, bool fitAll)
{
    manager->RequestQueryLoad(1, start, end, fitAll ? 1 : 0);
    return WaitFor(TRANSFER_LOADED);
}

void DataManagerTest::Prepare()
{
    manager->RequestPrepare();
    EXPECT_EQ(WaitFor(TRANSFER_PREPARED), 0);
}

std::vector<std::string> DataManagerTest::Names() const
{
    const std::vector<QString>* names;
    const CLabelStore* labels;
    const std::vector<CSampleArray>* samples;
    int first, labelCount, count, step;
    manager->GetDataViews(&names, &labels, &samples, &first, &labelCount, &count, &step);
    std::vector<std::string> utf8;
    for (const QString& name : *names)
        utf8.push_back(name.toStdString());
    return utf8;
}

const CLabelStore& DataManagerTest::Labels() const
{
    const std::vector<QString>* names;
    const CLabelStore* labels;
    const std::vector<CSampleArray>* samples;
    int first, labelCount, count, step;
    manager->GetDataViews(&names, &labels, &samples, &first, &labelCount, &count, &step);
    return *labels;
}

const std::vector<CSampleArray>& DataManagerTest::Samples() const
{
    const std::vector<QString>* names;
    const CLabelStore* labels;
    const std::vector<CSampleArray>* samples;
    int first, labelCount, count, step;
    manager->GetDataViews(&names, &labels, &samples, &first, &labelCount, &count, &step);
    return *samples;
}

DataManagerTest::Page DataManagerTest::PageWindow() const
{
    const std::vector<QString>* names;
    const CLabelStore* labels;
    const std::vector<CSampleArray>* samples;
    Page page{};
    int labelCount;
    manager->GetDataViews(&names, &labels, &samples, &page.first, &labelCount, &page.count, &page.step);
    return page;
}

std::string RecorderCsv(int rows, int channels, double (*value)(int row, int channel))
{
    std::string csv = "Time";
    char buffer[64];
    for (int c = 0; c < channels; ++c) {
        std::snprintf(buffer, sizeof buffer, ",CH%02d", c + 1);
        csv += buffer;
    }
    csv += "\n";
    for (int r = 0; r < rows; ++r) {
        const int seconds = 12 * 3600 + r;
        std::snprintf(buffer, sizeof buffer, "2024/05/06 %02d:%02d:%02d", seconds / 3600 % 24, seconds / 60 % 60,
                      seconds % 60);
        csv += buffer;
        for (int c = 0; c < channels; ++c) {
            std::snprintf(buffer, sizeof buffer, ",%.17g", value(r, c));
            csv += buffer;
        }
        csv += "\n";
    }
    return csv;
}
