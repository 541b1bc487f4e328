// File dialogs: the path buffer across calls, cancel, the default extension
// for typed names, and the Linux dialog against stand-in zenity and kdialog
// programs that record their arguments.
#include "ZR/Dlg/ZR_Dlg_File.h"
#include "ZR/Dlg/ZR_Dlg_File_Headless.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {

const char PRESETS[] = "Preset file (*.vemo)\0*.vemo\0";

} // namespace

TEST(DlgFile, DefaultExtensionOfTheFirstPattern)
{
    struct Case {
        const char *filter;
        size_t size;
        const char *expected;
    };
    const Case cases[] = {
        {PRESETS, sizeof PRESETS, ".vemo"},
        {"All\0*.*\0", 9, ""},
        {"All\0*\0", 7, ""},
        {"Two\0*.a;*.b\0", 13, ".a"},
        {"Text\0*.txt\0Any\0*.*\0", 20, ".txt"},
        {"", 1, ""},
    };
    char out[16];
    for (const Case &c : cases) {
        ZR_Dlg_File_Base::default_extension(c.filter, out, sizeof out);
        EXPECT_STREQ(out, c.expected) << c.filter;
    }
    ZR_Dlg_File_Base::default_extension(nullptr, out, sizeof out);
    EXPECT_STREQ(out, "");
}

TEST(DlgFile, ScriptedAnswersKeepThePathAndAppendTheExtension)
{
    ZR_Dlg_File_Headless dlg(PRESETS);
    EXPECT_EQ(dlg.open_file(), nullptr); // nothing scripted: cancel
    EXPECT_STREQ(dlg.path(), "");
    struct Case {
        bool saving;
        const char *typed;
        const char *result; // null: cancelled
        const char *buffer;
    };
    const Case cases[] = {
        {true, "/home/u/warm", "/home/u/warm.vemo", "/home/u/warm.vemo"},
        {false, nullptr, nullptr, "/home/u/warm.vemo"}, // cancel keeps it
        {true, "/home/u/my.presets/bright", "/home/u/my.presets/bright.vemo", nullptr},
        {true, "/home/u/warm.txt", "/home/u/warm.txt", nullptr},
        {false, "/home/u/plain", "/home/u/plain", nullptr}, // opening adds nothing
        {true, "", nullptr, "/home/u/plain"},
    };
    for (const Case &c : cases) {
        const std::string before = dlg.path();
        dlg.answers.push_back(c.typed);
        const char *r = c.saving ? dlg.save_file() : dlg.open_file();
        EXPECT_EQ(dlg.requests.back().initial, before); // the last path is offered
        EXPECT_EQ(dlg.requests.back().saving, c.saving);
        if (c.result) {
            EXPECT_STREQ(r, c.result);
        }
        else {
            EXPECT_EQ(r, nullptr);
        }
        if (c.buffer) {
            EXPECT_STREQ(dlg.path(), c.buffer);
        }
    }
    // A path that does not fit the buffer with its extension is refused.
    const std::string long_name = "/" + std::string(ZR_Dlg_File_Base::PATH_SIZE - 3, 'a');
    dlg.answers.push_back(long_name.c_str());
    EXPECT_EQ(dlg.save_file(), nullptr);
    EXPECT_STREQ(dlg.path(), "/home/u/plain");
}

namespace {

// A directory holding stand-in dialog programs, put first... and alone on
// PATH for the test's duration.
class FakeDialogs {
public:
    FakeDialogs()
    {
        char tmpl[] = "/tmp/vemo-dlg-XXXXXX";
        dir = mkdtemp(tmpl);
        old_path = std::getenv("PATH") ? std::getenv("PATH") : "";
        setenv("PATH", dir.c_str(), 1);
    }
    ~FakeDialogs()
    {
        setenv("PATH", old_path.c_str(), 1);
        std::system(("rm -rf '" + dir + "'").c_str());
    }
    // A program that records its arguments, prints answer and exits with code.
    void program(const std::string &name, const std::string &answer, int code)
    {
        const std::string path = dir + "/" + name;
        std::ofstream f(path);
        f << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" << dir << "/" << name
          << ".args'\nprintf '%s\\n' '" << answer << "'\nexit " << code << "\n";
        f.close();
        chmod(path.c_str(), 0755);
    }
    void remove(const std::string &name) { unlink((dir + "/" + name).c_str()); }
    std::string args(const std::string &name)
    {
        std::ifstream f(dir + "/" + name + ".args");
        std::stringstream s;
        s << f.rdbuf();
        return s.str();
    }
    std::string dir, old_path;
};

} // namespace

TEST(DlgFileLinux, ZenityThenKdialogAndCancel)
{
    FakeDialogs fake;
    ZR_Dlg_File dlg(nullptr, PRESETS);

    fake.program("zenity", "/srv/presets/warm", 0);
    ASSERT_NE(dlg.save_file(), nullptr);
    EXPECT_STREQ(dlg.path(), "/srv/presets/warm.vemo");
    EXPECT_EQ(fake.args("zenity"), "--file-selection\n--title=File preset\n--save\n"
                                   "--confirm-overwrite\n--file-filter=Preset file (*.vemo) | "
                                   "*.vemo\n--filename=./\n");

    // Cancelled: none, and the buffer is offered next time unchanged.
    fake.program("zenity", "", 1);
    EXPECT_EQ(dlg.open_file(), nullptr);
    EXPECT_STREQ(dlg.path(), "/srv/presets/warm.vemo");
    EXPECT_NE(fake.args("zenity").find("--filename=/srv/presets/warm.vemo\n"), std::string::npos);
    EXPECT_EQ(fake.args("zenity").find("--save"), std::string::npos);

    // Without zenity, kdialog.
    fake.remove("zenity");
    fake.program("kdialog", "/srv/presets/cold.vemo", 0);
    ASSERT_NE(dlg.open_file(), nullptr);
    EXPECT_STREQ(dlg.path(), "/srv/presets/cold.vemo");
    EXPECT_EQ(fake.args("kdialog"), "--title\nFile preset\n--getopenfilename\n"
                                    "/srv/presets/warm.vemo\n*.vemo|Preset file (*.vemo)\n");

    // Neither: none.
    fake.remove("kdialog");
    EXPECT_EQ(dlg.save_file(), nullptr);
    EXPECT_STREQ(dlg.path(), "/srv/presets/cold.vemo");
}
