// The ASIO driver against the test driver DLL registered in this Wine prefix:
// the registry listing, channel and mode lists, reports, message answers and
// audio through the buffer switch.
#include "ZR/Rts/ZR_Rts_Asio.h"
#include "ZR/core/ZR_msgbox_Headless.h"
#include "tests/rts_win/driver/test_asio_registry.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <string>
#include <thread>
#include <vector>

namespace {

test_asio::State *state = nullptr;
test_asio::ResetFunc reset_state = nullptr;

class Asio : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        state = test_asio::driver_state(&reset_state);
        ASSERT_NE(state, nullptr) << test_asio::dll_path();
        ASSERT_TRUE(test_asio::register_drivers());
    }
    void SetUp() override
    {
        reset_state();
        ZR_headless_reset_message_boxes();
        ASSERT_EQ(ZR_Rts_Asio::classInit(nullptr), ZR_OK);
    }
    void TearDown() override
    {
        ZR_Rts_Asio::class_cleanup();
        ZR_Rts_Asio::block_callback = nullptr;
    }
    static ZR_Rts_Asio *instance(const char *name)
    {
        for (ZR_Chain_Item *i = ZR_Rts_instances.first(); i != ZR_Rts_instances.end(); i = i->next)
            if (std::string(static_cast<ZR_Rts *>(i->owner)->name) == name)
                return static_cast<ZR_Rts_Asio *>(i->owner);
        return nullptr;
    }
    static std::vector<std::string> texts(const ZR_Chain &modes)
    {
        std::vector<std::string> t;
        for (int i = 0; ZR_Rts::Mode *m = ZR_Rts::mode_at(modes, i); ++i)
            t.push_back(m->text);
        return t;
    }
    static std::string last_box() { return ZR_headless_last_message_box().text; }
};

TEST_F(Asio, ListsRegisteredDriversWithAServerFileInRegistryOrder)
{
    std::vector<std::string> names;
    for (ZR_Chain_Item *i = ZR_Rts_instances.first(); i != ZR_Rts_instances.end(); i = i->next)
        names.push_back(static_cast<ZR_Rts *>(i->owner)->name);
    EXPECT_EQ(names, (std::vector<std::string>{"Vemo Test Driver", "2 Big Endian",
                                               "Vemo Test Driver With A Fort...", "6 Unserved",
                                               "Vemo Test Driver With A Fort..."}));
    // Nothing is loaded by the listing.
    EXPECT_EQ(state->created.load(), 0);
}

TEST_F(Asio, InitListsAtMostSixteenConvertibleInputsAndTheRatesTheDriverCanDo)
{
    ZR_Rts_Asio *d = instance("Vemo Test Driver");
    ASSERT_NE(d, nullptr);
    ASSERT_EQ(d->init(), ZR_OK);
    EXPECT_EQ(texts(d->modes),
              (std::vector<std::string>{" 48.0 kHz, 32 bit, quadro", " 96.0 kHz, 32 bit, quadro",
                                        " 44.1 kHz, 32 bit, quadro"}));
    EXPECT_EQ(ZR_Rts::mode_at(d->modes, 0)->frames, 64);
    // The driver's 24 inputs cycle through the nine accepted sample types.
    const uint32_t formats[] = {0x002004, 0x001002, 0x001803, 0x1002004, 0x1004008,
                                0x101004, 0x0E1204, 0x0C1404, 0x081804};
    for (int k = 0; k < 16; ++k) {
        auto *c = static_cast<ZR_Rts_Asio::Chan *>(ZR_Rts::chan_at(d->inputs, k));
        ASSERT_NE(c, nullptr) << k;
        EXPECT_EQ(c->name, "In " + std::to_string(k + 1));
        EXPECT_EQ(c->format, formats[k % 9]) << k;
        EXPECT_EQ(c->number, k);
        EXPECT_EQ(c->count, 64);
    }
    EXPECT_EQ(ZR_Rts::chan_at(d->inputs, 16), nullptr);
    EXPECT_EQ(d->input_count, 16);
    EXPECT_EQ(state->inits.load(), 1);
    EXPECT_EQ(d->done(), ZR_OK);
    EXPECT_EQ(state->released.load(), 1);
}

TEST_F(Asio, BigEndianChannelsAreNotOffered)
{
    ZR_Rts_Asio *d = instance("2 Big Endian");
    ASSERT_NE(d, nullptr);
    ASSERT_EQ(d->init(), ZR_OK);
    EXPECT_EQ(texts(d->modes).size(), 3u);
    EXPECT_EQ(ZR_Rts::chan_at(d->inputs, 0), nullptr);
    d->mode(ZR_Rts::mode_at(d->modes, 0));
    EXPECT_EQ(ZR_Rts::chan_at(d->outputs, 0), nullptr);
    d->done();
}

