// Intrusive doubly linked list with head and tail sentinels.
#pragma once
#include <cstdint>

class ZR_Chain;

class ZR_Chain_Item {
public:
    ZR_Chain_Item *prev;
    ZR_Chain_Item *next;
    void *owner;    // the object that embeds the item
    ZR_Chain *list; // the list the item is in, or null

    explicit ZR_Chain_Item(void *owner_object = nullptr)
        : prev(nullptr), next(nullptr), owner(owner_object), list(nullptr)
    {
    }
    ZR_Chain_Item(const ZR_Chain_Item &) = delete;
    ZR_Chain_Item &operator=(const ZR_Chain_Item &) = delete;
};

class ZR_Chain {
public:
    ZR_Chain_Item head;
    ZR_Chain_Item tail;
    int32_t count;

    ZR_Chain();
    ZR_Chain(const ZR_Chain &) = delete;
    ZR_Chain &operator=(const ZR_Chain &) = delete;

    // Joins item before `before` (at the end when null); nothing happens if
    // the item is already in a list or `before` is not in this one.
    void insert(ZR_Chain_Item *item, ZR_Chain_Item *before = nullptr);
    // Unlinks item if it is in this list; otherwise nothing happens.
    void remove(ZR_Chain_Item *item);

    ZR_Chain_Item *first() const { return head.next; }
    const ZR_Chain_Item *end() const { return &tail; }
};
