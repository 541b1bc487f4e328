// Commands that succeed: creating, setting, querying and deleting objects,
// placeholders, out-parameters in textual order, option lookup.
#include "spcpp_fixture.h"

#include <cstring>

namespace {

using SpcppExec = Spcpp;

TEST_F(SpcppExec, ClassNameAloneCreatesOneObjectThroughFirstArgument)
{
    int before = T_Base::all.count;
    T_Item *item = nullptr;
    const char *command = "T_Item";
    ASSERT_EQ(spcpp(command, &item), ZR_OK);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(T_Base::all.count, before + 1);
    EXPECT_EQ(item->options, T_Item_options);
    EXPECT_EQ(item->command, command); // the caller's text, not a copy
    EXPECT_TRUE(item->special_null);
}

TEST_F(SpcppExec, WorkedExampleSetsOptionsInOrder)
{
    T_Item *in = new_item(), *out = new_item(), *item = nullptr;
    ASSERT_EQ(spcpp("T_Item -o %o -l %o -f .618 -s sub", &item, in, out), ZR_OK);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->obj, in);
    EXPECT_EQ(item->l, 0); // an object is not a number: the handler ignores it
    EXPECT_FLOAT_EQ(item->f, 0.618f);
    EXPECT_STREQ(item->s, "sub");
}

TEST_F(SpcppExec, PlaceholdersTakeArgumentsLeftToRight)
{
    T_Item *item = new_item();
    ASSERT_EQ(spcpp("%o -l %i -f %f -s %s -o %o", item, 7, 2.5, "word", item), ZR_OK);
    EXPECT_EQ(item->l, 7);
    EXPECT_FLOAT_EQ(item->f, 2.5f);
    EXPECT_STREQ(item->s, "word");
    EXPECT_EQ(item->obj, item);
}

TEST_F(SpcppExec, DoubleArgumentIsStoredAsSinglePrecision)
{
    T_Item *item = new_item();
    ASSERT_EQ(spcpp("%o -seen %f", item, 0.1), ZR_OK);
    EXPECT_EQ(T_Item::seen_value.type, ZR_TYPE_FLOAT);
    EXPECT_EQ(T_Item::seen_value.value.f, 0.1f);
    EXPECT_EQ(T_Item::seen_value.len, -1);
}

TEST_F(SpcppExec, NegativeNumberAfterOptionIsAValue)
{
    T_Item *item = new_item();
    ASSERT_EQ(spcpp("%o -l -1 -limit -2", item), ZR_OK);
    EXPECT_EQ(item->l, -1);
    EXPECT_EQ(item->limit, -2);
}

TEST_F(SpcppExec, WordAfterOptionStartingWithDashIsAKeywordSoItQueries)
{
    T_Item *item = new_item();
    item->l = 3;
    int l = 0;
    ASSERT_EQ(spcpp("%o -seen -l", item, &l), ZR_OK);
    EXPECT_EQ(T_Item::seen_calls, 1);
    EXPECT_EQ(T_Item::seen_value.type, ZR_TYPE_KEYWORD); // queried with the empty value
    EXPECT_EQ(T_Item::seen_value.value.s, nullptr);
    EXPECT_EQ(l, 3);
}

TEST_F(SpcppExec, TextValueIsTerminatedDuringTheCallAndCommandIsRestored)
{
    T_Item *item = new_item();
    char command[] = "%o -seen sub -l 4";
    const char copy[] = "%o -seen sub -l 4";
    ASSERT_EQ(spcpp(command, item), ZR_OK);
    EXPECT_STREQ(T_Item::seen_text, "sub");
    EXPECT_EQ(item->l, 4);
    EXPECT_EQ(std::memcmp(command, copy, sizeof copy), 0);
}

TEST_F(SpcppExec, CommandTextIsUnchangedAfterEveryKindOfCommand)
{
    const char *commands[] = {
        "T_Item -s abc -l 5 -f 1.5 -seen xyz -l",
        "T_Item current -s x",
        "T_Item -nosuch 1",
        "T_Item -l 1 2",
        "NoClass -l 1",
    };
    for (const char *c : commands) {
        char command[128];
        std::strcpy(command, c);
        testing::internal::CaptureStdout();
        spcpp_exec(SPCPP_RESULT_TEXT, command, nullptr, nullptr, nullptr);
        testing::internal::GetCapturedStdout();
        EXPECT_STREQ(command, c);
    }
}

TEST_F(SpcppExec, OutParametersFollowTextualOrder)
{
    // Created object first, then placeholders and query results as reached.
    T_Item *item = nullptr;
    int l = 0, limit = 0;
    float f = 0;
    void *obj = nullptr;
    ASSERT_EQ(spcpp("T_Item -l %i -l -f %f -f -limit 9 -limit -o %o -o", &item, 11, &l, 1.25, &f,
                    &limit, (void *)&l, &obj),
              ZR_OK);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(l, 11);
    EXPECT_EQ(f, 1.25f);
    EXPECT_EQ(limit, 9);
    EXPECT_EQ(obj, (void *)&l);
}

