// zrsh's diagnostics: the line of a failing command or unknown name,
// missing files, and the script directives' checks.
#include <gtest/gtest.h>

#include "zrsh/zrsh_files.h"

// A failing script line: the file, the line and why, and status 1.
TEST(ZrshErrors, FailingLineIsNamedWithItsReason)
{
    struct Case {
        const char *file;
        const char *script;
        const char *message;
    };
    const Case cases[] = {
        {"unknown.zrsh", "p = ZR_Soundpipe -bl 64\n\nb = ZR_Buffer -l $nothing\n",
         "unknown.zrsh:3: unknown name '$nothing'"},
        {"failing.zrsh", "# build\np = ZR_Soundpipe -bl 64\nb = ZR_Buffer -wobble 3\n",
         "failing.zrsh:3: command failed: Param not found"},
        {"class.zrsh", "ZR_Nothing -x 1\n", "class.zrsh:1: command failed: Command not found"},
    };
    for (const Case &c : cases) {
        ZrshRun r = run_zrsh(write_script(c.file, c.script));
        EXPECT_EQ(r.status, 1) << c.file;
        EXPECT_NE(r.errors.find(c.message), std::string::npos) << r.errors;
    }
}

TEST(ZrshErrors, MissingFilesAreReported)
{
    ZrshRun r = run_zrsh("-i /nonexistent/in.wav -o /tmp/x.wav " + std::string(ZRSH_EXAMPLES) +
                         "/echo.zrsh");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.errors.find("cannot open '/nonexistent/in.wav'"), std::string::npos) << r.errors;
    r = run_zrsh("/nonexistent/script.zrsh");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.errors.find("cannot open script '/nonexistent/script.zrsh'"), std::string::npos);
}

TEST(ZrshErrors, DirectivesCheckTheirArguments)
{
    std::string s =
        write_script("notbuffer.zrsh", "p = ZR_Soundpipe -bl 64\nz = ZR_Effect_Zero\ninput $z\n");
    ZrshRun r = run_zrsh(s);
    EXPECT_NE(r.errors.find("notbuffer.zrsh:3: '$z' is not a buffer"), std::string::npos)
        << r.errors;
    s = write_script("nopipe.zrsh", "b = ZR_Buffer\n");
    r = run_zrsh(s);
    EXPECT_NE(r.errors.find("builds no sound pipe"), std::string::npos) << r.errors;
    s = write_script("noobject.zrsh", "p = ZR_Soundpipe -bl 64\nn = $p -bl\n");
    r = run_zrsh(s);
    EXPECT_NE(r.errors.find("noobject.zrsh:2: the command yields no object"), std::string::npos)
        << r.errors;
}

TEST(ZrshErrors, TimedCommandThatDeletesAnOutputStopsTheStream)
{
    std::string s = write_script("deleting.zrsh",
                                 "clock 1000\nlength 1\np = ZR_Soundpipe -bl 100\nb = ZR_Buffer\n"
                                 "g = ZR_Gener_White -o $b\noutput $b\nat 0.5 $b -delete\n");
    ZrshRun r = run_zrsh("-o " + temp_path("deleting.wav") + " " + s);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.errors.find("was deleted"), std::string::npos) << r.errors;
}

TEST(ZrshErrors, DeletedObjectsAreNotUsedAgain)
{
    // A name whose object is gone, and a buffer that an effect of the pipe
    // still reads, deleted by a line or by a timed command: the pipe must not run.
    std::string s = write_script(
        "twice.zrsh", "p = ZR_Soundpipe -bl 64\nb = ZR_Buffer\n$b -delete\n$b -delete\n");
    ZrshRun r = run_zrsh(s);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.errors.find("twice.zrsh:4: '$b' was deleted"), std::string::npos) << r.errors;

    const std::string graph =
        "clock 1000\nlength 1\np = ZR_Soundpipe -bl 100\nmid = ZR_Buffer\nout = ZR_Buffer\n"
        "g = ZR_Gener_White -o $mid\nk = ZR_Effect_Koef -i $mid -o $out -k 1 -oper mul\n"
        "output $out\n";
    for (const char *deletion : {"$mid -delete\n", "at 0.5 $mid -delete\n"}) {
        s = write_script("inuse.zrsh", graph + deletion);
        r = run_zrsh("-q -o " + temp_path("inuse.wav") + " " + s);
        EXPECT_EQ(r.status, 1) << deletion;
        EXPECT_NE(
            r.errors.find("the buffer made on line 4 was deleted while the pipe still has effects"),
            std::string::npos)
            << r.errors;
    }
    // Effects first, then the buffer: allowed.
    s = write_script("ordered.zrsh",
                     graph + "at 0.5 $k -delete\nat 0.5 $g -delete\nat 0.6 $mid -delete\n");
    r = run_zrsh("-q -o " + temp_path("ordered.wav") + " " + s);
    EXPECT_EQ(r.status, 0) << r.errors;
}

TEST(ZrshErrors, NumbersMustBeFiniteAndFit)
{
    const std::string head = "p = ZR_Soundpipe -bl 64\nb = ZR_Buffer\n";
    for (const char *line :
         {"length nan", "length inf", "tail nan", "clock nan", "at nan $b -l", "input $b 1e12",
          "input $b nan", "output $b 3e9", "output $b 0 nan", "output $b 0 1e10"}) {
        std::string s = write_script("numbers.zrsh", head + line + "\n");
        ZrshRun r = run_zrsh("-o " + temp_path("numbers.wav") + " " + s);
        EXPECT_EQ(r.status, 1) << line;
        EXPECT_NE(r.errors.find("numbers.zrsh:3:"), std::string::npos) << line << ": " << r.errors;
    }
}
