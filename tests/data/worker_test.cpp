// The worker thread's hand-over: request order, completion messages, receivers that
// go away, and destruction while a load runs.
#include "data/transfer_messages.h"
#include "data_fixture.h"

#include <QCoreApplication>

namespace {

double Wave(int row, int channel)
{
    return (row % 97) * 0.5 - channel;
}

TEST_F(DataManagerTest, LoadAndPrepareSetTogetherRunInOnePass)
{
    const std::string path = dir.Write("both.csv", RecorderCsv(50, 3, Wave));
    manager->RequestPrepare();
    manager->RequestLoad(path.c_str());
    ASSERT_TRUE(manager->WaitIdle(30000));
    QCoreApplication::processEvents();
    ASSERT_EQ(sink.received.size(), 2u);
    EXPECT_EQ(sink.received[0], (std::pair<uintptr_t, intptr_t>(TRANSFER_LOADED, LOAD_FINISHED)));
    EXPECT_EQ(sink.received[1], (std::pair<uintptr_t, intptr_t>(TRANSFER_PREPARED, 0)));
    int step;
    EXPECT_EQ(manager->GetDisplaySeries(&step)->size(), 3u);
}

TEST_F(DataManagerTest, MissingFileThenPrepare)
{
    EXPECT_EQ(Load(dir.Path("none.csv")), LOAD_FINISHED);
    EXPECT_EQ(manager->GetChannelCount(), 0);
    manager->RequestPrepare();
    EXPECT_EQ(WaitFor(TRANSFER_PREPARED), 0);
    int step;
    EXPECT_TRUE(manager->GetDisplaySeries(&step)->empty());
}

TEST_F(DataManagerTest, NothingIsPostedToADestroyedReceiver)
{
    const std::string path = dir.Write("gone.csv", RecorderCsv(20000, 16, Wave));
    auto* window = new MessageSink;
    manager->SetMainWindow(window);
    manager->RequestLoad(path.c_str());
    manager->RequestPrepare();
    delete window;  // while the worker loads: it must not post to the freed window
    ASSERT_TRUE(manager->WaitIdle(30000));
    QCoreApplication::processEvents();
    EXPECT_TRUE(sink.received.empty());
    manager->SetMainWindow(&sink);
}

TEST_F(DataManagerTest, RequestsWhileBusyAreServedAfterwards)
{
    const std::string big = dir.Write("big.csv", RecorderCsv(30000, 16, Wave));
    const std::string small = dir.Write("small.csv", RecorderCsv(10, 1, Wave));
    manager->RequestLoad(big.c_str());
    manager->RequestLoad(small.c_str());  // replaces the path; the newest file wins
    ASSERT_TRUE(manager->WaitIdle(30000));
    QCoreApplication::processEvents();
    EXPECT_GE(sink.received.size(), 1u);
    EXPECT_EQ(manager->GetChannelCount(), 1);
    EXPECT_EQ(Samples()[0].size(), 10u);
}

// A second manager of its own: its destructor stops the worker in the middle of a
// large load, and frees the dataset only after the worker has ended.
TEST(DataManagerLifetime, DestructionEndsALoadInProgress)
{
    TempDir dir;
    const std::string path = dir.Write("huge.csv", RecorderCsv(200000, 16, Wave));
    for (int delayMs : {0, 2, 20}) {
        auto* manager = new CMemoryTransferManage;
        manager->RequestLoad(path.c_str());
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        delete manager;
    }
}

}  // namespace
