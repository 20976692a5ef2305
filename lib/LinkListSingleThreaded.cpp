#include "lib/LinkListSingleThreaded.h"

LINK_LIST_NODE* CLinkListBaseSingleThreaded::AddItem(LINK_LIST_NODE* after, void* data) {
    LINK_LIST_NODE* node = static_cast<LINK_LIST_NODE*>(HeapAlloc(m_heap, HEAP_ZERO_MEMORY, sizeof(LINK_LIST_NODE)));
    if (!node)
        return nullptr;
    node->data = data;
    LinkBehind(node, after);
    ++m_count;
    return node;
}

BOOL CLinkListBaseSingleThreaded::RemoveNode(LINK_LIST_NODE* node) {
    if (!node || m_count == 0)
        return FALSE;
    Unlink(node);
    HeapFree(m_heap, 0, node);
    --m_count;
    return TRUE;
}

BOOL CLinkListBaseSingleThreaded::RemoveItem(void* data) {
    for (LINK_LIST_NODE* node = m_first; node; node = node->next) {
        if (node->data == data)
            return RemoveNode(node);
    }
    return FALSE;
}

void CLinkListBaseSingleThreaded::RemoveAllItems() {
    while (m_first)
        RemoveNode(m_first);
}

void CLinkListBaseSingleThreaded::MoveBehind(LINK_LIST_NODE* node, LINK_LIST_NODE* after) {
    if (!node || node == after)
        return;
    Unlink(node);
    LinkBehind(node, after);
}

void CLinkListBaseSingleThreaded::MoveToFront(LINK_LIST_NODE* node) {
    MoveBehind(node, nullptr);
}

void CLinkListBaseSingleThreaded::MoveToEnd(LINK_LIST_NODE* node) {
    if (node && node != m_last)
        MoveBehind(node, m_last);
}

void CLinkListBaseSingleThreaded::Unlink(LINK_LIST_NODE* node) {
    if (node->previous)
        node->previous->next = node->next;
    else
        m_first = node->next;
    if (node->next)
        node->next->previous = node->previous;
    else
        m_last = node->previous;
    node->next = nullptr;
    node->previous = nullptr;
}

void CLinkListBaseSingleThreaded::LinkBehind(LINK_LIST_NODE* node, LINK_LIST_NODE* after) {
    node->previous = after;
    node->next = after ? after->next : m_first;
    if (node->next)
        node->next->previous = node;
    else
        m_last = node;
    if (after)
        after->next = node;
    else
        m_first = node;
}
