// The driver base: mode texts, what the base operations do to the lists, and
// the process-wide instance list.
#include "ZR/Rts/ZR_Rts.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(RtsMode, TextsNameRateBitsAndChannels)
{
    struct Case {
        int rate, bits, channels;
        const char *text;
    };
    const Case cases[] = {
        {48000, 16, 2, " 48.0 kHz, 16 bit, stereo"},
        {44100, 16, 2, " 44.1 kHz, 16 bit, stereo"},
        {44100, 32, 8, " 44.1 kHz, 32 bit, 8 ch"},
        {192000, 24, 4, "192.0 kHz, 24 bit, quadro"},
        {96000, 32, 1, " 96.0 kHz, 32 bit, mono"},
        {48000, 32, 3, " 48.0 kHz, 32 bit, trio"},
        {48000, 32, 5, " 48.0 kHz, 32 bit, 5 ch"},
        {0, 24, 2, "24 bit, stereo"},
        {48000, 0, 0, " 48.0 kHz"},
        {0, 0, 16, "16 ch"},
        {0, 0, 0, ""},
    };
    for (const Case &c : cases) {
        ZR_Rts::Mode m(c.rate, c.bits, 480, c.channels);
        EXPECT_STREQ(m.text, c.text);
    }
}

TEST(RtsBase, OperationsFillAndEmptyTheLists)
{
    ZR_Rts driver("a name that is far longer than sixty-three characters, so it must be cut");
    EXPECT_EQ(std::string(driver.name).size(), 63u);
    EXPECT_EQ(driver.init(), ZR_OK);
    auto *m = new ZR_Rts::Mode(48000, 16, 480, 2);
    driver.modes.insert(&m->link);
    auto *in = new ZR_Rts::Chan("Left", 0x1004, 480);
    driver.inputs.insert(&in->link);
    EXPECT_EQ(driver.mode(m), ZR_OK);
    EXPECT_EQ(driver.current_mode, m);
    auto *out = new ZR_Rts::Chan("Left front", 0x1004, 480);
    driver.outputs.insert(&out->link);
    EXPECT_EQ(driver.start(), ZR_OK);
    EXPECT_TRUE(driver.running);
    EXPECT_EQ(driver.stop(), ZR_OK);
    EXPECT_FALSE(driver.running);

    EXPECT_EQ(driver.free(), ZR_OK);
    EXPECT_EQ(driver.current_mode, nullptr);
    EXPECT_EQ(driver.outputs.count, 0);
    EXPECT_EQ(driver.inputs.count, 1);
    EXPECT_EQ(ZR_Rts::mode_at(driver.modes, 0), m);
    EXPECT_EQ(ZR_Rts::mode_at(driver.modes, 1), nullptr);
    EXPECT_EQ(ZR_Rts::chan_at(driver.inputs, 0), in);

    EXPECT_EQ(driver.done(), ZR_OK);
    EXPECT_EQ(driver.modes.count, 0);
    EXPECT_EQ(driver.inputs.count, 0);
}

TEST(RtsBase, DeletedInstancesLeaveTheInstanceList)
{
    const int before = ZR_Rts_instances.count;
    auto *first = new ZR_Rts("first");
    auto *second = new ZR_Rts("second");
    ZR_Rts_instances.insert(&first->instance_link);
    ZR_Rts_instances.insert(&second->instance_link);
    EXPECT_EQ(ZR_Rts_instances.count, before + 2);
    EXPECT_EQ(ZR_Rts_instances.end()->prev->owner, second);
    delete first;
    EXPECT_EQ(ZR_Rts_instances.count, before + 1);
    delete second;
    EXPECT_EQ(ZR_Rts_instances.count, before);
}

} // namespace