TEST_F(Asio, EveryModeListsTheSameConvertibleOutputs)
{
    // Outputs 1 and 3 are floats, output 2 is big-endian.
    ZR_Rts_Asio *d = instance("Vemo Test Driver With A Fort...");
    ASSERT_EQ(d->init(), ZR_OK);
    ZR_Rts::Mode *m = ZR_Rts::mode_at(d->modes, 0);
    ASSERT_NE(m, nullptr);
    EXPECT_STREQ(m->text, " 44.1 kHz, 32 bit, trio");
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        ASSERT_EQ(d->mode(m), ZR_OK) << last_box();
        std::vector<std::string> names;
        for (int k = 0; ZR_Rts::Chan *c = ZR_Rts::chan_at(d->outputs, k); ++k)
            names.push_back(c->name);
        EXPECT_EQ(names, (std::vector<std::string>{"Out 1", "Out 3"}));
        EXPECT_EQ(state->buffer_count.load(), 4);
        EXPECT_EQ(state->infos[3][1], 2);
        EXPECT_EQ(d->free(), ZR_OK);
    }
    d->done();
}

TEST_F(Asio, InstancesWithTheSameCutNameLoadTheirOwnDrivers)
{
    std::vector<ZR_Rts_Asio *> twins;
    for (ZR_Chain_Item *i = ZR_Rts_instances.first(); i != ZR_Rts_instances.end(); i = i->next)
        if (std::string(static_cast<ZR_Rts *>(i->owner)->name) == "Vemo Test Driver With A Fort...")
            twins.push_back(static_cast<ZR_Rts_Asio *>(i->owner));
    ASSERT_EQ(twins.size(), 2u);
    // The first has 2 inputs, the second is registered with the 24-input driver.
    ASSERT_EQ(twins[1]->init(), ZR_OK);
    EXPECT_EQ(twins[1]->input_count, 16);
    twins[1]->done();
    ASSERT_EQ(twins[0]->init(), ZR_OK);
    EXPECT_EQ(twins[0]->input_count, 2);
    twins[0]->done();
}

TEST_F(Asio, ARefusedRateIsReportedAndFails)
{
    ZR_Rts_Asio *d = instance("Vemo Test Driver");
    ASSERT_EQ(d->init(), ZR_OK);
    EXPECT_EQ(d->mode(ZR_Rts::mode_at(d->modes, 1)), ZR_ERROR_AUDIO);
    EXPECT_STREQ(ZR_ERROR_AUDIO, "Audio operating error");
    const std::string box = last_box();
    EXPECT_EQ(box.rfind("Error: ASIOSetSampleRate\nFile: ZR/Rts/Asio\n", 0), 0u) << box;
    EXPECT_NE(box.find("Proc: ZR_Rts_Asio::mode\n"), std::string::npos) << box;
    EXPECT_EQ(state->creates.load(), 0);
    d->done();
}

TEST_F(Asio, OneDriverIsLoadedProcessWideAndAFailedLoadRestoresThePrevious)
{
    ZR_Rts_Asio *main = instance("Vemo Test Driver");
    ZR_Rts_Asio *longer = instance("Vemo Test Driver With A Fort...");
    ZR_Rts_Asio *unserved = instance("6 Unserved");
    ASSERT_TRUE(main && longer && unserved);
    ASSERT_EQ(main->init(), ZR_OK);
    ASSERT_EQ(longer->init(), ZR_OK);
    EXPECT_EQ(state->created.load(), 2);
    EXPECT_EQ(state->released.load(), 1);
    // Its object cannot be created: reported, and the long-named one is back.
    EXPECT_EQ(unserved->init(), ZR_ERROR_AUDIO);
    EXPECT_EQ(last_box().rfind("Error: ASIOInit\nFile: ZR/Rts/Asio\n", 0), 0u) << last_box();
    EXPECT_EQ(state->created.load(), 3);
    EXPECT_EQ(state->released.load(), 2);
    EXPECT_EQ(state->inits.load(), 2);
    longer->done();
    EXPECT_EQ(state->released.load(), 3);
}

// The block callback of the audio test: four device inputs through the host's
// float transfer channel into the four outputs.
ZR_Rts_Asio *streaming = nullptr;
float transfer_memory[64];
ZR_Rts::Chan transfer("transfer", 0x1002004, 64);
const int ROUTE[4] = {4, 0, 3, 1}; // output k plays input ROUTE[k]

void route_callback()
{
    transfer.data = transfer_memory;
    for (int k = 0; k < 4; ++k) {
        ZR_Rts::copyBuffer(&transfer, ZR_Rts::chan_at(streaming->inputs, ROUTE[k]));
        ZR_Rts::copyBuffer(ZR_Rts::chan_at(streaming->outputs, k), &transfer);
    }
}

