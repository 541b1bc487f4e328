// ZR_Chain: order, counts and the no-op cases of insert and remove.
#include "ZR/core/ZR_chain.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<int> members(const ZR_Chain &chain)
{
    std::vector<int> out;
    for (ZR_Chain_Item *i = chain.first(); i != chain.end(); i = i->next)
        out.push_back(*static_cast<int *>(i->owner));
    return out;
}

struct Items {
    int ids[4] = {0, 1, 2, 3};
    ZR_Chain_Item item[4] = {ZR_Chain_Item(&ids[0]), ZR_Chain_Item(&ids[1]), ZR_Chain_Item(&ids[2]),
                             ZR_Chain_Item(&ids[3])};
};

TEST(Chain, EmptyListLinksTheSentinels)
{
    ZR_Chain c;
    EXPECT_EQ(c.count, 0);
    EXPECT_EQ(c.head.next, &c.tail);
    EXPECT_EQ(c.tail.prev, &c.head);
    EXPECT_EQ(c.head.owner, nullptr);
    EXPECT_EQ(c.tail.owner, nullptr);
    EXPECT_EQ(c.first(), c.end());
}

TEST(Chain, ItemStartsOutsideAnyList)
{
    int owner;
    ZR_Chain_Item i(&owner);
    EXPECT_EQ(i.owner, &owner);
    EXPECT_EQ(i.prev, nullptr);
    EXPECT_EQ(i.next, nullptr);
    EXPECT_EQ(i.list, nullptr);
}

TEST(Chain, NullBeforeAppendsAndFirstMemberBeforePrepends)
{
    Items it;
    ZR_Chain c;
    c.insert(&it.item[0]);
    c.insert(&it.item[1], nullptr);
    EXPECT_EQ(members(c), (std::vector<int>{0, 1}));
    c.insert(&it.item[2], c.first());
    EXPECT_EQ(members(c), (std::vector<int>{2, 0, 1}));
    c.insert(&it.item[3], &it.item[1]);
    EXPECT_EQ(members(c), (std::vector<int>{2, 0, 3, 1}));
    EXPECT_EQ(c.count, 4);
    EXPECT_EQ(it.item[3].list, &c);
    EXPECT_EQ(c.tail.prev, &it.item[1]);
    EXPECT_EQ(c.head.next, &it.item[2]);
}

// Inserting an item that is in a list already, or removing one from a list
// it is not in, changes neither list.
TEST(Chain, ForeignItemsChangeNeitherList)
{
    Items it;
    ZR_Chain a, b;
    a.insert(&it.item[0]);
    a.insert(&it.item[1]);
    b.insert(&it.item[2]);
    a.insert(&it.item[0]); // already in a
    b.insert(&it.item[1]); // in the other list
    b.insert(&it.item[1], &it.item[2]);
    b.remove(&it.item[0]); // in the other list
    a.remove(&it.item[2]);
    a.remove(&it.item[3]); // in no list
    b.remove(&it.item[3]);
    a.remove(nullptr);
    EXPECT_EQ(members(a), (std::vector<int>{0, 1}));
    EXPECT_EQ(members(b), (std::vector<int>{2}));
    EXPECT_EQ(a.count, 2);
    EXPECT_EQ(b.count, 1);
    EXPECT_EQ(it.item[1].list, &a);
    EXPECT_EQ(it.item[2].list, &b);
    EXPECT_EQ(it.item[3].list, nullptr);
}

TEST(Chain, InsertBeforeAnItemOfAnotherListDoesNothing)
{
    Items it;
    ZR_Chain a, b;
    b.insert(&it.item[0]);
    a.insert(&it.item[1], &it.item[0]);
    a.insert(&it.item[2], &it.item[3]); // before an item in no list
    EXPECT_EQ(a.count, 0);
    EXPECT_EQ(it.item[1].list, nullptr);
    EXPECT_EQ(members(b), (std::vector<int>{0}));
}

TEST(Chain, RemoveUnlinksAndAllowsMovingToAnotherList)
{
    Items it;
    ZR_Chain a, b;
    for (auto &i : it.item)
        a.insert(&i);
    a.remove(&it.item[1]);
    EXPECT_EQ(members(a), (std::vector<int>{0, 2, 3}));
    EXPECT_EQ(it.item[1].list, nullptr);
    EXPECT_EQ(it.item[1].prev, nullptr);
    EXPECT_EQ(it.item[1].next, nullptr);
    b.insert(&it.item[1]);
    EXPECT_EQ(members(b), (std::vector<int>{1}));
    a.remove(&it.item[0]);
    a.remove(&it.item[3]);
    a.remove(&it.item[2]);
    EXPECT_EQ(a.count, 0);
    EXPECT_EQ(a.head.next, &a.tail);
    EXPECT_EQ(a.tail.prev, &a.head);
}

TEST(Chain, SentinelsAreNotMembers)
{
    Items it;
    ZR_Chain a;
    a.insert(&it.item[0], &a.head); // nothing may go before the head
    EXPECT_EQ(a.count, 0);
    a.remove(&a.head);
    a.remove(&a.tail);
    EXPECT_EQ(a.head.next, &a.tail);
    a.insert(&it.item[0], &a.tail); // before the tail: at the end
    EXPECT_EQ(members(a), (std::vector<int>{0}));
}

} // namespace
