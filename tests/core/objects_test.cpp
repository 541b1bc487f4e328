// ZR_value, ZR_EMPTY, typed handler thunks, ZR_object_of and the registry of
// live objects.
#include "ZR/core/ZR_object.h"
#include "tests/support/test_classes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(Value, EmptyValueIsKeywordZeroWithLengthMinusOne)
{
    EXPECT_EQ(ZR_EMPTY.type, ZR_TYPE_KEYWORD);
    EXPECT_EQ(ZR_EMPTY.value.o, nullptr);
    EXPECT_EQ(ZR_EMPTY.len, -1);
    ZR_value e = ZR_value::empty();
    EXPECT_EQ(e.type, ZR_TYPE_KEYWORD);
    EXPECT_EQ(e.len, -1);
}

TEST(Value, ConstructorsSetTypeAndLength)
{
    EXPECT_EQ(ZR_value::of_int(-3).value.i, -3);
    EXPECT_EQ(ZR_value::of_float(1.5f).type, ZR_TYPE_FLOAT);
    EXPECT_EQ(ZR_value::of_text("x").type, ZR_TYPE_TEXT);
    EXPECT_EQ(ZR_value::of_object(&ZR_EMPTY).len, -1);
    ZR_value bytes = ZR_value::of_bytes("abc", 3);
    EXPECT_EQ(bytes.type, ZR_TYPE_OBJECT);
    EXPECT_EQ(bytes.len, 3);
    EXPECT_EQ(ZR_value().type, ZR_TYPE_NONE);
}

TEST(Value, FloatsTruncateTowardZeroAndClamp)
{
    EXPECT_EQ(ZR_value::of_float(2.9f).to_int(), 2);
    EXPECT_EQ(ZR_value::of_float(-2.9f).to_int(), -2);
    EXPECT_EQ(ZR_value::of_float(3e9f).to_int(), INT32_MAX);
    EXPECT_EQ(ZR_value::of_float(-3e9f).to_int(), INT32_MIN);
    EXPECT_EQ(ZR_value::of_float(INFINITY).to_int(), INT32_MAX);
    EXPECT_EQ(ZR_value::of_float(NAN).to_int(), 0);
    EXPECT_EQ(ZR_value::of_int(7).to_double(), 7.0);
    EXPECT_EQ(ZR_value::of_text("5").to_int(), 0);
    EXPECT_FALSE(ZR_value::of_text("5").is_number());
}

struct Counting : ZR_value {
    int calls = 0;
    void *last = nullptr;
    void notify(void *data) override
    {
        calls++;
        last = data;
    }
};

TEST(Value, NotifyIsVirtualAndTheBaseDoesNothing)
{
    Counting c;
    ZR_value &v = c;
    int data;
    v.notify(&data);
    EXPECT_EQ(c.calls, 1);
    EXPECT_EQ(c.last, &data);
    ZR_value plain;
    plain.notify(nullptr);
}

TEST(Objects, RegistryFollowsConstructionAndDestruction)
{
    T_Item *item = new T_Item();
    EXPECT_TRUE(ZR_object_alive(item));
    EXPECT_EQ(item->options, ZR_Object_options); // until the interpreter sets it
    EXPECT_EQ(item->command, nullptr);
    delete item;
    EXPECT_FALSE(ZR_object_alive(item));
    EXPECT_FALSE(ZR_object_alive(nullptr));
    int not_an_object;
    EXPECT_FALSE(ZR_object_alive(&not_an_object));
}

TEST(Objects, ObjectOfChecksTypeLengthAndClass)
{
    T_Item item;
    ZR_Object plain;
    EXPECT_EQ(ZR_object_of<T_Item>(ZR_value::of_object(&item)), &item);
    EXPECT_EQ(ZR_object_of<T_Base>(ZR_value::of_object(&item)), &item);
    EXPECT_EQ(ZR_object_of<T_Item>(ZR_value::of_object(&plain)), nullptr);
    EXPECT_EQ(ZR_object_of<T_Item>(ZR_value::of_bytes(&item, 4)), nullptr);
    EXPECT_EQ(ZR_object_of<T_Item>(ZR_value::of_int(0)), nullptr);
    EXPECT_EQ(ZR_object_of<T_Item>(ZR_value::of_object(nullptr)), nullptr);
}

TEST(Objects, ThunkPassesOnlyObjectsOfItsClass)
{
    T_Item item;
    ZR_Object plain;
    ZR_handler l = &ZR_handler_thunk<T_Item, &T_Item::m_l>;
    EXPECT_EQ(l(&item, ZR_value::of_int(4)).value.i, 4);
    EXPECT_EQ(item.l, 4);
    ZR_value none = l(&plain, ZR_value::of_int(5));
    EXPECT_EQ(none.type, ZR_TYPE_KEYWORD);
    EXPECT_EQ(l(nullptr, ZR_value::of_int(5)).type, ZR_TYPE_KEYWORD);
}

TEST(Objects, DeleteOptionDestroysAndAnswersEmpty)
{
    ZR_Object *o = new ZR_Object();
    ZR_value r = ZR_Object::m_delete(o, ZR_EMPTY);
    EXPECT_EQ(r.type, ZR_TYPE_KEYWORD);
    EXPECT_EQ(r.value.o, nullptr);
    EXPECT_FALSE(ZR_object_alive(o));
    // Through the table with a null object: nothing happens.
    EXPECT_EQ(ZR_Object_options[1].handler(nullptr, ZR_EMPTY).type, ZR_TYPE_KEYWORD);
}

TEST(Objects, OptionTablesHaveConstructorPairsAndParentLinks)
{
    EXPECT_STREQ(ZR_Object_options[0].name, "");
    EXPECT_EQ(ZR_Object_options[0].create, nullptr);
    EXPECT_STREQ(ZR_Object_options[1].name, "delete");
    EXPECT_EQ(ZR_Object_options[2].name, nullptr);
    EXPECT_EQ(ZR_Object_options[2].parent, nullptr);
    EXPECT_NE(T_Item_options[0].create, nullptr);
    ZR_Object *made = T_Item_options[0].create();
    EXPECT_NE(dynamic_cast<T_Item *>(made), nullptr);
    delete made;
}

TEST(Objects, ClassTableStartsWithObjectAndEndsWithNulls)
{
    EXPECT_STREQ(_ZR[0].name, "ZR_Object");
    EXPECT_EQ(_ZR[0].options, ZR_Object_options);
    int n = 0;
    while (_ZR[n].name) {
        EXPECT_NE(_ZR[n].options, nullptr) << _ZR[n].name;
        ++n;
    }
    EXPECT_EQ(_ZR[n].options, nullptr);
}

} // namespace
