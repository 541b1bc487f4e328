// Test helpers: fork/exec with output captured in files, libsndfile wrappers.
#include "tests/render/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

RunResult run_renderer(const std::vector<std::string> &args, const RunOptions &options)
{
    TempDir io;
    const std::string out_path = io / "stdout", err_path = io / "stderr";
    int err_pipe[2] = {-1, -1};
    if (options.interrupt_signal && pipe(err_pipe) != 0)
        throw std::runtime_error("pipe failed");
    pid_t pid = fork();
    if (pid == 0) {
        int out = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int err = err_pipe[1] >= 0 ? err_pipe[1]
                                   : open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (err_pipe[0] >= 0)
            close(err_pipe[0]);
        if (!options.cwd.empty() && chdir(options.cwd.c_str()) != 0)
            _exit(126);
        int in = open("/dev/null", O_RDONLY);
        dup2(in, 0);
        dup2(out, 1);
        dup2(err, 2);
        for (const auto &kv : options.env)
            setenv(kv.first.c_str(), kv.second.c_str(), 1);
        if (options.file_size_limit >= 0) {
            signal(SIGXFSZ, SIG_IGN);
            struct rlimit rl {
                (rlim_t) options.file_size_limit, (rlim_t)options.file_size_limit
            };
            setrlimit(RLIMIT_FSIZE, &rl);
        }
        std::vector<char *> argv;
        argv.push_back(const_cast<char *>(VEMO_RENDER_EXE));
        for (const std::string &a : args)
            argv.push_back(const_cast<char *>(a.c_str()));
        argv.push_back(nullptr);
        execv(VEMO_RENDER_EXE, argv.data());
        _exit(127);
    }
    RunResult r;
    if (err_pipe[0] >= 0) {
        // Standard error through a pipe: the signal goes once the run has paused.
        close(err_pipe[1]);
        bool sent = false;
        char buf[4096];
        ssize_t n;
        while ((n = read(err_pipe[0], buf, sizeof buf)) > 0) {
            r.err.append(buf, (size_t)n);
            if (!sent && r.err.find("paused\n") != std::string::npos) {
                kill(pid, options.interrupt_signal);
                sent = true;
            }
        }
        close(err_pipe[0]);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    r.out = read_text(out_path);
    if (err_pipe[0] < 0)
        r.err = read_text(err_path);
    return r;
}

std::string probe_plugin()
{
    return VEMO_PROBE_PLUGIN;
}

std::string real_plugin()
{
#ifdef VEMO_PLUGIN_SO
    return VEMO_PLUGIN_SO;
#else
    return "";
#endif
}

TempDir::TempDir()
{
    const char *base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/vemo-render-test-XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back(0);
    if (!mkdtemp(buf.data()))
        throw std::runtime_error("mkdtemp failed");
    path = buf.data();
}

TempDir::~TempDir()
{
    for (const std::string &name : entries()) {
        std::string p = path + "/" + name;
        chmod(p.c_str(), 0755);
        if (unlink(p.c_str()) != 0) { // a folder made by a test: one level deep at most
            DIR *d = opendir(p.c_str());
            while (d) {
                dirent *e = readdir(d);
                if (!e)
                    break;
                if (std::strcmp(e->d_name, ".") && std::strcmp(e->d_name, ".."))
                    unlink((p + "/" + e->d_name).c_str());
            }
            if (d)
                closedir(d);
            rmdir(p.c_str());
        }
    }
    rmdir(path.c_str());
}

std::vector<std::string> TempDir::entries() const
{
    std::vector<std::string> names;
    if (DIR *d = opendir(path.c_str())) {
        while (dirent *e = readdir(d))
            if (std::strcmp(e->d_name, ".") && std::strcmp(e->d_name, ".."))
                names.push_back(e->d_name);
        closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

void write_sound(const std::string &path, int format, int channels, int rate,
                 const std::vector<float> &samples)
{
    SF_INFO info{};
    info.format = format;
    info.channels = channels;
    info.samplerate = rate;
    SNDFILE *f = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(f, nullptr) << sf_strerror(nullptr);
    // Integer files are written from exact integers so that the test knows every sample.
    sf_command(f, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    ASSERT_EQ(sf_writef_float(f, samples.data(), (sf_count_t)(samples.size() / (size_t)channels)),
              (sf_count_t)(samples.size() / (size_t)channels));
    sf_close(f);
}

Sound read_sound(const std::string &path)
{
    Sound s;
    SNDFILE *f = sf_open(path.c_str(), SFM_READ, &s.info);
    if (!f)
        return s;
    s.samples.resize((size_t)(s.info.frames * s.info.channels));
    sf_readf_float(f, s.samples.data(), s.info.frames);
    sf_close(f);
    return s;
}

std::string read_text(const std::string &path)
{
    std::ifstream in(path);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void write_text(const std::string &path, const std::string &text)
{
    std::ofstream out(path);
    out << text;
}

std::vector<float> sine_wave(size_t frames, double hz, double rate, double amplitude)
{
    std::vector<float> s(frames);
    for (size_t i = 0; i < frames; ++i)
        s[i] = (float)(amplitude * std::sin(2.0 * 3.141592653589793 * hz * (double)i / rate));
    return s;
}

RunResult run_probe(std::vector<std::string> args, const std::string &log, RunOptions options)
{
    args.insert(args.end(), {"--plugin", probe_plugin(), "--quiet"});
    options.env.push_back({"VEMO_PROBE_LOG", log});
    return run_renderer(args, options);
}
