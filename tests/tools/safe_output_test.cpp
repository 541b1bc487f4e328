// The shared output-file piece: complete or untouched targets, and the checks
// that keep a tool from writing over its input or a read-only file.
#include "tools/common/safe_output.h"

#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

mode_t mode_of(const std::string &path)
{
    struct stat st;
    stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

} // namespace

TEST(SafeOutput, TargetChangesOnlyOnCommit)
{
    TempFolder d;
    put(d / "out", "old");
    {
        SafeOutput o;
        std::string error;
        ASSERT_TRUE(o.open(d / "out", error)) << error;
        ASSERT_EQ(write(o.fd(), "half", 4), 4);
        EXPECT_EQ(slurp(d / "out"), "old");
        EXPECT_EQ(d.entries().size(), 2u); // the target and one hidden temporary
    }                                      // dropped without commit: a failed or interrupted run
    EXPECT_EQ(slurp(d / "out"), "old");
    EXPECT_EQ(d.entries(), (std::vector<std::string>{"out"}));

    std::string error;
    ASSERT_TRUE(write_file_safely(d / "out", "new", error)) << error;
    EXPECT_EQ(slurp(d / "out"), "new");
    ASSERT_TRUE(write_file_safely(d / "fresh", "x", error)) << error;
    EXPECT_EQ(d.entries(), (std::vector<std::string>{"fresh", "out"}));

    EXPECT_FALSE(write_file_safely(d / "missing/out", "x", error));
    EXPECT_NE(error.find("cannot write in"), std::string::npos) << error;
}

TEST(SafeOutput, TargetChecks)
{
    TempFolder d;
    put(d / "in", "samples");
    put(d / "other", "x");
    put(d / "locked", "keep");
    chmod((d / "locked").c_str(), 0444);
    ASSERT_EQ(link((d / "in").c_str(), (d / "hard").c_str()), 0);
    ASSERT_EQ(symlink("in", (d / "soft").c_str()), 0);
    ASSERT_EQ(mkdir((d / "sub").c_str(), 0755), 0);
    const std::vector<std::string> inputs = {d / "script", d / "in"};

    struct Case {
        std::string out;
        bool force;
        const char *refusal; // "" when allowed
    };
    const std::vector<Case> cases = {
        {d / "new", false, ""},
        {d / "other", false, ""},
        {d / "in", true, "same file as"},
        {d / "hard", false, "same file as"},
        {d / "soft", false, "same file as"},
        {d.path + "/./sub/../in", false, "same file as"},
        {d / "sub", true, "is a folder"},
        {d / "locked", false, "is read-only"},
        {d / "locked", true, ""},
    };
    for (const Case &c : cases) {
        const std::string why = check_output_target(c.out, inputs, c.force);
        if (!*c.refusal)
            EXPECT_EQ(why, "") << c.out;
        else
            EXPECT_NE(why.find(c.refusal), std::string::npos) << c.out << ": " << why;
    }

    // Forced over a read-only file: its mode stays read-only.
    std::string error;
    ASSERT_TRUE(write_file_safely(d / "locked", "new", error)) << error;
    EXPECT_EQ(slurp(d / "locked"), "new");
    EXPECT_EQ(mode_of(d / "locked"), 0444u);
}
