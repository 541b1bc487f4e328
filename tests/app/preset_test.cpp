// Preset files through the save and load actions: the exact bytes, every
// refusal with its message, values applied as read, and saves that never
// damage a good file.
#include "app/ZR_Application.h"
#include "app/ZR_Application_Param.h"
#include "app/ZR_Application_Preset.h"

#include "ZR/Dlg/ZR_Dlg_File_Headless.h"
#include "ZR/core/ZR_msgbox_Headless.h"
#include "ZR/dsp/ZR_Effect.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

const std::string HEADER = "https://vemo-audio.org 6-th order Butterworth low-pass";

Bytes preset_bytes(const std::string &header, Bytes state, Bytes frequency)
{
    Bytes b(header.begin(), header.end());
    b.push_back(0);
    b.insert(b.end(), state.begin(), state.end());
    b.insert(b.end(), frequency.begin(), frequency.end());
    return b;
}

Bytes float_bytes(float f)
{
    Bytes b(4);
    std::memcpy(b.data(), &f, 4);
    return b;
}

class Preset : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/vemo-preset-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        app.build();
        app.setSampleRate(44100.0f);
        dialog = new ZR_Dlg_File_Headless(PRESET_FILTER);
        app.preset_dialog.reset(dialog);
        ZR_headless_reset_message_boxes();
    }
    void TearDown() override
    {
        app.destroy();
        std::system(("rm -rf '" + dir + "'").c_str());
    }

    std::string path(const char *name) const { return dir + "/" + name; }
    void put(const std::string &p, const Bytes &b)
    {
        std::ofstream(p, std::ios::binary).write((const char *)b.data(), (std::streamsize)b.size());
    }
    static Bytes get(const std::string &p)
    {
        std::ifstream in(p, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::vector<std::string> files() const
    {
        std::vector<std::string> names;
        DIR *d = opendir(dir.c_str());
        while (dirent *e = readdir(d))
            if (e->d_name[0] != '.')
                names.push_back(e->d_name);
        closedir(d);
        return names;
    }
    void save(const std::string &p)
    {
        dialog->answers.push_back(p.c_str());
        app.params[ZR_Application::SAVE]->notify(&app);
    }
    void load(const std::string &p)
    {
        dialog->answers.push_back(p.c_str());
        app.params[ZR_Application::LOAD]->notify(&app);
    }
    int32_t state() const { return app.params[ZR_Application::STATE]->load_value().i; }
    float frequency() const { return app.params[ZR_Application::FREQUENCY]->load_value().f; }
    void set(int32_t on, float hz)
    {
        ZR_word w{};
        w.i = on;
        app.params[ZR_Application::STATE]->store_value(w);
        app.params[ZR_Application::STATE]->notify(&app);
        w.f = hz;
        app.params[ZR_Application::FREQUENCY]->store_value(w);
        app.params[ZR_Application::FREQUENCY]->notify(&app);
    }
    bool filters_on() const { return app.lowpass1->on.load() != 0; }

    std::string dir;
    ZR_Application app;
    ZR_Dlg_File_Headless *dialog = nullptr;
};

TEST_F(Preset, SavedBytesAreTheHeaderAndTheRawValueWords)
{
    ASSERT_EQ(preset_header_size(), HEADER.size() + 1);
    ASSERT_EQ(std::string(preset_header()), HEADER);
    EXPECT_EQ(state(), 1);
    EXPECT_EQ(frequency(), 1500.0f);
    save(path("a.vemo"));
    EXPECT_EQ(ZR_headless_last_message_box().count, 0);
    EXPECT_EQ(get(path("a.vemo")), preset_bytes(HEADER, {1, 0, 0, 0}, {0x00, 0x80, 0xBB, 0x44}));
    EXPECT_TRUE(dialog->requests.at(0).saving);

    // Loaded into a changed instance, the values come back and take effect.
    set(0, 20.0f);
    EXPECT_FALSE(filters_on());
    EXPECT_STREQ(app.frequency_text, "20 Hz");
    load(path("a.vemo"));
    EXPECT_EQ(ZR_headless_last_message_box().count, 0);
    EXPECT_EQ(state(), 1);
    EXPECT_EQ(frequency(), 1500.0f);
    EXPECT_TRUE(filters_on());
    EXPECT_STREQ(app.frequency_text, "283 Hz");
    EXPECT_FALSE(dialog->requests.at(1).saving);
}

TEST_F(Preset, RefusedFilesShowTheirMessageAndChangeNothing)
{
    const Bytes good = preset_bytes(HEADER, {0, 0, 0, 0}, float_bytes(300.0f));
    Bytes longer = good, shorter = good, wrong_header = good, long_and_wrong = good;
    longer.push_back(0);
    shorter.pop_back();
    wrong_header[7] ^= 0x20;
    long_and_wrong[0] = 'X';
    long_and_wrong.push_back(0);
    Bytes not_terminated = good; // the header's zero byte replaced
    not_terminated[HEADER.size()] = '!';
    struct Case {
        const char *name;
        Bytes content;
        const char *message;
    };
    const float inf = std::numeric_limits<float>::infinity();
    const Case cases[] = {
        {"longer", longer, "Bad content in preset file."},
        {"shorter", shorter, "Bad content in preset file."},
        {"empty", {}, "Bad content in preset file."},
        // The size is checked before the header.
        {"long_and_wrong", long_and_wrong, "Bad content in preset file."},
        {"wrong_header", wrong_header, "Wrong header in preset file."},
        {"not_terminated", not_terminated, "Wrong header in preset file."},
        {"nan", preset_bytes(HEADER, {0, 0, 0, 0}, {0x00, 0x00, 0xC0, 0x7F}),
         "Bad content in preset file."},
        {"inf", preset_bytes(HEADER, {0, 0, 0, 0}, float_bytes(inf)),
         "Bad content in preset file."},
        {"minus_inf", preset_bytes(HEADER, {0, 0, 0, 0}, float_bytes(-inf)),
         "Bad content in preset file."},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        put(path(c.name), c.content);
        ZR_headless_reset_message_boxes();
        load(path(c.name));
        const ZR_recorded_message_box box = ZR_headless_last_message_box();
        EXPECT_EQ(box.count, 1);
        EXPECT_EQ(box.caption, "Error");
        EXPECT_EQ(box.text, c.message);
        EXPECT_EQ(state(), 1);
        EXPECT_EQ(frequency(), 1500.0f);
        EXPECT_TRUE(filters_on());
        EXPECT_STREQ(app.frequency_text, "283 Hz");
    }

    ZR_headless_reset_message_boxes();
    load(path("missing.vemo"));
    EXPECT_EQ(ZR_headless_last_message_box().text, "Cannot open this file.");
    ZR_headless_reset_message_boxes();
    load(dir); // a directory
    EXPECT_EQ(ZR_headless_last_message_box().count, 1);
    EXPECT_EQ(state(), 1);
}

TEST_F(Preset, ValuesOutsideTheKnobRangeApplyUnchanged)
{
    for (float v : {10000.0f, 5.0f, -30.0f}) {
        put(path("far.vemo"), preset_bytes(HEADER, {1, 0, 0, 0}, float_bytes(v)));
        load(path("far.vemo"));
        EXPECT_EQ(ZR_headless_last_message_box().count, 0);
        EXPECT_EQ(frequency(), v);
        // The shown cutoff: 20 + 8313 t^2 with t the knob's travel.
        const double t = (v - 20.0) / 8313.0;
        char expected[32];
        std::snprintf(expected, sizeof expected, "%.0f Hz", 20.0 + 8313.0 * t * t);
        EXPECT_STREQ(app.frequency_text, expected) << v;
    }
    // Any non-zero State word is on.
    put(path("state.vemo"), preset_bytes(HEADER, {0, 0, 0, 0x80}, float_bytes(400.0f)));
    set(0, 1500.0f);
    load(path("state.vemo"));
    EXPECT_TRUE(filters_on());
}

TEST_F(Preset, CancelledDialogsDoNothing)
{
    app.params[ZR_Application::SAVE]->notify(&app);
    app.params[ZR_Application::LOAD]->notify(&app);
    EXPECT_EQ(dialog->requests.size(), 2u);
    EXPECT_EQ(ZR_headless_last_message_box().count, 0);
    EXPECT_TRUE(files().empty());
    EXPECT_EQ(state(), 1);
    EXPECT_EQ(frequency(), 1500.0f);
}

TEST_F(Preset, SavingReplacesOnlyWhenCompleteAndLeavesNoTemporaryFile)
{
    const std::string p = path("keep.vemo");
    const Bytes old = preset_bytes(HEADER, {0, 0, 0, 0}, float_bytes(700.0f));
    put(p, old);

    // Unwritable: the earlier file stays as it was and nothing new appears.
    chmod(dir.c_str(), 0555);
    const bool enforced = access(dir.c_str(), W_OK) != 0; // root writes anyway
    if (enforced) {
        save(p);
        EXPECT_EQ(ZR_headless_last_message_box().text, "Cannot open preset file.");
        EXPECT_EQ(get(p), old);
    }
    chmod(dir.c_str(), 0755);
    ZR_headless_reset_message_boxes();
    save(path("no/such/dir.vemo"));
    EXPECT_EQ(ZR_headless_last_message_box().text, "Cannot open preset file.");
    EXPECT_EQ(ZR_headless_last_message_box().caption, "Error");

    ZR_headless_reset_message_boxes();
    set(0, 2000.0f);
    save(p);
    EXPECT_EQ(ZR_headless_last_message_box().count, 0);
    EXPECT_EQ(get(p), preset_bytes(HEADER, {0, 0, 0, 0}, float_bytes(2000.0f)));
    EXPECT_EQ(files(), std::vector<std::string>{"keep.vemo"});
}

} // namespace
