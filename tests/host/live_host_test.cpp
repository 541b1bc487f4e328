// The live host's logic against a test driver class: menus and channels over
// command sequences, the driver operations and their failures, the host
// callback, and the block callback's sums against plug-ins run directly.
#include "fake_driver.h"
#include "host/live_host.h"

#include "ZR/core/ZR_msgbox_Headless.h"
#include "vst/vst_entry.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <map>
#include <random>
#include <thread>

namespace {

struct RecordingShell : HostShell {
    void *editor_parent() override { return reinterpret_cast<void *>(0x5a); }
    void open_help(const char *address) override { help.push_back(address); }
    std::vector<std::string> help;
};

// Effects that only record what the host asks of them.
struct FakeEffect {
    AEffect e{};
    int id = 0;
    float rate = 0.0f;
    bool editor_open = false;
    std::vector<int32_t> vendor_calls; // effVendorSpecific indexes
};
std::map<int, FakeEffect *> live_effects;
int created_effects = 0;
int closed_effects = 0;
bool editor_parent_wrong = false;
// When set, opening an editor (which the host does under its lock) runs a
// driver block, as a driver thread might at that moment.
std::vector<float> *pumped_outputs = nullptr;

intptr_t fake_dispatch(AEffect *e, int32_t opcode, int32_t index, intptr_t, void *ptr, float opt)
{
    FakeEffect *f = static_cast<FakeEffect *>(e->object);
    switch (opcode) {
    case effVendorSpecific:
        f->vendor_calls.push_back(index);
        return 1;
    case effSetSampleRate:
        f->rate = opt;
        break;
    case effEditOpen:
    case effEditClose:
        f->editor_open = opcode == effEditOpen;
        editor_parent_wrong |= ptr != reinterpret_cast<void *>(0x5a);
        if (pumped_outputs && opcode == effEditOpen)
            FakeRts::instances[0]->pump({}, {pumped_outputs[0].data(), pumped_outputs[1].data()});
        break;
    case effClose:
        live_effects.erase(f->id);
        ++closed_effects;
        delete f;
        break;
    default:
        break;
    }
    return 0;
}

AEffect *fake_entry(audioMasterCallback)
{
    FakeEffect *f = new FakeEffect;
    f->e.magic = kEffectMagic;
    f->e.dispatcher = &fake_dispatch;
    f->e.object = f;
    f->id = ++created_effects;
    live_effects[f->id] = f;
    return &f->e;
}

FakeEffect *fake(AEffect *e)
{
    return e ? static_cast<FakeEffect *>(e->object) : nullptr;
}

class LiveHostTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        FakeRts::log.clear();
        FakeRts::setups.clear();
        ZR_headless_reset_message_boxes();
        created_effects = closed_effects = 0;
        editor_parent_wrong = false;
    }
    void TearDown() override
    {
        if (host)
            host->shutdown();
        host.reset();
        EXPECT_TRUE(FakeRts::instances.empty());
        EXPECT_EQ(ZR_Rts_instances.count, 0);
    }
    void start(VstPluginEntryProc entry = &fake_entry)
    {
        host = std::make_unique<LiveHost>(
            entry,
            std::vector<HostDriverClass>{{&FakeRts::classInit, &FakeRts::class_cleanup, nullptr}},
            &shell);
        host->start();
    }
    std::vector<std::string> texts()
    {
        std::vector<std::string> t;
        for (const HostMenuItem &i : host->menus().channels)
            t.push_back(i.text);
        return t;
    }
    std::string last_box() { return ZR_headless_last_message_box().text; }

    RecordingShell shell;
    std::unique_ptr<LiveHost> host;
};

