#include "chart_fixture.h"

#include "guiex/guiex_dc.h"
#include "guiex/parameters_base.h"
#include "guiex/posted_message.h"

#include <QCoreApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QTest>

#include <cstdio>
#include <cstdlib>

bool ChartHost::event(QEvent* e)
{
    const auto type = static_cast<uint32_t>(e->type());
    if (type == WM_CURVE_PAGE || type == WM_CURVE_CURSOR || type == WM_TRANSFER_NOTIFY) {
        messages.push_back({type, static_cast<COM_GUI_EX::CPostedMessage*>(e)->WParam()});
        return true;
    }
    return QWidget::event(e);
}

void ChartTest::SetUp()
{
    CParametersBase::GetInstance()->SetPercentage(100);
    ApplyTimeOrder(0);
    manager->SetMainWindow(&host);
    host.resize(1200, 700);
    host.move(0, 0);
    CreateChart(nullptr, RECT{0, 0, 1200, 600});
    host.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
    // Park the pointer away from every window: the platform reports no move to the
    // point the pointer is already at.
    QCursor::setPos(QPoint(5000, 5000));
    Pump();
    host.messages.clear();
}

void ChartTest::TearDown()
{
    ASSERT_TRUE(manager->WaitIdle(30000));
    manager->SetMainWindow(nullptr);
    delete chart;
    chart = nullptr;
    manager->RequestLoad("");  // leave the shared manager empty for the next test
    manager->WaitIdle(30000);
}

void ChartTest::CreateChart(COM_GUI_EX::CGUIEXDC* background, const RECT& rect)
{
    delete chart;
    chart = new CCurveWnd(0, &rect, 256, background, &host);
    chart->BindPageState(&host.timeOrder, &host.first, &host.total, &host.pageCount, &host.zoom);
}

void ChartTest::ApplyTimeOrder(int timeOrder)
{
    host.timeOrder = timeOrder;
    manager->ApplySettings(timeOrder, 1, 0, 0, 0, 0);
}

void ChartTest::LoadAsMainWindow(const std::string& path)
{
    manager->RequestLoad(path.c_str());
    WaitForTransfer(TRANSFER_LOADED);
    const std::vector<QString>* names = nullptr;
    const CLabelStore* labels = nullptr;
    const std::vector<CSampleArray>* samples = nullptr;
    manager->GetDataViews(&names, &labels, &samples, &host.first, &host.total, &host.pageCount, &host.zoom);
    chart->SetChannelNames(names, labels, samples);
    chart->UpdateThumb();
    manager->RequestPrepare();
    WaitForTransfer(TRANSFER_PREPARED);
    chart->RefreshLayers();
}

void ChartTest::WaitForTransfer(uintptr_t wParam)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 60000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        for (size_t i = 0; i < host.messages.size(); ++i) {
            if (host.messages[i].message == WM_TRANSFER_NOTIFY && host.messages[i].wParam == wParam) {
                host.messages.erase(host.messages.begin(), host.messages.begin() + static_cast<long>(i) + 1);
                return;
            }
        }
    }
    ADD_FAILURE() << "no completion message " << wParam;
}

void ChartTest::Pump()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

std::vector<uintptr_t> ChartTest::Take(uint32_t message)
{
    Pump();
    std::vector<uintptr_t> values;
    for (const ChartHost::Message& m : host.messages) {
        if (m.message == message)
            values.push_back(m.wParam);
    }
    host.messages.clear();
    return values;
}

void ChartTest::Move(int x, int y)
{
    QTest::mouseMove(chart, QPoint(x, y));
    Pump();
}

void ChartTest::Press(int x, int y)
{
    QTest::mousePress(chart, Qt::LeftButton, Qt::NoModifier, QPoint(x, y));
    Pump();
}

void ChartTest::Release(int x, int y)
{
    QTest::mouseRelease(chart, Qt::LeftButton, Qt::NoModifier, QPoint(x, y));
    Pump();
}

QImage ChartTest::Grab()
{
    return chart->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

std::string ThreeLevels(int, int channel)
{
    static const char* const levels[] = {"51", "43", "57"};
    return levels[channel % 3];
}

std::string Pixel(const QImage& image, int x, int y)
{
    return QColor(image.pixel(x, y)).name().toStdString();
}

bool Near(const QImage& image, int x, int y, const char* colour, int tolerance)
{
    const QColor have(image.pixel(x, y));
    const QColor want(colour);
    return std::abs(have.red() - want.red()) <= tolerance && std::abs(have.green() - want.green()) <= tolerance &&
           std::abs(have.blue() - want.blue()) <= tolerance;
}

int InkIn(const QImage& image, const RECT& area)
{
    int ink = 0;
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            if (QColor(image.pixel(x, y)) != QColor(Qt::white))
                ++ink;
        }
    }
    return ink;
}
