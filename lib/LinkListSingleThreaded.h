#pragma once
#include <windows.h>

// A node of the list: the caller's data pointer and the two links.
struct LINK_LIST_NODE {
    void* data;
    LINK_LIST_NODE* next;
    LINK_LIST_NODE* previous;
};

// A doubly linked list of untyped pointers whose nodes come from a heap the caller chooses. The list
// owns its nodes, never the data they point to: free the data before removing the nodes.
class CLinkListBaseSingleThreaded {
public:
    explicit CLinkListBaseSingleThreaded(HANDLE heap = GetProcessHeap()) : m_heap(heap) {}
    virtual ~CLinkListBaseSingleThreaded() { RemoveAllItems(); }
    CLinkListBaseSingleThreaded(const CLinkListBaseSingleThreaded&) = delete;
    CLinkListBaseSingleThreaded& operator=(const CLinkListBaseSingleThreaded&) = delete;

    // A single thread needs no lock; the operations exist so the list reads like its locked kin.
    virtual BOOL Lock() { return TRUE; }
    virtual BOOL Unlock() { return TRUE; }

    // Inserts behind after, or at the front when after is null. Null when the heap is exhausted.
    LINK_LIST_NODE* AddItem(LINK_LIST_NODE* after, void* data);
    // Unlinks and frees the node; FALSE when the list is empty.
    BOOL RemoveNode(LINK_LIST_NODE* node);
    // Removes the first node holding data; FALSE when there is none.
    BOOL RemoveItem(void* data);
    void RemoveAllItems();

    // Moves keep the node itself, so pointers to it stay valid.
    void MoveBehind(LINK_LIST_NODE* node, LINK_LIST_NODE* after);
    void MoveToFront(LINK_LIST_NODE* node);
    void MoveToEnd(LINK_LIST_NODE* node);

    ULONG64 Count() const { return m_count; }
    LINK_LIST_NODE* First() const { return m_first; }
    LINK_LIST_NODE* Last() const { return m_last; }

private:
    void Unlink(LINK_LIST_NODE* node);
    void LinkBehind(LINK_LIST_NODE* node, LINK_LIST_NODE* after);

    ULONG64 m_count = 0;
    LINK_LIST_NODE* m_first = nullptr;
    LINK_LIST_NODE* m_last = nullptr;
    HANDLE m_heap;
};

// The list as it is instantiated.
class CLinkListSimpleSingleThreaded : public CLinkListBaseSingleThreaded {
public:
    using CLinkListBaseSingleThreaded::CLinkListBaseSingleThreaded;
};