TEST_F(LiveHostTest, WithoutDriversReportsAndKeepsOneUnconnectedChannel)
{
    start();
    EXPECT_NE(last_box().find("Error: No audio drivers found"), std::string::npos) << last_box();
    EXPECT_NE(last_box().find("Proc: WinMain"), std::string::npos);
    EXPECT_EQ(texts(), std::vector<std::string>{"1. Unconnected"});
    HostMenus m = host->menus();
    EXPECT_TRUE(m.drivers.empty());
    EXPECT_TRUE(m.channels[0].checked);
    EXPECT_FALSE(m.delete_enabled);
    EXPECT_TRUE(m.add_enabled);
    EXPECT_TRUE(fake(host->channel_effect(0))->editor_open);
    EXPECT_EQ(host->status_text(), "No audio");
    EXPECT_TRUE(host->command(HOST_CMD_HELP));
    EXPECT_EQ(shell.help, std::vector<std::string>{"https://vemo-audio.org"});
    // The preset menu reaches the plug-in's load and save actions.
    EXPECT_TRUE(host->command(HOST_CMD_PRESET + HOST_PRESET_LOAD));
    EXPECT_TRUE(host->command(HOST_CMD_PRESET + HOST_PRESET_SAVE));
    EXPECT_FALSE(host->command(HOST_CMD_PRESET + 2));
    EXPECT_EQ(fake(host->channel_effect(0))->vendor_calls,
              (std::vector<int32_t>{0x766D4C64, 0x766D5376}));
}

// Each step: a command, whether it is carried out, then the channel menu
// texts, the selected channel and whether "&Delete" is enabled.
TEST_F(LiveHostTest, ChannelsAndInputsFollowTheCommands)
{
    FakeRts::setups = {{"A", 2}, {"B", 1}};
    start();
    struct Step {
        int id;
        bool carried_out;
        std::vector<std::string> texts;
        int selected;
        bool delete_enabled;
    };
    const Step steps[] = {
        {0, true, {"1. A in 1"}, 0, false},
        {HOST_CMD_DELETE, false, {"1. A in 1"}, 0, false},
        {HOST_CMD_ADD, true, {"1. A in 1", "2. A in 2"}, 1, true},
        {HOST_CMD_ADD, true, {"1. A in 1", "2. A in 2", "3. Unconnected"}, 2, true},
        {HOST_CMD_DRIVER + 1, true, {"1. B in 1", "2. Unconnected", "3. Unconnected"}, 2, true},
        {HOST_CMD_INPUT + 0, true, {"1. B in 1", "2. Unconnected", "3. B in 1"}, 2, true},
        {HOST_CMD_INPUT + 1, false, {"1. B in 1", "2. Unconnected", "3. B in 1"}, 2, true},
        {HOST_CMD_CHANNEL + 0, true, {"1. B in 1", "2. Unconnected", "3. B in 1"}, 0, true},
        {HOST_CMD_DELETE, true, {"1. Unconnected", "2. B in 1"}, 0, true},
        {HOST_CMD_DRIVER + 0, true, {"1. Unconnected", "2. A in 1"}, 0, true},
        {HOST_CMD_INPUT + 1, true, {"1. A in 2", "2. A in 1"}, 0, true},
        {HOST_CMD_CHANNEL + 1, true, {"1. A in 2", "2. A in 1"}, 1, true},
        {HOST_CMD_DELETE, true, {"1. A in 2"}, 0, false},
        {HOST_CMD_ADD, true, {"1. A in 2", "2. A in 1"}, 1, true},
        {HOST_CMD_CHANNEL + 2, false, {"1. A in 2", "2. A in 1"}, 1, true},
        {0x9000, false, {"1. A in 2", "2. A in 1"}, 1, true},
    };
    for (const Step &s : steps) {
        SCOPED_TRACE(testing::Message() << "command 0x" << std::hex << s.id);
        if (s.id) {
            EXPECT_EQ(host->command(s.id), s.carried_out);
        }
        EXPECT_EQ(texts(), s.texts);
        EXPECT_EQ(host->selected_channel(), s.selected);
        EXPECT_EQ(host->menus().delete_enabled, s.delete_enabled);
    }
    EXPECT_FALSE(editor_parent_wrong);
}

TEST_F(LiveHostTest, SecondChannelIsUnconnectedWhenTheOnlyInputIsInUse)
{
    FakeRts::setups = {{"A", 1}};
    start();
    ASSERT_TRUE(host->command(HOST_CMD_ADD));
    EXPECT_EQ(texts(), (std::vector<std::string>{"1. A in 1", "2. Unconnected"}));
    HostMenus m = host->menus();
    ASSERT_EQ(m.inputs.size(), 1u);
    EXPECT_FALSE(m.inputs[0].checked); // the selected channel 2 has none
}

