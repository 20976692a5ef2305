#include "lib/LinkListSingleThreaded.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

int g_values[5] = {0, 1, 2, 3, 4};

// The data front to back, checked against the backward walk and the count on the way.
std::vector<int> Contents(const CLinkListBaseSingleThreaded& list) {
    std::vector<int> forward, backward;
    for (LINK_LIST_NODE* node = list.First(); node; node = node->next)
        forward.push_back(*static_cast<int*>(node->data));
    for (LINK_LIST_NODE* node = list.Last(); node; node = node->previous)
        backward.insert(backward.begin(), *static_cast<int*>(node->data));
    EXPECT_EQ(forward, backward) << "the links disagree";
    EXPECT_EQ(forward.size(), list.Count());
    return forward;
}

} // namespace

// desktop-free: LinkListTest
TEST(LinkListTest, InsertsRemovesAndMovesKeepingBothEndsRight) {
    CLinkListSimpleSingleThreaded list;
    LINK_LIST_NODE* two = list.AddItem(nullptr, &g_values[2]);
    LINK_LIST_NODE* four = list.AddItem(two, &g_values[4]);
    EXPECT_EQ(four, list.Last()) << "inserting behind the last node makes a new last node";
    LINK_LIST_NODE* three = list.AddItem(two, &g_values[3]);
    LINK_LIST_NODE* zero = list.AddItem(nullptr, &g_values[0]);
    EXPECT_EQ(zero, list.First()) << "inserting with no node makes a new first node";
    LINK_LIST_NODE* one = list.AddItem(zero, &g_values[1]);
    EXPECT_EQ((std::vector<int>{0, 1, 2, 3, 4}), Contents(list));

    list.MoveToFront(three);
    list.MoveToEnd(zero);
    EXPECT_EQ((std::vector<int>{3, 1, 2, 4, 0}), Contents(list));
    list.MoveBehind(one, four);
    list.MoveBehind(zero, nullptr);
    EXPECT_EQ((std::vector<int>{0, 3, 2, 4, 1}), Contents(list));
    EXPECT_EQ(&g_values[1], list.Last()->data) << "moved nodes stay the same objects";

    list.AddItem(nullptr, &g_values[4]);
    EXPECT_TRUE(list.RemoveItem(&g_values[4])) << "removes the first node with the data only";
    EXPECT_TRUE(list.RemoveNode(list.Last()));
    EXPECT_EQ((std::vector<int>{0, 3, 2, 4}), Contents(list));
    int absent = 7;
    EXPECT_FALSE(list.RemoveItem(&absent));
    list.RemoveAllItems();
    EXPECT_TRUE(Contents(list).empty());
    EXPECT_FALSE(list.RemoveNode(two)) << "an empty list has nothing to remove";
    EXPECT_TRUE(list.Lock() && list.Unlock());
}

TEST(LinkListTest, NodesComeFromTheGivenHeapAndGoBackToIt) {
    HANDLE heap = HeapCreate(0, 0, 0);
    ASSERT_NE(nullptr, heap);
    {
        CLinkListSimpleSingleThreaded list(heap);
        LINK_LIST_NODE* only = list.AddItem(nullptr, &g_values[0]);
        EXPECT_EQ(sizeof(LINK_LIST_NODE), HeapSize(heap, 0, only));
        EXPECT_TRUE(list.RemoveNode(only));
        EXPECT_TRUE(Contents(list).empty());
        list.AddItem(list.AddItem(nullptr, &g_values[1]), &g_values[2]);
    }
    // The destructor gave every node back: the heap holds no busy block.
    PROCESS_HEAP_ENTRY entry = {};
    int busy = 0;
    while (HeapWalk(heap, &entry))
        busy += (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) ? 1 : 0;
    EXPECT_EQ(0, busy);
    HeapDestroy(heap);
}
