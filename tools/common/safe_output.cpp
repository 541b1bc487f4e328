// SafeOutput, the target checks, and the interrupt flag with its test pause.
#include "tools/common/safe_output.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t g_interrupted = 0;

void on_interrupt(int)
{
    g_interrupted = 1;
}

std::string dir_of(const std::string &path)
{
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string base_of(const std::string &path)
{
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

std::string check_output_target(const std::string &out, const std::vector<std::string> &inputs,
                                bool force)
{
    struct stat out_st;
    if (stat(out.c_str(), &out_st) != 0)
        return ""; // a new file (a missing folder fails when the temporary is made)
    if (S_ISDIR(out_st.st_mode))
        return out + " is a folder: give a file name";
    for (const std::string &in : inputs) {
        struct stat in_st;
        if (stat(in.c_str(), &in_st) == 0 && in_st.st_dev == out_st.st_dev &&
            in_st.st_ino == out_st.st_ino)
            return "refusing to overwrite the input: " + out + " is the same file as " + in;
    }
    // Write bits rather than access(): root may write anything, yet a file
    // someone made read-only is meant to stay.
    if (!force && ((out_st.st_mode & 0222) == 0 || access(out.c_str(), W_OK) != 0))
        return out + " is read-only: choose another name or make it writable";
    return "";
}

SafeOutput::~SafeOutput()
{
    discard();
}

bool SafeOutput::open(const std::string &target, std::string &error)
{
    discard();
    target_ = target;
    std::string pattern = dir_of(target) + "/." + base_of(target) + ".part-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    fd_ = mkstemp(name.data());
    if (fd_ < 0) {
        error = "cannot write in " + dir_of(target) + ": " + std::strerror(errno);
        return false;
    }
    temp_ = name.data();
    struct stat st;
    replaces_ = stat(target.c_str(), &st) == 0;
    return true;
}

bool SafeOutput::commit(std::string &error)
{
    if (fd_ < 0) {
        error = "cannot create " + target_ + ": nothing was written";
        return false;
    }
    struct stat st;
    mode_t mode;
    const bool replacing = stat(target_.c_str(), &st) == 0;
    if (replacing) {
        mode = st.st_mode & 07777;
    }
    else {
        mode_t mask = umask(0);
        umask(mask);
        mode = 0666 & ~mask;
    }
    int failed_errno = 0;
    // A replaced file must survive a crash as the old or the new one, so the
    // data reaches the disk before the rename; a new file has nothing to lose.
    if (fchmod(fd_, mode) != 0 || (replacing && fsync(fd_) != 0))
        failed_errno = errno;
    if (close(fd_) != 0 && !failed_errno)
        failed_errno = errno;
    fd_ = -1;
    if (!failed_errno && rename(temp_.c_str(), target_.c_str()) != 0)
        failed_errno = errno;
    if (failed_errno) {
        error = "cannot create " + target_ + ": " + std::strerror(failed_errno);
        discard();
        return false;
    }
    temp_.clear();
    return true;
}

void SafeOutput::discard()
{
    if (fd_ >= 0)
        close(fd_);
    fd_ = -1;
    if (!temp_.empty())
        unlink(temp_.c_str());
    temp_.clear();
}

bool write_file_safely(const std::string &path, const std::string &text, std::string &error)
{
    SafeOutput out;
    if (!out.open(path, error))
        return false;
    size_t done = 0;
    while (done < text.size()) {
        ssize_t n = write(out.fd(), text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = "error writing " + path + ": " + std::strerror(errno);
            return false;
        }
        done += (size_t)n;
    }
    return out.commit(error);
}

void install_interrupt_handlers()
{
    struct sigaction sa;
    std::memset(&sa, 0, sizeof sa);
    sa.sa_handler = on_interrupt;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
}

bool interrupted()
{
    return g_interrupted != 0;
}

void test_pause_point()
{
    static const long pause_at = [] {
        const char *v = std::getenv("VEMO_TEST_PAUSE_AT");
        return v ? std::atol(v) : 0L;
    }();
    static long calls = 0;
    if (pause_at <= 0 || ++calls != pause_at)
        return;
    // Signals stay blocked from the message until sigsuspend, so none is lost.
    sigset_t block, old;
    sigemptyset(&block);
    sigaddset(&block, SIGINT);
    sigaddset(&block, SIGTERM);
    sigprocmask(SIG_BLOCK, &block, &old);
    std::fputs("paused\n", stderr);
    std::fflush(stderr);
    sigset_t wait_mask = old;
    sigdelset(&wait_mask, SIGINT);
    sigdelset(&wait_mask, SIGTERM);
    while (!g_interrupted)
        sigsuspend(&wait_mask);
    sigprocmask(SIG_SETMASK, &old, nullptr);
}