// Over random command sequences, including indexes that name nothing: the
// use counts match a recount, the texts the connections, and exactly the
// selected channel has its editor open.
TEST_F(LiveHostTest, RandomCommandsKeepTheTablesConsistent)
{
    FakeRts::setups = {{"A", 3}, {"B", 1}, {"C", 0}, {"D", 5, {44100, 48000}}};
    start();
    std::mt19937 random(14);
    const int ops[] = {HOST_CMD_DRIVER, HOST_CMD_MODE,    HOST_CMD_ADD,  HOST_CMD_ADD,
                       HOST_CMD_DELETE, HOST_CMD_CHANNEL, HOST_CMD_INPUT};
    int full_seen = 0;
    for (int step = 0; step < 1500; ++step) {
        const int op = ops[random() % 7];
        const int id = op + (int)(random() % 40);
        host->command(op == HOST_CMD_ADD || op == HOST_CMD_DELETE ? op : id);
        SCOPED_TRACE(testing::Message() << "step " << step << " command 0x" << std::hex << id);

        const int n = host->channel_count();
        ASSERT_GE(n, 1);
        ASSERT_LE(n, LiveHost::MAX_CHANNELS);
        full_seen += n == LiveHost::MAX_CHANNELS;
        std::vector<int> uses(LiveHost::MAX_INPUTS, 0);
        ZR_Rts *d = host->current_driver();
        for (int k = 0; k < n; ++k) {
            const int j = host->channel_input(k);
            ASSERT_LT(j, host->input_count());
            std::string name = "Unconnected";
            if (j >= 0) {
                ++uses[(size_t)j];
                name = ZR_Rts::chan_at(d->inputs, j)->name;
            }
            ASSERT_EQ(host->channel_text(k), std::to_string(k + 1) + ". " + name);
            ASSERT_EQ(fake(host->channel_effect(k))->editor_open, k == host->selected_channel());
        }
        for (int j = 0; j < host->input_count(); ++j)
            ASSERT_EQ(host->input_use_count(j), uses[(size_t)j]) << "input " << j;
        ASSERT_EQ((int)live_effects.size(), n);
        HostMenus m = host->menus();
        ASSERT_EQ(m.add_enabled, n < LiveHost::MAX_CHANNELS);
        ASSERT_EQ(m.delete_enabled, n > 1);
        ASSERT_EQ((int)m.inputs.size(), host->input_count());
        if (ZR_Rts::Mode *mode = host->current_mode()) {
            for (int k = 0; k < n; ++k)
                ASSERT_EQ(fake(host->channel_effect(k))->rate, (float)mode->rate);
        }
    }
    EXPECT_GT(full_seen, 0) << "the sequence never filled the channel list";
    host->shutdown();
    EXPECT_EQ(closed_effects, created_effects);
    EXPECT_FALSE(editor_parent_wrong);
}