// What a device sample x becomes after a trip through a 32-bit float into an
// output with the given valid bits (0: a float type).
double through_float(double x, int valid_bits)
{
    const float f = (float)x;
    if (!valid_bits)
        return f;
    const long long a = (long long)std::trunc((double)f * 2147483647.0);
    const long long stored = (long long)std::floor((double)a / (double)(1LL << (32 - valid_bits)));
    return (double)(stored * (1LL << (32 - valid_bits))) / 2147483647.0;
}

TEST_F(Asio, BufferSwitchCarriesAudioBothWaysAndMessagesGetTheirAnswers)
{
    streaming = instance("Vemo Test Driver");
    ZR_Rts_Asio::block_callback = route_callback;
    ASSERT_EQ(streaming->init(), ZR_OK);
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        state->frames_recorded = 0;
        state->switches = 0;
        ZR_Rts::Mode *m = ZR_Rts::mode_at(streaming->modes, round == 0 ? 0 : 2);
        ASSERT_EQ(streaming->mode(m), ZR_OK) << last_box();
        EXPECT_EQ(state->rate_set.load(), m->rate);
        // Inputs first, then the four outputs; the preferred size.
        ASSERT_EQ(state->buffer_count.load(), 20);
        EXPECT_EQ(state->buffer_size.load(), 64);
        for (int i = 0; i < 20; ++i) {
            EXPECT_EQ(state->infos[i][0], i < 16 ? 1 : 0) << i;
            EXPECT_EQ(state->infos[i][1], i < 16 ? i : i - 16) << i;
        }
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (state->frames_recorded.load(std::memory_order_acquire) < test_asio::RECORD_FRAMES &&
               std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        ASSERT_EQ(state->frames_recorded.load(std::memory_order_acquire), test_asio::RECORD_FRAMES);
        const int valid[4] = {0, 32, 0, 16}; // float64, int32, float32, int16 outputs
        int wrong = 0;
        for (int k = 0; k < 4; ++k)
            for (int t = 0; t < test_asio::RECORD_FRAMES; ++t)
                if (state->output[k][t] != through_float(state->input[ROUTE[k]][t], valid[k]) &&
                    wrong++ < 5)
                    ADD_FAILURE() << "output " << k << " frame " << t << ": " << state->output[k][t]
                                  << " from " << state->input[ROUTE[k]][t];
        EXPECT_EQ(wrong, 0);
        for (int n = 0; n < test_asio::RECORD_HALVES; ++n)
            EXPECT_EQ(state->halves[n], n % 2) << n;
        EXPECT_EQ(streaming->free(), ZR_OK);
        EXPECT_EQ(ZR_Rts::chan_at(streaming->outputs, 0), nullptr);
    }
    // A mode change gives the driver back its buffers before asking again.
    EXPECT_EQ(state->creates.load(), 2);
    EXPECT_EQ(state->disposes.load(), 2);
    EXPECT_EQ(state->refused_creates.load(), 0);

    ASSERT_EQ(state->answered.load(), 1);
    const long expected[test_asio::ASKED_COUNT] = {0, 1, 1, 0, 1, 1, 0, 1, 0,
                                                   1, 2, 1, 0, 1, 1, 0, 0, 0};
    for (int i = 0; i < test_asio::ASKED_COUNT; ++i)
        EXPECT_EQ(state->answers[i], expected[i])
            << "selector " << test_asio::ASKED[i][0] << " value " << test_asio::ASKED[i][1];
    streaming->done();
}

TEST(AsioTables, SampleTypesAndNames)
{
    // Every little-endian type has its format word; big-endian (0-4, 8-11),
    // DSD (32 and above) and unknown types have none.
    const std::pair<long, uint32_t> accepted[] = {
        {16, 0x001002}, {17, 0x001803}, {18, 0x002004}, {19, 0x1002004}, {20, 0x1004008},
        {24, 0x101004}, {25, 0x0E1204}, {26, 0x0C1404}, {27, 0x081804},
    };
    for (long type = -1; type < 64; ++type) {
        uint32_t want = 0;
        for (auto &a : accepted)
            if (a.first == type)
                want = a.second;
        EXPECT_EQ(ZR_Rts_Asio::format_of(type), want) << type;
    }
    struct {
        std::string name, listed;
    } names[] = {
        {"", ""},
        {std::string(31, 'a'), std::string(31, 'a')},
        {std::string(32, 'b'), std::string(28, 'b') + "..."},
        {test_asio::LONG_NAME, "Vemo Test Driver With A Fort..."},
        {std::string(255, 'c'), std::string(28, 'c') + "..."},
    };
    for (auto &n : names) {
        char cut[32];
        ZR_Rts_Asio::cut_name(cut, n.name.c_str());
        EXPECT_EQ(cut, n.listed);
    }
}

} // namespace
