// zrsh's output file end to end: never the input, complete or untouched after
// an interruption or a failure, and a clear word for every mistake.
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include "zrsh/zrsh_files.h"

#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>

namespace {

// Runs zrsh with a test pause at the third block and sends sig once it has
// paused; returns the exit status, with standard error in *errors.
int run_interrupted(const std::vector<std::string> &args, int sig, std::string *errors)
{
    int err[2];
    if (pipe(err) != 0)
        return -1;
    pid_t pid = fork();
    if (pid == 0) {
        dup2(err[1], 2);
        close(err[0]);
        int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        setenv("VEMO_TEST_PAUSE_AT", "3", 1);
        std::vector<char *> argv = {const_cast<char *>(ZRSH_PATH)};
        for (const std::string &a : args)
            argv.push_back(const_cast<char *>(a.c_str()));
        argv.push_back(nullptr);
        execv(ZRSH_PATH, argv.data());
        _exit(127);
    }
    close(err[1]);
    char buf[1024];
    ssize_t n;
    bool sent = false;
    while ((n = read(err[0], buf, sizeof buf)) > 0) {
        errors->append(buf, (size_t)n);
        if (!sent && errors->find("paused\n") != std::string::npos) {
            kill(pid, sig);
            sent = true;
        }
    }
    close(err[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

const char GENERATOR[] = "clock 8000\nlength 5\np = ZR_Soundpipe -bl 64\nb = ZR_Buffer\n"
                         "g = ZR_Gener_White -o $b\noutput $b\n";

Audio stereo(double seconds)
{
    Audio a;
    a.rate = 44100;
    a.channels = 2;
    a.samples.resize((size_t)(seconds * a.rate) * 2);
    for (size_t i = 0; i < a.samples.size(); ++i)
        a.samples[i] = 0.25 * std::sin(0.01 * (double)i);
    return a;
}

} // namespace

TEST(ZrshOutput, NeverWritesOverItsInputOrScript)
{
    TempFolder f;
    write_audio(f / "in.wav", stereo(0.2));
    const std::string before = slurp(f / "in.wav");
    ASSERT_EQ(link((f / "in.wav").c_str(), (f / "hard.wav").c_str()), 0);
    ASSERT_EQ(symlink("in.wav", (f / "soft.wav").c_str()), 0);
    std::ofstream(f / "s.zrsh") << slurp(example("echo.zrsh"));
    for (const char *out : {"in.wav", "hard.wav", "soft.wav", "./in.wav", "s.zrsh"}) {
        ZrshRun r =
            run_zrsh("-i " + f / "in.wav" + " -o " + f.path + "/" + out + " " + f / "s.zrsh");
        EXPECT_EQ(r.status, 1) << out;
        EXPECT_NE(r.errors.find("refusing to overwrite the input"), std::string::npos) << r.errors;
    }
    EXPECT_EQ(slurp(f / "in.wav"), before);
    EXPECT_EQ(f.entries(), (std::vector<std::string>{"hard.wav", "in.wav", "s.zrsh", "soft.wav"}));
}

TEST(ZrshOutput, InterruptedOrFailingRunLeavesTheOldOutput)
{
    TempFolder f;
    std::ofstream(f / "gen.zrsh") << GENERATOR;
    for (int sig : {SIGINT, SIGTERM}) {
        std::ofstream(f / "out.wav") << "previous";
        std::string errors;
        EXPECT_EQ(run_interrupted({"-o", f / "out.wav", f / "gen.zrsh"}, sig, &errors), 130);
        EXPECT_NE(errors.find("zrsh: interrupted\nzrsh: '" + f / "out.wav" +
                              "' was not written (the previous file is untouched)"),
                  std::string::npos)
            << errors;
        EXPECT_EQ(slurp(f / "out.wav"), "previous");
        EXPECT_EQ(f.entries(), (std::vector<std::string>{"gen.zrsh", "out.wav"}));
    }
    // A timed command failing in the middle of the stream.
    std::ofstream(f / "mid.zrsh") << GENERATOR << "at 2.5 ZR_Nothing -x 1\n";
    ZrshRun r = run_zrsh("-o " + f / "out.wav" + " " + f / "mid.zrsh");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.errors.find("mid.zrsh:7: command failed: Command not found"), std::string::npos);
    EXPECT_NE(r.errors.find("was not written (the previous file is untouched)"), std::string::npos)
        << r.errors;
    EXPECT_EQ(slurp(f / "out.wav"), "previous");
    EXPECT_EQ(f.entries(), (std::vector<std::string>{"gen.zrsh", "mid.zrsh", "out.wav"}));

    // A read-only output stays as it is.
    chmod((f / "out.wav").c_str(), 0444);
    r = run_zrsh("-o " + f / "out.wav" + " " + f / "gen.zrsh");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.errors.find("is read-only"), std::string::npos) << r.errors;
    EXPECT_EQ(slurp(f / "out.wav"), "previous");

    // A complete run replaces it.
    ASSERT_EQ(run_zrsh("-o " + f / "new.wav" + " " + f / "gen.zrsh").status, 0);
    EXPECT_EQ(read_audio(f / "new.wav").frames(), 40000u);
}

TEST(ZrshOutput, MistakesAreNamedWithTheirStatus)
{
    TempFolder f;
    std::ofstream(f / "gen.zrsh") << GENERATOR;
    std::ofstream(f / "quiet.zrsh") << "p = ZR_Soundpipe -bl 64\nb = ZR_Buffer\n";
    std::ofstream(f / "empty.zrsh") << "p = ZR_Soundpipe -bl 64\nb = ZR_Buffer\noutput $b\n";
    std::ofstream(f / "reads.zrsh") << "p = ZR_Soundpipe -bl 64\nb = ZR_Buffer\ninput $b\n";
    const std::string o = " -o " + f / "out.wav" + " ";
    const struct {
        std::string args;
        int status;
        const char *message;
    } cases[] = {
        {"-x " + f / "gen.zrsh", 2, "unknown option '-x'"},
        {"-b 12" + o + f / "gen.zrsh", 2, "-b takes 16, 24, 32 or float, not '12'"},
        {f / "gen.zrsh" + " -o", 2, "-o needs a value"},
        {"", 2, "no script given"},
        {f / "gen.zrsh " + f / "quiet.zrsh", 2, "one script only"},
        {f / "gen.zrsh", 2, "name a file with -o"},
        {f / "reads.zrsh", 2, "without an input file (-i)"},
        {o + f / "quiet.zrsh", 2, "has no 'output $buffer' line: nothing would be written"},
        {o + f / "empty.zrsh", 1, "nothing to stream: give an input file (-i) or a 'length"},
    };
    for (const auto &c : cases) {
        ZrshRun r = run_zrsh(c.args);
        EXPECT_EQ(r.status, c.status) << c.args;
        EXPECT_NE(r.errors.find(c.message), std::string::npos) << c.args << ": " << r.errors;
    }
    EXPECT_EQ(f.entries(),
              (std::vector<std::string>{"empty.zrsh", "gen.zrsh", "quiet.zrsh", "reads.zrsh"}));
}

TEST(ZrshOutput, CommentsAfterCommandsAndNamesWithoutBlanks)
{
    TempFolder f;
    std::ofstream(f / "terse.zrsh")
        << "clock 1000 # slow\nlength 0.5\np=ZR_Soundpipe -bl 100   # the pipe\n"
           "b =ZR_Buffer\ng= ZR_Gener_Exp -o $b -beg 1 -time 1 #envelope\noutput $b # mono\n";
    ZrshRun r = run_zrsh("-o " + f / "out.wav" + " " + f / "terse.zrsh");
    ASSERT_EQ(r.status, 0) << r.errors;
    Audio out = read_audio(f / "out.wav");
    ASSERT_EQ(out.frames(), 500u);
    EXPECT_GT(out.at(0), 0.0);
}

TEST(ZrshOutput, ExamplesOnAStereoFileSayWhatTheyDrop)
{
    TempFolder f;
    write_audio(f / "in.wav", stereo(1.2));
    for (const char *name : {"echo.zrsh", "distortion.zrsh", "noisegate.zrsh", "pitchshift.zrsh",
                             "multitap.zrsh", "decay.zrsh"}) {
        ZrshRun r = run_zrsh("-i " + f / "in.wav" + " -o " + f / "out.wav " + example(name));
        EXPECT_EQ(r.status, 0) << name << ": " << r.errors;
        const bool reads_none = std::string(name) == "decay.zrsh";
        EXPECT_NE(
            r.errors.find(reads_none ? "does not read channels 0, 1" : "does not read channel 1 "),
            std::string::npos)
            << name << ": " << r.errors;
    }
}

TEST(ZrshOutput, ThirtyTwoBitOutputCarriesTheFrameworkIntegersExactly)
{
    // Random 30-bit values in a double-precision file, passed straight through.
    TempFolder f;
    std::srand(11);
    std::vector<int32_t> values(4000);
    std::vector<double> samples(values.size());
    for (size_t i = 0; i < values.size(); ++i) {
        values[i] = (int32_t)((((int64_t)std::rand() << 16) ^ std::rand()) % (1 << 30));
        if (i % 2)
            values[i] = -values[i];
        samples[i] = values[i] / 1073741824.0;
    }
    SF_INFO info{};
    info.samplerate = 8000;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_DOUBLE;
    SNDFILE *in = sf_open((f / "in.wav").c_str(), SFM_WRITE, &info);
    ASSERT_NE(in, nullptr);
    sf_writef_double(in, samples.data(), (sf_count_t)samples.size());
    sf_close(in);
    std::ofstream(f / "pass.zrsh")
        << "p = ZR_Soundpipe -bl 64\nb = ZR_Buffer\ninput $b\noutput $b\n";

    for (const char *bits : {"32", "float"}) {
        ZrshRun r = run_zrsh("-b " + std::string(bits) + " -i " + f / "in.wav" + " -o " +
                             f / "out.wav " + f / "pass.zrsh");
        ASSERT_EQ(r.status, 0) << r.errors;
        SF_INFO got{};
        SNDFILE *out = sf_open((f / "out.wav").c_str(), SFM_READ, &got);
        ASSERT_NE(out, nullptr);
        std::vector<double> back(values.size());
        ASSERT_EQ(sf_readf_double(out, back.data(), (sf_count_t)back.size()),
                  (sf_count_t)back.size());
        sf_close(out);
        size_t exact = 0;
        for (size_t i = 0; i < values.size(); ++i)
            exact += back[i] * 1073741824.0 == (double)values[i];
        if (std::string(bits) == "32")
            EXPECT_EQ(exact, values.size());
        else // 24 significant bits: most 30-bit values are rounded
            EXPECT_LT(exact, values.size() / 2);
    }
}
