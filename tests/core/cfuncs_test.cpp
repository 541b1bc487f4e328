// Status texts, the error box text and its bound, and resource lookup.
#include "ZR/core/ZR_cfuncs.h"
#include "ZR/core/ZR_msgbox_Headless.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(Status, EveryStatusPointsAtItsMessage)
{
    const struct {
        ZR_status status;
        const char *text;
    } all[] = {
        {ZR_OK, "Operation OK"},
        {ZR_ERROR_UNKNOWN, "Unknown error"},
        {ZR_ERROR_FILE_CANNOT_OPEN, "Cannot open file"},
        {ZR_ERROR_FILE_CANNOT_READ, "Cannot read file"},
        {ZR_ERROR_FILE_CANNOT_CLOSE, "Cannot close file"},
        {ZR_ERROR_MEMORY_CANNOT_ALLOCATE, "Cannot allocate memory"},
        {ZR_ERROR_MEMORY_CANNOT_REALLOC, "Cannot re-allocate memory"},
        {ZR_ERROR_MEMORY_CANNOT_FREE, "Cannot free memory"},
        {ZR_ERROR_PARAM_REQUIRED, "Argument required"},
        {ZR_ERROR_RESOURCE_CANNOT_LOAD, "Cannot load resource"},
        {ZR_ERROR_RESOURCE_CANNOT_FIND, "Cannot find resource"},
        {ZR_ERROR_RESOURCE_CANNOT_LOCK, "Cannot lock resource"},
        {ZR_ERROR_AUDIO, "Audio operating error"},
        {ZR_ERROR_AUDIO_CANNOT_OPEN, "Cannot open audio device"},
        {ZR_ERROR_AUDIO_CANNOT_INPUT_STOP, "Cannot stop input audio device"},
        {ZR_ERROR_AUDIO_CANNOT_INPUT_CLOSE, "Cannot close input audio device"},
        {ZR_ERROR_AUDIO_CANNOT_OUTPUT_RESET, "Cannot reset output audio device"},
        {ZR_ERROR_AUDIO_CANNOT_OUTPUT_CLOSE, "Cannot close output audio device"},
        {ZR_ERROR_COMMAND_NOT_FOUND, "Command not found"},
        {ZR_ERROR_COMMAND_NOT_PARAM, "Param not found"},
        {ZR_ERROR_COMMAND_NOT_SPACE, "Not enough space for command result"},
    };
    for (const auto &a : all) {
        EXPECT_STREQ(a.status, a.text);
        for (const auto &b : all) { // distinct pointers: compared by identity
            if (&a != &b) {
                EXPECT_NE(a.status, b.status) << a.text;
            }
        }
    }
}

TEST(Status, PrintsDirectly)
{
    testing::internal::CaptureStdout();
    std::printf("%s", ZR_ERROR_COMMAND_NOT_FOUND);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Command not found");
}

TEST(ErrorFunc, FormatsAllSixFieldsIntoAnErrorBox)
{
    ZR_headless_reset_message_boxes();
    EXPECT_EQ(ZR_error_func("ZR/Pic/Base", 42, "map", "Jan  1 2024", "12:00:00", "bad header"), 1);
    ZR_recorded_message_box box = ZR_headless_last_message_box();
    EXPECT_EQ(box.count, 1);
    EXPECT_EQ(box.caption, "ERROR");
    EXPECT_EQ(box.text, "Error: bad header\nFile: ZR/Pic/Base\nLine: 42\nProc: map\n"
                        "Date: Jan  1 2024\nTime: 12:00:00");
    EXPECT_STREQ(ZR_error_text(), box.text.c_str());
}

TEST(ErrorFunc, HugeMessageIsCutAtTheBufferSize)
{
    ZR_headless_reset_message_boxes();
    std::string huge(100000, 'm');
    ZR_error_func("f", 1, "p", "d", "t", huge.c_str());
    ZR_recorded_message_box box = ZR_headless_last_message_box();
    EXPECT_EQ(box.text.size(), 4095u);
    EXPECT_EQ(box.text.compare(0, 7, "Error: "), 0);
    EXPECT_EQ(box.text.find_first_not_of('m', 7), std::string::npos);
}

TEST(ErrorFunc, NullFieldsPrintAsEmpty)
{
    ZR_headless_reset_message_boxes();
    ZR_error_func(nullptr, 0, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(ZR_headless_last_message_box().text,
              "Error: \nFile: \nLine: 0\nProc: \nDate: \nTime: ");
}

const unsigned char bgnd_bytes[] = {1, 2, 3};
const unsigned char knob_bytes[] = {4, 5};
const ZR_resource_entry test_resources[] = {
    {"BGND", bgnd_bytes, sizeof bgnd_bytes},
    {"knob", knob_bytes, sizeof knob_bytes},
    {nullptr, nullptr, 0},
};

class Resources : public ::testing::Test {
protected:
    void SetUp() override
    {
        ZR_set_resource_table(test_resources);
        ZR_headless_reset_message_boxes();
    }
    void TearDown() override { ZR_set_resource_table(nullptr); }
};

TEST_F(Resources, LookupIgnoresCaseAndShowsNoBox)
{
    EXPECT_EQ(ZR_resource("bgnd"), bgnd_bytes);
    EXPECT_EQ(ZR_resource("Bgnd"), bgnd_bytes);
    EXPECT_EQ(ZR_resource("KNOB"), knob_bytes);
    std::size_t size = 0;
    EXPECT_EQ(ZR_resource_find("KnOb", &size), knob_bytes);
    EXPECT_EQ(size, 2u);
    EXPECT_EQ(ZR_headless_last_message_box().count, 0);
}

TEST_F(Resources, WholeNamesOnly)
{
    EXPECT_EQ(ZR_resource_find("bgn", nullptr), nullptr);
    EXPECT_EQ(ZR_resource_find("bgnd2", nullptr), nullptr);
}

TEST_F(Resources, MissingNameShowsTheErrorBoxAndGivesNull)
{
    EXPECT_EQ(ZR_resource("nosuch"), nullptr);
    ZR_recorded_message_box box = ZR_headless_last_message_box();
    EXPECT_EQ(box.count, 1);
    EXPECT_EQ(box.caption, "ERROR");
    EXPECT_EQ(box.text.compare(0, box.text.find('\n'), "Error: nosuch"), 0);
    EXPECT_NE(box.text.find("\nFile: ZR_cfuncs\nLine: 121\nProc: ZR_resource\nDate: "),
              std::string::npos);
    std::size_t size = 7;
    EXPECT_EQ(ZR_resource_find("nosuch", &size), nullptr);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(ZR_headless_last_message_box().count, 1); // find shows no box
}

TEST_F(Resources, EmptyTableAfterReset)
{
    ZR_set_resource_table(nullptr);
    EXPECT_EQ(ZR_resource_find("bgnd", nullptr), nullptr);
    EXPECT_EQ(ZR_resource(nullptr), nullptr);
    EXPECT_EQ(ZR_headless_last_message_box().text.compare(0, 8, "Error: \n"), 0);
}

TEST(Globals, InitAllDoesNothingAndModuleHandleExists)
{
    ZR_initall();
    EXPECT_EQ(hInstance, nullptr);
}

} // namespace
