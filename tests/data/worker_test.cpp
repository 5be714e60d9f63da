// The worker thread's hand-over: request order, completion messages, receivers that
// go away, and destruction while a load runs.
#include "data/transfer_messages.h"
#include "data_fixture.h"

#include <QCoreApplication>
#include <csignal>
#include <cstdlib>
#include <sys/wait.h>
#include <unistd.h>

namespace {

double Wave(int row, int channel)
{
    return (row % 97) * 0.5 - channel;
}

TEST_F(DataManagerTest, LoadAndPrepareSetTogetherRunInOnePass)
{
    const std::string path = dir.Write("both.csv", RecorderCsv(50, 3, Wave));
    // The load is asked first: the worker may wake between the two requests, and a
    // prepare asked alone first would rightly run first. Asked this way, the worker
    // sees the load alone or both, and either way prepares the loaded file after it.
    manager->RequestLoad(path.c_str());
    manager->RequestPrepare();
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
    EXPECT_EQ(Load(dir.Path("none.csv")), LOAD_UNREADABLE);
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

// The process-exit stop of the single manager when its worker does not end: a child
// of this process has no worker thread (fork copies only the calling thread), so its
// manager waits for a worker that never answers. The child must end after the wait,
// with its own exit status, instead of waiting on or freeing what the worker uses.
TEST(DataManagerLifetime, ExitDoesNotWaitForAWorkerThatDoesNotEnd)
{
#if defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the thread sanitizer does not follow a fork of a threaded process";
#endif
    ASSERT_TRUE(CMemoryTransferManage::GetInstance()->WaitIdle(30000));
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0)
        std::exit(7);
    int status = 0;
    pid_t ended = 0;
    for (int i = 0; i < 3000 && ended == 0; ++i) {
        ended = waitpid(child, &status, WNOHANG);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (ended == 0) {
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
        FAIL() << "the process did not end";
    }
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 7);
}

// The stop of the worker of a manager in the middle of a load: it ends within the
// time the process allows at exit.
TEST(DataManagerLifetime, StopEndsALoadInTime)
{
    TempDir dir;
    const std::string path = dir.Write("huge.csv", RecorderCsv(200000, 16, Wave));
    CMemoryTransferManage manager;
    manager.RequestLoad(path.c_str());
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_TRUE(manager.StopWorker(std::chrono::milliseconds(CMemoryTransferManage::kExitWaitMs)));
}

}  // namespace
