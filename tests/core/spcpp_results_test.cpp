// Result texts: item formats, separators, the capacity and the length.
#include "spcpp_fixture.h"

#include <cinttypes>
#include <cstring>

namespace {

using SpcppResult = Spcpp;

std::string hex_of(const void *o)
{
    char s[32];
    std::snprintf(s, sizeof s, "0x%" PRIXPTR, (uintptr_t)o);
    return s;
}

// "T_Item 0x... <rest>" for an existing item.
std::string on(const T_Item *item, const char *rest)
{
    return "T_Item " + hex_of(item) + " " + rest;
}

TEST_F(SpcppResult, CreatedObjectThenQueryResults)
{
    std::string text;
    ASSERT_EQ(text_of("T_Item -l 512 -l", &text), ZR_OK);
    ASSERT_EQ(T_Base::all.count, 1);
    T_Item *item = static_cast<T_Item *>(T_Base::all.first()->owner);
    EXPECT_EQ(text, hex_of(item) + " 512");
}

TEST_F(SpcppResult, NamingAnExistingObjectAppendsNothing)
{
    T_Item *item = new_item();
    item->l = 512;
    std::string text;
    ASSERT_EQ(text_of(on(item, "-l").c_str(), &text), ZR_OK);
    EXPECT_EQ(text, "512");
}

TEST_F(SpcppResult, FormatsOfEveryType)
{
    T_Item *item = new_item();
    item->l = -42;
    item->f = 0.618f;
    std::strcpy(item->s, "sub");
    item->obj = (void *)(uintptr_t)0xABCDEF;
    std::string text;
    ASSERT_EQ(text_of(on(item, "-l -f -s -o").c_str(), &text), ZR_OK);
    char f[64];
    std::snprintf(f, sizeof f, "%f", (double)0.618f);
    EXPECT_EQ(text, std::string("-42 ") + f + " sub 0xABCDEF");
}

TEST_F(SpcppResult, RawBytesFollowTheSeparator)
{
    T_Item *item = new_item();
    item->l = 1;
    std::string text;
    ASSERT_EQ(text_of(on(item, "-l -raw -l").c_str(), &text), ZR_OK);
    EXPECT_EQ(text, std::string("1 AB\0C 1", 8));
    ASSERT_EQ(text_of(on(item, "-raw").c_str(), &text), ZR_OK);
    EXPECT_EQ(text, std::string("AB\0C", 4)); // no separator while empty
}

TEST_F(SpcppResult, EmptyAnswersAndSetsAppendNothing)
{
    T_Item *item = new_item();
    std::string text;
    ASSERT_EQ(text_of(on(item, "-nothing -l 3 -nothing").c_str(), &text), ZR_OK);
    EXPECT_EQ(text, "");
}

TEST_F(SpcppResult, BufferIsZeroFilledAndLengthReturned)
{
    T_Item *item = new_item();
    item->l = 7;
    char buffer[16];
    std::memset(buffer, 'x', sizeof buffer);
    int capacity = sizeof buffer;
    ASSERT_EQ(spcpp_exec(SPCPP_RESULT_TEXT, on(item, "-l").c_str(), buffer, &capacity, nullptr),
              ZR_OK);
    EXPECT_EQ(capacity, 1);
    for (int i = 1; i < 16; ++i)
        EXPECT_EQ(buffer[i], 0) << i;
}

TEST_F(SpcppResult, ExactFitSucceedsOneByteLessIsNotSpace)
{
    T_Item *item = new_item();
    item->l = 1234;
    std::string command = on(item, "-l -l"); // "1234 1234": 9 bytes
    struct {
        char buffer[9];
        char canary[8];
    } guarded;
    std::memset(guarded.canary, 0x5A, sizeof guarded.canary);
    int capacity = 9;
    ASSERT_EQ(spcpp_exec(SPCPP_RESULT_TEXT, command.c_str(), guarded.buffer, &capacity, nullptr),
              ZR_OK);
    EXPECT_EQ(capacity, 9);
    EXPECT_EQ(std::memcmp(guarded.buffer, "1234 1234", 9), 0);
    for (char c : guarded.canary)
        EXPECT_EQ(c, 0x5A);

    std::memset(guarded.buffer, 0x5A, sizeof guarded.buffer);
    capacity = 8;
    EXPECT_EQ(spcpp_exec(SPCPP_RESULT_TEXT, command.c_str(), guarded.buffer, &capacity, nullptr),
              ZR_ERROR_COMMAND_NOT_SPACE);
    EXPECT_EQ(capacity, 8); // left as given on failure
    EXPECT_EQ(std::memcmp(guarded.buffer, "1234\0\0\0\0", 8), 0);
    EXPECT_EQ(guarded.buffer[8], 0x5A);
}

TEST_F(SpcppResult, NotSpaceNeverWritesPastCapacityForAnyItem)
{
    T_Item *item = new_item();
    item->l = -2000000000;
    item->f = 3.0e38f; // "%f" gives 46 characters
    std::strcpy(item->s, "some text that is long");
    item->obj = item;
    const char *queries[] = {"-l", "-f", "-s", "-o", "-raw", "-l -f -s -o -raw"};
    for (const char *q : queries) {
        std::string command = on(item, q);
        std::string full;
        ASSERT_EQ(text_of(command.c_str(), &full, 512), ZR_OK);
        for (int cap = 0; cap < (int)full.size(); ++cap) {
            char area[600];
            std::memset(area, 0x5A, sizeof area);
            int capacity = cap;
            ASSERT_EQ(spcpp_exec(SPCPP_RESULT_TEXT, command.c_str(), area, &capacity, nullptr),
                      ZR_ERROR_COMMAND_NOT_SPACE)
                << q << " cap " << cap;
            for (int i = cap; i < (int)sizeof area; ++i)
                ASSERT_EQ(area[i], 0x5A) << q << " cap " << cap << " byte " << i;
            // Whole items of the full text, then the zero fill.
            int k = 0;
            while (k < cap && area[k] == full[(size_t)k])
                ++k;
            for (int i = k; i < cap; ++i)
                ASSERT_EQ(area[i], 0) << q << " cap " << cap << " byte " << i;
        }
    }
}

TEST_F(SpcppResult, NotSpaceWhenTheCreatedObjectDoesNotFit)
{
    char area[8];
    std::memset(area, 0x5A, sizeof area);
    int capacity = 3; // "0x" and at least one digit would be needed
    EXPECT_EQ(spcpp_exec(SPCPP_RESULT_TEXT, "T_Item -l 5", area, &capacity, nullptr),
              ZR_ERROR_COMMAND_NOT_SPACE);
    EXPECT_EQ(area[3], 0x5A);
    // The object exists, but no later option ran.
    ASSERT_EQ(T_Base::all.count, 1);
    EXPECT_EQ(static_cast<T_Item *>(T_Base::all.first()->owner)->l, 0);
}

TEST_F(SpcppResult, EarlierPassesTakeEffectBeforeNotSpace)
{
    T_Item *item = new_item();
    item->l = 123456;
    char area[4];
    int capacity = sizeof area;
    EXPECT_EQ(spcpp_exec(SPCPP_RESULT_TEXT, on(item, "-limit 5 -l -f 2").c_str(), area, &capacity,
                         nullptr),
              ZR_ERROR_COMMAND_NOT_SPACE);
    EXPECT_EQ(item->limit, 5);
    EXPECT_EQ(item->f, 0.0f);
}

TEST_F(SpcppResult, NullBufferOrCapacityMeansNoSpace)
{
    T_Item *item = new_item();
    int capacity = 16;
    EXPECT_EQ(spcpp_exec(SPCPP_RESULT_TEXT, on(item, "-l").c_str(), nullptr, &capacity, nullptr),
              ZR_ERROR_COMMAND_NOT_SPACE);
    char area[16];
    EXPECT_EQ(spcpp_exec(SPCPP_RESULT_TEXT, on(item, "-l").c_str(), area, nullptr, nullptr),
              ZR_ERROR_COMMAND_NOT_SPACE);
    // Queries that append nothing still succeed.
    capacity = 0;
    EXPECT_EQ(spcpp_exec(SPCPP_RESULT_TEXT, on(item, "-l 4").c_str(), area, &capacity, nullptr),
              ZR_OK);
    EXPECT_EQ(capacity, 0);
}

TEST_F(SpcppResult, PrintedObjectCanBePastedIntoALaterCommand)
{
    std::string created;
    ASSERT_EQ(text_of("T_Item -l 3", &created), ZR_OK);
    std::string text;
    ASSERT_EQ(text_of(("T_Item " + created + " -l").c_str(), &text), ZR_OK);
    EXPECT_EQ(text, "3");
    ASSERT_EQ(text_of(("ZR_Object " + created + " -delete").c_str(), &text), ZR_OK);
    EXPECT_EQ(T_Base::all.count, 0);
}

ZR_status exec_both(char *area, int *capacity, const char *command, ...)
{
    va_list args;
    va_start(args, command);
    ZR_status s = spcpp_exec(SPCPP_RESULT_TEXT | SPCPP_OUT_PARAMS, command, area, capacity, &args);
    va_end(args);
    return s;
}

TEST_F(SpcppResult, ResultTextAndOutParametersTogether)
{
    T_Item *item = nullptr;
    int l = 0;
    char area[64];
    int capacity = sizeof area;
    ASSERT_EQ(exec_both(area, &capacity, "T_Item -l %i -l", &item, 21, &l), ZR_OK);
    EXPECT_EQ(l, 21);
    EXPECT_EQ(std::string(area, (size_t)capacity), hex_of(item) + " 21");
}

} // namespace
