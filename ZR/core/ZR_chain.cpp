// ZR_Chain insert and remove.
#include "ZR/core/ZR_chain.h"

ZR_Chain::ZR_Chain() : head(nullptr), tail(nullptr), count(0)
{
    head.next = &tail;
    tail.prev = &head;
}

void ZR_Chain::insert(ZR_Chain_Item *item, ZR_Chain_Item *before)
{
    if (!item || item->list)
        return;
    if (!before)
        before = &tail;
    else if (before->list != this && before != &tail)
        return;
    item->prev = before->prev;
    item->next = before;
    before->prev->next = item;
    before->prev = item;
    item->list = this;
    count++;
}

void ZR_Chain::remove(ZR_Chain_Item *item)
{
    if (!item || item->list != this)
        return;
    item->prev->next = item->next;
    item->next->prev = item->prev;
    item->prev = item->next = nullptr;
    item->list = nullptr;
    count--;
}
