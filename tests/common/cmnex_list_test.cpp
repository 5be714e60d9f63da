#include "common/cmnex_list.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

using COMMON_EX::CMNEXList;
using IntList = CMNEXList<int>;
using Node = IntList::Node;

namespace {

std::vector<const Node*> Walk(const Node* p)
{
    std::vector<const Node*> nodes;
    for (; p != nullptr; p = p->pNext)
        nodes.push_back(p);
    return nodes;
}

// Checks that the back links mirror the forward links from head to tail.
void ExpectConsistent(const Node* head, const Node* tail, int count)
{
    const std::vector<const Node*> nodes = Walk(head);
    ASSERT_EQ(static_cast<int>(nodes.size()), count);
    if (nodes.empty()) {
        EXPECT_EQ(tail, nullptr);
        return;
    }
    EXPECT_EQ(nodes.front()->pPrev, nullptr);
    EXPECT_EQ(nodes.back(), tail);
    for (size_t i = 1; i < nodes.size(); ++i)
        EXPECT_EQ(nodes[i]->pPrev, nodes[i - 1]) << "node " << i;
}

}  // namespace

TEST(CMNEXList, AddTailKeepsOrderAndElements)
{
    int values[3] = {7, 8, 9};
    IntList list;
    for (int& v : values)
        list.AddTail(&v);
    ExpectConsistent(list.GetHead(), list.GetTail(), 3);
    const std::vector<const Node*> nodes = Walk(list.GetHead());
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(nodes[i]->pElement, &values[i]);
    EXPECT_EQ(list.GetSpareCount(), 0);
}

// RemoveAll keeps at most ten released nodes: those nearest the head, the head
// node first.
TEST(CMNEXList, RemoveAllKeepsTheNodesNearestTheHead)
{
    for (int size : {0, 1, 9, 10, 11, 15, 40}) {
        SCOPED_TRACE("list of " + std::to_string(size));
        std::vector<int> values(static_cast<size_t>(size));
        for (int i = 0; i < size; ++i)
            values[static_cast<size_t>(i)] = i;
        IntList list;
        for (int& v : values)
            list.AddTail(&v);
        const std::vector<const Node*> before = Walk(list.GetHead());

        list.RemoveAll();

        EXPECT_EQ(list.GetCount(), 0);
        EXPECT_EQ(list.GetHead(), nullptr);
        EXPECT_EQ(list.GetTail(), nullptr);
        const int kept = std::min(size, 10);
        EXPECT_EQ(list.GetSpareCount(), kept);
        ExpectConsistent(list.GetSpareHead(), list.GetSpareTail(), kept);
        const std::vector<const Node*> spares = Walk(list.GetSpareHead());
        for (int i = 0; i < kept && i < static_cast<int>(spares.size()); ++i)
            EXPECT_EQ(spares[i], before[i]) << "spare " << i;
        for (int i = 0; i < size; ++i)  // the elements are neither changed nor freed
            EXPECT_EQ(values[static_cast<size_t>(i)], i);
    }
}

TEST(CMNEXList, SecondRemoveAllPutsNewNodesInFrontAndDropsOldest)
{
    int a[8] = {}, b[4] = {};
    IntList list;
    for (int& v : a)
        list.AddTail(&v);
    list.RemoveAll();
    const std::vector<const Node*> first = Walk(list.GetSpareHead());
    for (int& v : b)
        list.AddTail(&v);
    const std::vector<const Node*> second = Walk(list.GetHead());

    list.RemoveAll();

    // 4 new + the 6 newest of the earlier 8; the 2 oldest were freed.
    const std::vector<const Node*> spares = Walk(list.GetSpareHead());
    ASSERT_EQ(spares.size(), 10u);
    EXPECT_EQ(list.GetSpareCount(), 10);
    for (size_t i = 0; i < 4; ++i)
        EXPECT_EQ(spares[i], second[i]) << "spare " << i;
    for (size_t i = 0; i < 6; ++i)
        EXPECT_EQ(spares[4 + i], first[i]) << "spare " << 4 + i;
}

TEST(CMNEXList, AddTailAfterRemoveAllTakesNoSpareNode)
{
    std::vector<int> values(15);
    IntList list;
    for (int& v : values)
        list.AddTail(&v);
    list.RemoveAll();
    const std::vector<const Node*> spares = Walk(list.GetSpareHead());

    int extra = 42;
    list.AddTail(&extra);

    EXPECT_EQ(list.GetSpareCount(), 10);
    EXPECT_EQ(Walk(list.GetSpareHead()), spares);
    ASSERT_NE(list.GetHead(), nullptr);
    for (const Node* spare : spares)
        EXPECT_NE(list.GetHead(), spare);
    EXPECT_EQ(list.GetHead()->pElement, &extra);
    EXPECT_EQ(list.GetCount(), 1);
}

TEST(CMNEXList, ConcurrentAddTailLosesNoNode)
{
    constexpr int kPerThread = 20000;
    int element = 0;
    IntList list;
    auto add = [&] {
        for (int i = 0; i < kPerThread; ++i)
            list.AddTail(&element);
    };
    std::thread t1(add), t2(add);
    t1.join();
    t2.join();
    EXPECT_EQ(list.GetCount(), 2 * kPerThread);
    ExpectConsistent(list.GetHead(), list.GetTail(), 2 * kPerThread);
}

TEST(CCMNEXCriticalSection, SameThreadMayLockAgain)
{
    COMMON_EX::CCMNEXCriticalSection lock;
    lock.Lock();
    lock.Lock();
    lock.Unlock();
    lock.Unlock();

    // Fully released: another thread gets it.
    bool taken = false;
    std::thread other([&] {
        lock.Lock();
        taken = true;
        lock.Unlock();
    });
    other.join();
    EXPECT_TRUE(taken);
}