TEST_F(SpcppExec, QueryWithNothingToReportTakesNoPointer)
{
    T_Item *item = new_item();
    item->l = 5;
    int l = 0;
    // -nothing answers the empty value: the next pointer belongs to -l.
    ASSERT_EQ(spcpp("%o -nothing -l", item, &l), ZR_OK);
    EXPECT_EQ(l, 5);
}

TEST_F(SpcppExec, QueryStoresFourByteValuesByType)
{
    T_Item *item = new_item();
    item->f = -3.5f;
    item->l = -9;
    struct {
        int32_t l;
        int32_t canary;
    } l_slot = {0, 0x5A5A5A5A};
    float f = 0;
    ASSERT_EQ(spcpp("%o -l -f", item, &l_slot.l, &f), ZR_OK);
    EXPECT_EQ(l_slot.l, -9);
    EXPECT_EQ(l_slot.canary, 0x5A5A5A5A);
    EXPECT_EQ(f, -3.5f);
}

TEST_F(SpcppExec, NullOutPointersAreSkipped)
{
    T_Item *item = new_item();
    EXPECT_EQ(spcpp("%o -l", item, (int *)nullptr), ZR_OK);
    EXPECT_EQ(spcpp("T_Item -l 1", (T_Item **)nullptr), ZR_OK);
}

TEST_F(SpcppExec, SpecialObjectIsTheFirstTextValueOnlyWhileConstructing)
{
    T_Item *item = nullptr;
    ASSERT_EQ(spcpp("T_Item current", &item), ZR_OK);
    EXPECT_FALSE(item->special_null);
    EXPECT_STREQ(item->special, "current");
    EXPECT_EQ(ZR_specialobject, nullptr);

    // Followed by options, the text still ends at its separator.
    ASSERT_EQ(spcpp("T_Item current -l 5", &item), ZR_OK);
    EXPECT_STREQ(item->special, "current");
    EXPECT_EQ(item->l, 5);

    // The placeholder is reached before the object exists: its argument
    // comes before the pointer that receives the object.
    ASSERT_EQ(spcpp("T_Item %s -l 6", "given", &item), ZR_OK);
    EXPECT_STREQ(item->special, "given");
    EXPECT_EQ(item->l, 6);

    ASSERT_EQ(spcpp("T_Item -l 5", &item), ZR_OK);
    EXPECT_TRUE(item->special_null);
}

TEST_F(SpcppExec, OptionNamesMatchWholeWordsOnly)
{
    T_Item *item = new_item();
    ASSERT_EQ(spcpp("%o -l 1 -limit 2", item), ZR_OK);
    EXPECT_EQ(item->l, 1);
    EXPECT_EQ(item->limit, 2);
    ZR_status status;
    printed(&status, "%o -lim 3", item);
    EXPECT_EQ(status, ZR_ERROR_COMMAND_NOT_PARAM);
    printed(&status, "%o -limits 3", item);
    EXPECT_EQ(status, ZR_ERROR_COMMAND_NOT_PARAM);
    EXPECT_EQ(item->limit, 2);
}

TEST_F(SpcppExec, ClassNamesMatchWholeWordsOnly)
{
    ZR_status status;
    printed(&status, "T_It");
    EXPECT_EQ(status, ZR_ERROR_COMMAND_NOT_FOUND);
    printed(&status, "T_Items");
    EXPECT_EQ(status, ZR_ERROR_COMMAND_NOT_FOUND);
}

TEST_F(SpcppExec, OptionsOfParentTablesAreFoundThroughTheLinks)
{
    T_Item *item = new_item();
    int a = 0;
    ASSERT_EQ(spcpp("%o -a 12 -a", item, &a), ZR_OK); // T_Base's option
    EXPECT_EQ(a, 12);
    int deletes = T_Item::own_deletes;
    int count = T_Base::all.count;
    // ZR_Object's delete, reached through T_Base from a class-named object.
    ASSERT_EQ(spcpp("T_Base %o -delete", item), ZR_OK);
    EXPECT_EQ(T_Item::own_deletes, deletes);
    EXPECT_EQ(T_Base::all.count, count - 1);
}

TEST_F(SpcppExec, OwnDeleteHidesTheParentsDelete)
{
    T_Item *item = new_item();
    int count = T_Base::all.count;
    ASSERT_EQ(spcpp("%o -delete", item), ZR_OK);
    EXPECT_EQ(T_Item::own_deletes, 1);
    EXPECT_EQ(T_Base::all.count, count - 1);
    EXPECT_FALSE(ZR_object_alive(item));
}

TEST_F(SpcppExec, DeleteWritesNoOutParameter)
{
    T_Item *item = new_item();
    void *slot = (void *)&slot;
    ASSERT_EQ(spcpp("%o -delete", item, &slot), ZR_OK);
    EXPECT_EQ(slot, (void *)&slot);
    ZR_Object *plain = new T_Item();
    ASSERT_EQ(spcpp("ZR_Object %o -delete", plain, &slot), ZR_OK);
    EXPECT_EQ(slot, (void *)&slot);
    EXPECT_FALSE(ZR_object_alive(plain));
}