TEST_F(LiveHostTest, DriverOperationsRunInOrderAndFailuresLeaveNothingSelected)
{
    FakeSetup a{"A", 2, {44100, 48000}};
    FakeSetup b{"B", 2};
    b.init_result = ZR_ERROR_AUDIO_CANNOT_OPEN;
    FakeSetup c{"C", 2};
    c.mode_result = ZR_ERROR_AUDIO;
    FakeRts::setups = {a, b, c};
    start();
    EXPECT_EQ(FakeRts::log, (std::vector<std::string>{"A.init", "A.mode 0"}));
    ASSERT_TRUE(host->command(HOST_CMD_ADD));
    EXPECT_EQ(fake(host->channel_effect(1))->rate, 44100.0f);

    ASSERT_TRUE(host->command(HOST_CMD_MODE + 1));
    EXPECT_EQ(fake(host->channel_effect(0))->rate, 48000.0f);
    EXPECT_EQ(fake(host->channel_effect(1))->rate, 48000.0f);
    EXPECT_TRUE(host->menus().modes[1].checked);
    EXPECT_FALSE(host->menus().modes[0].checked);

    ZR_headless_reset_message_boxes();
    host->command(HOST_CMD_DRIVER + 1);
    EXPECT_NE(last_box().find("Error: Cannot open audio device"), std::string::npos);
    EXPECT_NE(last_box().find("Proc: menu_driver"), std::string::npos);
    EXPECT_EQ(host->current_driver(), nullptr);
    HostMenus m = host->menus();
    for (const HostMenuItem &i : m.drivers)
        EXPECT_FALSE(i.checked) << i.text;
    EXPECT_TRUE(m.modes.empty());
    EXPECT_TRUE(m.inputs.empty());

    host->command(HOST_CMD_DRIVER + 2);
    EXPECT_NE(last_box().find("Error: Audio operating error"), std::string::npos);
    EXPECT_NE(last_box().find("Proc: menu_mode"), std::string::npos);
    EXPECT_EQ(host->current_mode(), nullptr);
    m = host->menus();
    EXPECT_TRUE(m.drivers[2].checked);
    EXPECT_FALSE(m.modes[0].checked);
    EXPECT_EQ(ZR_headless_last_message_box().count, 2);

    host->command(HOST_CMD_DRIVER + 0);
    ASSERT_NE(host->current_mode(), nullptr);
    EXPECT_EQ(host->current_mode()->rate, 44100);
    host->shutdown();
    EXPECT_EQ(FakeRts::log,
              (std::vector<std::string>{"A.init", "A.mode 0", "A.free", "A.mode 1", "A.free",
                                        "A.done", "B.init", "C.init", "C.mode 0", "C.done",
                                        "A.init", "A.mode 0", "A.free", "A.done", "cleanup"}));
    EXPECT_EQ(closed_effects, 2);
    EXPECT_EQ(created_effects, 2);
}

TEST_F(LiveHostTest, BlockDuringACommandIsSkippedAndLeavesTheOutputs)
{
    FakeRts::setups = {{"A", 2}};
    start();
    std::vector<float> outs[2] = {std::vector<float>(64, 9.0f), std::vector<float>(64, 9.0f)};
    pumped_outputs = outs;
    EXPECT_TRUE(host->command(HOST_CMD_ADD));
    pumped_outputs = nullptr;
    EXPECT_EQ(host->skipped_blocks(), 1);
    EXPECT_EQ(outs[0], std::vector<float>(64, 9.0f));
    // Outside a command the same block runs and writes (silence: no input data).
    FakeRts::instances[0]->pump({}, {outs[0].data(), outs[1].data()});
    EXPECT_EQ(host->skipped_blocks(), 1);
    EXPECT_EQ(outs[1], std::vector<float>(64, 0.0f));
}

// The driver's thread runs blocks without pause while the menu commands
// switch drivers and modes and add, delete and reconnect channels of the
// real plug-in (ThreadSanitizer watches this one).
TEST_F(LiveHostTest, ConcurrencyBlocksRunWhileCommandsChangeTheTables)
{
    FakeRts::setups = {{"A", 2, {48000}, 64}, {"B", 1, {44100, 96000}, 128}, {"C", 3, {48000}, 32}};
    start(&VSTPluginMain);
    std::atomic<bool> stop{false};
    std::atomic<long> blocks{0};
    std::thread driver([&] {
        while (!stop.load(std::memory_order_relaxed)) {
            FakeRts::callback();
            blocks.fetch_add(1, std::memory_order_relaxed);
            // A driver leaves the lock free between blocks.
            std::this_thread::sleep_for(std::chrono::microseconds(50));
        }
    });
    std::mt19937 random(3);
    const int ops[] = {HOST_CMD_DRIVER,  HOST_CMD_MODE,  HOST_CMD_ADD,  HOST_CMD_DELETE,
                       HOST_CMD_CHANNEL, HOST_CMD_INPUT, HOST_CMD_INPUT};
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    for (int step = 0;
         step < 200 || (blocks.load() < 300 && std::chrono::steady_clock::now() < end); ++step) {
        const int op = ops[random() % 7];
        host->command(op + (int)(random() % 4));
        std::this_thread::yield();
    }
    stop = true;
    driver.join();
    EXPECT_GE(blocks.load(), 300);
    host->shutdown();
    FakeRts::callback(); // after shutdown: no host, nothing runs
}

