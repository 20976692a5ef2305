#include "lib/LinkListSingleThreaded.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

int g_values[5] = {0, 1, 2, 3, 4};

// The data pointers front to back, checked against the backward walk and the count on the way.
std::vector<int> Contents(const CLinkListBaseSingleThreaded& list) {
    std::vector<int> forward;
    for (LINK_LIST_NODE* node = list.First(); node; node = node->next)
        forward.push_back(*static_cast<int*>(node->data));
    std::vector<int> backward;
    for (LINK_LIST_NODE* node = list.Last(); node; node = node->previous)
        backward.insert(backward.begin(), *static_cast<int*>(node->data));
    EXPECT_EQ(forward, backward) << "the links disagree";
    EXPECT_EQ(forward.size(), list.Count());
    return forward;
}

} // namespace

TEST(LinkListTest, InsertsAtTheFrontOrBehindANode) {
    CLinkListSimpleSingleThreaded list;
    LINK_LIST_NODE* two = list.AddItem(nullptr, &g_values[2]);
    ASSERT_NE(nullptr, two);
    EXPECT_EQ(two, list.First());
    EXPECT_EQ(two, list.Last());
    LINK_LIST_NODE* four = list.AddItem(two, &g_values[4]);
    EXPECT_EQ(four, list.Last()) << "inserting behind the last node makes a new last node";
    list.AddItem(two, &g_values[3]);
    LINK_LIST_NODE* zero = list.AddItem(nullptr, &g_values[0]);
    EXPECT_EQ(zero, list.First()) << "inserting with no node makes a new first node";
    list.AddItem(zero, &g_values[1]);
    EXPECT_EQ((std::vector<int>{0, 1, 2, 3, 4}), Contents(list));
    EXPECT_TRUE(list.Lock());
    EXPECT_TRUE(list.Unlock());
}

TEST(LinkListTest, RemovesNodesAndItemsKeepingEndsRight) {
    CLinkListSimpleSingleThreaded list;
    LINK_LIST_NODE* only = list.AddItem(nullptr, &g_values[1]);
    EXPECT_TRUE(list.RemoveNode(only));
    EXPECT_EQ(nullptr, list.First());
    EXPECT_EQ(nullptr, list.Last());
    EXPECT_EQ(0u, list.Count());
    EXPECT_FALSE(list.RemoveNode(only)) << "an empty list has nothing to remove";

    LINK_LIST_NODE* last = nullptr;
    for (int& value : g_values)
        last = list.AddItem(last, &value);
    // A second node with the same data: RemoveItem takes the first one only.
    list.AddItem(nullptr, &g_values[3]);
    EXPECT_TRUE(list.RemoveItem(&g_values[3]));
    EXPECT_EQ((std::vector<int>{0, 1, 2, 3, 4}), Contents(list));
    EXPECT_TRUE(list.RemoveNode(list.Last()));
    EXPECT_TRUE(list.RemoveItem(&g_values[0]));
    EXPECT_EQ((std::vector<int>{1, 2, 3}), Contents(list));
    int absent = 7;
    EXPECT_FALSE(list.RemoveItem(&absent));
    list.RemoveAllItems();
    EXPECT_TRUE(Contents(list).empty());
    EXPECT_EQ(nullptr, list.Last());
}

TEST(LinkListTest, MovesKeepTheNodes) {
    CLinkListSimpleSingleThreaded list;
    std::vector<LINK_LIST_NODE*> nodes;
    for (int& value : g_values)
        nodes.push_back(list.AddItem(nodes.empty() ? nullptr : nodes.back(), &value));
    list.MoveToFront(nodes[3]);
    EXPECT_EQ((std::vector<int>{3, 0, 1, 2, 4}), Contents(list));
    list.MoveToEnd(nodes[3]);
    EXPECT_EQ((std::vector<int>{0, 1, 2, 4, 3}), Contents(list));
    list.MoveBehind(nodes[0], nodes[2]);
    EXPECT_EQ((std::vector<int>{1, 2, 0, 4, 3}), Contents(list));
    list.MoveBehind(nodes[4], nodes[3]);
    EXPECT_EQ((std::vector<int>{1, 2, 0, 3, 4}), Contents(list));
    EXPECT_EQ(nodes[4], list.Last());
    list.MoveToFront(nodes[1]);
    EXPECT_EQ(nodes[1], list.First()) << "moving the first node to the front changes nothing";
    EXPECT_EQ(nodes[0]->data, &g_values[0]) << "moved nodes are the same objects";
}

TEST(LinkListTest, NodesComeFromTheGivenHeapAndGoBackToIt) {
    HANDLE heap = HeapCreate(0, 0, 0);
    ASSERT_NE(nullptr, heap);
    {
        CLinkListSimpleSingleThreaded list(heap);
        LINK_LIST_NODE* node = list.AddItem(nullptr, &g_values[0]);
        EXPECT_EQ(sizeof(LINK_LIST_NODE), HeapSize(heap, 0, node));
        list.AddItem(node, &g_values[1]);
    }
    // The destructor returned every node: the heap holds no busy block any more.
    PROCESS_HEAP_ENTRY entry = {};
    int busy = 0;
    HeapLock(heap);
    while (HeapWalk(heap, &entry))
        busy += (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) ? 1 : 0;
    HeapUnlock(heap);
    EXPECT_EQ(0, busy);
    HeapDestroy(heap);
}