TEST_F(SpcppExec, ClassNameInFrontOfObjectChoosesTheOptionTable)
{
    T_Item *item = new_item();
    // The object's own table knows -l; T_Base's table does not.
    ZR_status status;
    std::string out = printed(&status, "T_Base %o -l 3", item);
    EXPECT_EQ(status, ZR_ERROR_COMMAND_NOT_PARAM);
    EXPECT_EQ(item->l, 0);
    EXPECT_EQ(spcpp("T_Base %o -a 3", item), ZR_OK);
    EXPECT_EQ(item->a, 3);
}

TEST_F(SpcppExec, ObjectNamedByPlaceholderUsesItsOwnTable)
{
    T_Item *item = new_item();
    item->options = T_Base_options; // as if created by another class
    ZR_status status;
    printed(&status, "%o -l 3", item);
    EXPECT_EQ(status, ZR_ERROR_COMMAND_NOT_PARAM);
    EXPECT_EQ(spcpp("%o -a 4", item), ZR_OK);
    EXPECT_EQ(item->a, 4);
}

TEST_F(SpcppExec, ObjectOfAnotherClassGetsNoHandlerCall)
{
    // The typed handler checks the class: a plain ZR_Object named as a
    // T_Item is left alone and answers nothing.
    ZR_Object *plain = new ZR_Object();
    ASSERT_EQ(spcpp("T_Item %o -l 5", plain), ZR_OK);
    ASSERT_EQ(spcpp("T_Item %o -l", plain, (int *)nullptr), ZR_OK);
    delete plain;
}

TEST_F(SpcppExec, NullObjectAfterClassNameReachesHandlersAsNull)
{
    ASSERT_EQ(spcpp("T_Item %o -l 5 -delete", (ZR_Object *)nullptr), ZR_OK);
}

TEST_F(SpcppExec, TypedHexNamingALiveObjectIsThatObject)
{
    T_Item *item = new_item();
    char command[96];
    std::snprintf(command, sizeof command, "T_Item 0x%llX -l 8",
                  (unsigned long long)(uintptr_t)item);
    ASSERT_EQ(spcpp(command), ZR_OK);
    EXPECT_EQ(item->l, 8);
    std::snprintf(command, sizeof command, "%%o -o 0x%llx", (unsigned long long)(uintptr_t)item);
    ASSERT_EQ(spcpp(command, item), ZR_OK);
    EXPECT_EQ(item->obj, item);
}

TEST_F(SpcppExec, TypedHexValueNamingNoObjectIsItsInteger)
{
    // A colour such as 0x00A57BBD is a number, not an object.
    T_Item *item = new_item();
    ASSERT_EQ(spcpp("%o -seen 0x00A57BBD -l 0xFFFFFFFF", item), ZR_OK);
    EXPECT_EQ(T_Item::seen_value.type, ZR_TYPE_INT);
    EXPECT_EQ(T_Item::seen_value.value.i, 0x00A57BBD);
    EXPECT_EQ(item->l, -1);
}

TEST_F(SpcppExec, PercentAtTheEndIsAValueOfNoTypeSoItQueries)
{
    T_Item *item = new_item();
    item->l = 6;
    int l = 0;
    std::string text;
    // Type 0 queries but takes no out-parameter.
    ASSERT_EQ(spcpp("%o -l %", item, &l), ZR_OK);
    EXPECT_EQ(l, 0);
    char command[64];
    std::snprintf(command, sizeof command, "T_Item 0x%llX -l %%",
                  (unsigned long long)(uintptr_t)item);
    ASSERT_EQ(text_of(command, &text), ZR_OK);
    EXPECT_EQ(text, "6");
}

TEST_F(SpcppExec, SetResultIsIgnoredAndNothingIsStored)
{
    T_Item *item = new_item();
    int unused = 77;
    ASSERT_EQ(spcpp("%o -l 3", item, &unused), ZR_OK);
    EXPECT_EQ(unused, 77);
}

TEST_F(SpcppExec, WithoutArgumentsPlaceholdersGiveNoValue)
{
    T_Item *item = new_item();
    char command[64];
    std::snprintf(command, sizeof command, "T_Item 0x%llX -l %%i",
                  (unsigned long long)(uintptr_t)item);
    item->l = 2;
    std::string text;
    ASSERT_EQ(text_of(command, &text), ZR_OK); // a query then
    EXPECT_EQ(text, "2");
    EXPECT_EQ(item->l, 2);
}

TEST_F(SpcppExec, OutParameterFlagOffTakesNoPointers)
{
    std::string text;
    // Result text only: no pointer is taken even for a created object.
    ASSERT_EQ(text_of("T_Item -l 9 -l", &text), ZR_OK);
    EXPECT_EQ(text.substr(text.find(' ') + 1), "9");
}

} // namespace
