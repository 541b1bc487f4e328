// zenity, then kdialog, spawned without a shell; the chosen path is read from
// the child's standard output.
#include "ZR/Dlg/ZR_Dlg_File_Linux.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

extern char **environ;

namespace {

enum class Outcome {
    CHOSEN,
    CANCELLED,
    MISSING
};

// Runs argv, collecting its standard output; MISSING when it cannot start.
Outcome run_dialog(const std::vector<std::string> &args, std::string *out)
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return Outcome::CANCELLED;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<char *> argv;
    for (const std::string &a : args)
        argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int err = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (err != 0) {
        close(fds[0]);
        return Outcome::MISSING;
    }
    char buffer[1024];
    ssize_t n;
    while ((n = read(fds[0], buffer, sizeof buffer)) != 0) {
        if (n < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (out->size() < 65536)
            out->append(buffer, (size_t)n);
    }
    close(fds[0]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 127)
        return Outcome::MISSING; // a shell wrapper that found no program
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return Outcome::CANCELLED;
    while (!out->empty() && (out->back() == '\n' || out->back() == '\r'))
        out->pop_back();
    return Outcome::CHOSEN;
}

// The filter's (description, patterns) pairs; ';' separated patterns.
std::vector<std::pair<std::string, std::string>> filter_pairs(const char *f)
{
    std::vector<std::pair<std::string, std::string>> pairs;
    while (f && *f) {
        std::string description = f;
        f += description.size() + 1;
        if (!*f)
            break;
        std::string patterns = f;
        f += patterns.size() + 1;
        for (char &c : patterns)
            if (c == ';')
                c = ' ';
        pairs.emplace_back(description, patterns);
    }
    return pairs;
}

} // namespace

const char *ZR_Dlg_File_Linux::run(bool saving)
{
    const std::string initial = m_path[0] ? m_path : "./";
    const auto pairs = filter_pairs(filter);

    std::vector<std::string> zenity = {"zenity", "--file-selection", "--title=File preset"};
    if (saving) {
        zenity.push_back("--save");
        zenity.push_back("--confirm-overwrite");
    }
    for (const auto &p : pairs)
        zenity.push_back("--file-filter=" + p.first + " | " + p.second);
    zenity.push_back("--filename=" + initial);

    std::string kfilter;
    for (const auto &p : pairs)
        kfilter += (kfilter.empty() ? "" : "\n") + p.second + "|" + p.first;
    std::vector<std::string> kdialog = {
        "kdialog", "--title", "File preset", saving ? "--getsavefilename" : "--getopenfilename",
        initial,   kfilter};

    for (const std::vector<std::string> *args : {&zenity, &kdialog}) {
        std::string out;
        const Outcome o = run_dialog(*args, &out);
        if (o == Outcome::MISSING)
            continue;
        if (o == Outcome::CHOSEN && accept(out.c_str(), saving))
            return m_path;
        return nullptr;
    }
    return nullptr;
}

const char *ZR_Dlg_File_Linux::open_file()
{
    return run(false);
}

const char *ZR_Dlg_File_Linux::save_file()
{
    return run(true);
}