TEST(LiveHostCallback, AnswersVersionVendorAndZeroOtherwise)
{
    struct Case {
        int32_t opcode;
        intptr_t answer;
    };
    const Case cases[] = {{audioMasterVersion, 2400},
                          {audioMasterIdle, 0},
                          {audioMasterAutomate, 0},
                          {audioMasterGetSampleRate, 0},
                          {audioMasterCanDo, 0},
                          {audioMasterBeginEdit, 0},
                          {-1, 0},
                          {100000, 0}};
    for (const Case &c : cases)
        EXPECT_EQ(LiveHost::host_callback(nullptr, c.opcode, 0, 0, nullptr, 0.0f), c.answer)
            << "opcode " << c.opcode;
    char vendor[64];
    std::memset(vendor, '#', sizeof vendor);
    EXPECT_EQ(LiveHost::host_callback(nullptr, audioMasterGetVendorString, 0, 0, vendor, 0.0f), 1);
    EXPECT_STREQ(vendor, "Steinberg Media Technologies");
}

intptr_t quiet_host(AEffect *, int32_t opcode, int32_t, intptr_t, void *, float)
{
    return opcode == audioMasterVersion ? 2400 : 0;
}

// Two channels of the real plug-in on two inputs (a third, unconnected, adds
// nothing): the driver's first two outputs carry exactly the sums of two
// instances run directly on the same blocks, the third output nothing.
TEST_F(LiveHostTest, BlockOutputIsTheSumOfTwoPluginsRunDirectly)
{
    const int frames = 256;
    FakeRts::setups = {{"A", 2, {48000}, frames, 3}};
    start(&VSTPluginMain);
    ASSERT_TRUE(host->command(HOST_CMD_ADD));
    ASSERT_TRUE(host->command(HOST_CMD_ADD));
    ASSERT_EQ(host->channel_input(2), -1);

    AEffect *ref[2] = {VSTPluginMain(&quiet_host), VSTPluginMain(&quiet_host)};
    const float cutoff[2] = {0.3f, 0.7f};
    for (int k = 0; k < 2; ++k) {
        ref[k]->dispatcher(ref[k], effSetSampleRate, 0, 0, nullptr, 48000.0f);
        ref[k]->setParameter(ref[k], 1, cutoff[k]);
        AEffect *e = host->channel_effect(k);
        e->setParameter(e, 1, cutoff[k]);
    }
    // The third channel would be loud if it were summed.
    host->channel_effect(2)->setParameter(host->channel_effect(2), 1, 1.0f);

    std::mt19937 random(7);
    std::uniform_real_distribution<float> sample(-0.3f, 0.3f);
    std::vector<float> in[2], out[3], expect[2][2];
    long loud = 0;
    for (int block = 0; block < 40; ++block) {
        for (auto &v : in) {
            v.resize(frames);
            for (float &x : v)
                x = sample(random);
        }
        for (auto &v : out)
            v.assign(frames, 9.0f);
        for (int k = 0; k < 2; ++k) {
            expect[k][0].assign(frames, 0.0f);
            expect[k][1].assign(frames, 0.0f);
            float *ins[1] = {in[k].data()};
            float *outs[2] = {expect[k][0].data(), expect[k][1].data()};
            ref[k]->processReplacing(ref[k], ins, outs, frames);
        }
        FakeRts::instances[0]->pump({in[0].data(), in[1].data()},
                                    {out[0].data(), out[1].data(), out[2].data()});
        for (int side = 0; side < 2; ++side)
            for (int n = 0; n < frames; ++n) {
                loud +=
                    std::fabs(expect[0][side][n]) > 1e-3f && std::fabs(expect[1][side][n]) > 1e-3f;
                const float want = 0.0f + expect[0][side][n] + expect[1][side][n];
                ASSERT_EQ(out[side][n], want)
                    << "block " << block << " side " << side << " n " << n;
            }
        for (int n = 0; n < frames; ++n)
            ASSERT_EQ(out[2][n], 9.0f);
    }
    EXPECT_GT(loud, 40 * frames) << "both plug-ins should pass most of the noise";
    for (AEffect *e : ref)
        e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f);
    EXPECT_EQ(host->skipped_blocks(), 0);
}

} // namespace
