// Failing commands: exact diagnostics on standard output, statuses, and what
// has already happened when a command stops.
#include "spcpp_fixture.h"

#include <cinttypes>
#include <cstring>

namespace {

using SpcppFailure = Spcpp;

TEST_F(SpcppFailure, UnknownClassPrintsTheCommandWordAndCreatesNothing)
{
    T_Item *item = nullptr;
    ZR_status status;
    EXPECT_EQ(printed(&status, "T_Nope -l 5", &item), "spcpp: command 'T_Nope' not found\n");
    EXPECT_EQ(status, ZR_ERROR_COMMAND_NOT_FOUND);
    EXPECT_EQ(item, nullptr);
    EXPECT_EQ(T_Base::all.count, 0);
    EXPECT_EQ(printed(&status, "T_Nope"), "spcpp: command 'T_Nope' not found\n");
}

TEST_F(SpcppFailure, UnknownOptionPrintsCommandThenNameAfterEarlierOptionsTookEffect)
{
    T_Item *item = nullptr;
    ZR_status status;
    EXPECT_EQ(printed(&status, "T_Item -l 5 -zz 3 -limit 4", &item),
              "spcpp: T_Item -l 5 -zz 3 -limit 4\nspcpp: param 'zz' not found\n");
    EXPECT_EQ(status, ZR_ERROR_COMMAND_NOT_PARAM);
    ASSERT_NE(item, nullptr); // created and handed out before the failure
    EXPECT_EQ(item->l, 5);
    EXPECT_EQ(item->limit, 0);
}

TEST_F(SpcppFailure, UnknownQueriedOptionAtTheEnd)
{
    T_Item *item = new_item();
    ZR_status status;
    EXPECT_EQ(printed(&status, "%o -l -zz", item, (int *)nullptr),
              "spcpp: %o -l -zz\nspcpp: param 'zz' not found\n");
    EXPECT_EQ(status, ZR_ERROR_COMMAND_NOT_PARAM);
}

TEST_F(SpcppFailure, HandlersReportNothingSoUnusableValuesAreOk)
{
    T_Item *item = new_item();
    EXPECT_EQ(spcpp("%o -l abc -f xyz", item), ZR_OK);
    EXPECT_EQ(item->l, 0);
}

struct Malformed {
    const char *command;
    const char *output;
    ZR_status status;
    int created;
};

TEST_F(SpcppFailure, MalformedCommandsAreRejected)
{
    const ZR_status not_found = ZR_ERROR_COMMAND_NOT_FOUND;
    const ZR_status not_param = ZR_ERROR_COMMAND_NOT_PARAM;
    const Malformed cases[] = {
        {"", "spcpp: command '' not found\n", not_found, 0},
        {"5 -l", "spcpp: command '5' not found\n", not_found, 0},
        {"0x1F -l", "spcpp: command '0x1F' not found\n", not_found, 0},
        {"%q -l", "spcpp: command '%q' not found\n", not_found, 0},
        {"%", "spcpp: command '%' not found\n", not_found, 0},
        {"T_Item 5 -l", "spcpp: command 'T_Item' not found\n", not_found, 0},
        {"T_Item 2.5", "spcpp: command 'T_Item' not found\n", not_found, 0},
        {"T_Base", "spcpp: command 'T_Base' not found\n", not_found, 0},
        {"T_Base -a 1", "spcpp: command 'T_Base' not found\n", not_found, 0},
        {"ZR_Object", "spcpp: command 'ZR_Object' not found\n", not_found, 0},
        {"T_Item  -l", "spcpp: T_Item  -l\nspcpp: param '' not found\n", not_param, 0},
        {"T_Item -l  1", "spcpp: T_Item -l  1\nspcpp: param '' not found\n", not_param, 1},
        {"T_Item -l ", "spcpp: T_Item -l \nspcpp: param '' not found\n", not_param, 1},
        {"T_Item -l 1 ", "spcpp: T_Item -l 1 \nspcpp: param '' not found\n", not_param, 1},
        {"T_Item -l 1 2", "spcpp: T_Item -l 1 2\nspcpp: param '2' not found\n", not_param, 1},
        {"T_Item -l 1 -2", "spcpp: T_Item -l 1 -2\nspcpp: param '-2' not found\n", not_param, 1},
        {"T_Item x y", "spcpp: T_Item x y\nspcpp: param 'y' not found\n", not_param, 1},
        {"T_Item -", "spcpp: T_Item -\nspcpp: param '' not found\n", not_param, 1},
        {"T_Item 0x1F -l", "spcpp: T_Item 0x1F -l\nspcpp: object '0x1F' not found\n", not_param, 0},
        {"T_Item -o 0x123456789",
         "spcpp: T_Item -o 0x123456789\nspcpp: object '0x123456789' not found\n", not_param, 1},
        {"T_Loop -zz", "spcpp: T_Loop -zz\nspcpp: param 'zz' not found\n", not_param, 1},
    };
    for (const Malformed &c : cases) {
        T_Base::delete_all();
        ZR_status status;
        EXPECT_EQ(printed(&status, c.command), c.output) << c.command;
        EXPECT_EQ(status, c.status) << c.command;
        EXPECT_EQ(T_Base::all.count, c.created) << c.command;
    }
}

TEST_F(SpcppFailure, ValuePlaceholderInOptionPosition)
{
    T_Item *item = new_item();
    ZR_status status;
    EXPECT_EQ(printed(&status, "%o -l 1 %i", item, 5),
              "spcpp: %o -l 1 %i\nspcpp: param '%i' not found\n");
    EXPECT_EQ(status, ZR_ERROR_COMMAND_NOT_PARAM);
    EXPECT_EQ(item->l, 1);
}

TEST_F(SpcppFailure, NullObjectWithoutClassName)
{
    ZR_status status;
    EXPECT_EQ(printed(&status, "%o -l 1", (ZR_Object *)nullptr), "spcpp: command '%o' not found\n");
    EXPECT_EQ(status, ZR_ERROR_COMMAND_NOT_FOUND);
}

TEST_F(SpcppFailure, NoOptionReachesAnObjectAfterItWasDeleted)
{
    ZR_status status;
    EXPECT_EQ(printed(&status, "T_Item -delete -l 5"),
              "spcpp: T_Item -delete -l 5\nspcpp: object deleted before '-l'\n");
    EXPECT_EQ(status, ZR_ERROR_COMMAND_NOT_PARAM);
    EXPECT_EQ(T_Item::own_deletes, 1);
    EXPECT_EQ(T_Base::all.count, 0);

    T_Item *item = new_item();
    EXPECT_EQ(printed(&status, "ZR_Object %o -delete -delete", item),
              "spcpp: ZR_Object %o -delete -delete\nspcpp: object deleted before '-delete'\n");
    EXPECT_EQ(status, ZR_ERROR_COMMAND_NOT_PARAM);
    EXPECT_EQ(T_Base::all.count, 0);
}

TEST_F(SpcppFailure, LongestCommandRunsOneByteMoreIsNotSpace)
{
    std::string command = "T_Item -s ";
    command.append((size_t)SPCPP_MAX_COMMAND - command.size(), 'a');
    ASSERT_EQ(command.size(), 1023u);
    T_Item *item = nullptr;
    ASSERT_EQ(spcpp(command.c_str(), &item), ZR_OK);
    EXPECT_EQ(std::strlen(item->s), sizeof item->s - 1);

    command += 'a';
    char area[8];
    std::memset(area, 0x5A, sizeof area);
    int capacity = 4;
    testing::internal::CaptureStdout();
    ZR_status status = spcpp_exec(SPCPP_RESULT_TEXT, command.c_str(), area, &capacity, nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "spcpp: command too long\n");
    EXPECT_EQ(status, ZR_ERROR_COMMAND_NOT_SPACE);
    EXPECT_EQ(T_Base::all.count, 1);
    EXPECT_EQ(area[4], 0x5A);
}

TEST_F(SpcppFailure, NullCommandIsAnUnknownCommand)
{
    testing::internal::CaptureStdout();
    EXPECT_EQ(spcpp_exec(0, nullptr, nullptr, nullptr, nullptr), ZR_ERROR_COMMAND_NOT_FOUND);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "spcpp: command '' not found\n");
}

TEST_F(SpcppFailure, StatusTextsOfTheInterpreter)
{
    EXPECT_STREQ(ZR_ERROR_COMMAND_NOT_FOUND, "Command not found");
    EXPECT_STREQ(ZR_ERROR_COMMAND_NOT_PARAM, "Param not found");
    EXPECT_STREQ(ZR_ERROR_COMMAND_NOT_SPACE, "Not enough space for command result");
}

} // namespace
