// zrcmd: runs framework commands typed by hand or read from a file, one per
// line, and prints each result text and status.
//
//   zrcmd [FILE]        commands from FILE, or standard input without one
//
// Lines: blank or starting with # are skipped; "?" lists the classes and their
// options; "NAME = COMMAND" runs COMMAND and keeps the first item of its
// result (a created object's address) as $NAME for later lines.
#include "ZR/core/ZR_cfuncs.h"
#include "ZR/core/ZR_object.h"
#include "ZR/core/ZR_spcpp.h"
#include "tools/common/command_text.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <deque>
#include <fstream>
#include <iostream>
#include <map>
#include <string>
#include <unistd.h>

namespace {

const char *class_of_table(const ZR_option *table)
{
    for (const ZR_class *c = _ZR; c->name; ++c)
        if (c->options == table)
            return c->name;
    return "?";
}

void list_classes()
{
    for (const ZR_class *c = _ZR; c->name; ++c) {
        std::printf("%s%s:", c->name,
                    c->options && c->options[0].create ? "" : " (no constructor)");
        const ZR_option *table = c->options;
        for (int depth = 0; table && depth < 16; ++depth) {
            if (table != c->options)
                std::printf(" | from %s:", class_of_table(table));
            const ZR_option *pair = table + 1;
            for (; pair->name; ++pair)
                std::printf(" -%s", pair->name);
            table = pair->parent;
        }
        std::printf("\n");
    }
}

class Session {
public:
    // Runs one input line; false when it failed.
    bool line(const std::string &raw)
    {
        std::string text = trim(raw);
        if (text.empty() || text[0] == '#')
            return true;
        if (text == "?") {
            list_classes();
            return true;
        }
        std::string name;
        size_t eq = text.find(" = ");
        if (eq != std::string::npos && eq > 0 &&
            text.find_first_not_of(
                "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_") == eq) {
            name = text.substr(0, eq);
            text = trim(text.substr(eq + 3));
        }
        std::string command;
        if (!expand(text, &command))
            return false;
        return run(command, name);
    }

private:
    std::map<std::string, std::string> names_;
    // Objects keep a pointer to the command that created them: keep them all.
    std::deque<std::string> commands_;

    bool expand(const std::string &text, std::string *out)
    {
        std::string unknown;
        bool known =
            expand_names(text, *out, unknown, [this](const std::string &name, std::string &to) {
                auto found = names_.find(name);
                if (found == names_.end())
                    return false;
                to += found->second;
                return true;
            });
        if (!known)
            std::printf("zrcmd: unknown name '$%s'\n", unknown.c_str());
        return known;
    }

    bool run(const std::string &command, const std::string &name)
    {
        commands_.push_back(command);
        const char *kept = commands_.back().c_str();
        std::printf("> %s\n", kept);
        std::fflush(stdout);

        static char result[4096];
        int length = sizeof result - 1; // room for a terminating zero
        ZR_status status = spcpp_exec(SPCPP_RESULT_TEXT, kept, result, &length, nullptr);
        if (status == ZR_OK) {
            if (length > 0) {
                std::fwrite(result, 1, (size_t)length, stdout);
                std::printf("\n");
            }
            if (!name.empty()) {
                std::string first(result, strnlen(result, (size_t)length));
                names_[name] = first.substr(0, first.find(' '));
                std::printf("$%s = %s\n", name.c_str(), names_[name].c_str());
            }
        }
        std::printf("%s\n", status);
        std::fflush(stdout);
        return status == ZR_OK;
    }
};

} // namespace

int main(int argc, char **argv)
{
    if (argc > 2 ||
        (argc == 2 && (!std::strcmp(argv[1], "-h") || !std::strcmp(argv[1], "--help")))) {
        std::fprintf(stderr, "usage: zrcmd [FILE]\n"
                             "Runs one framework command per line from FILE or standard input.\n");
        return 2;
    }
    ZR_initall();

    std::ifstream file;
    std::istream *in = &std::cin;
    bool from_terminal = isatty(0);
    if (argc == 2 && std::strcmp(argv[1], "-") != 0) {
        file.open(argv[1]);
        if (!file) {
            std::fprintf(stderr, "zrcmd: cannot read '%s': %s\n", argv[1], std::strerror(errno));
            return 1;
        }
        in = &file;
        from_terminal = false;
    }

    Session session;
    std::string raw;
    if (from_terminal)
        std::printf("zrcmd: one command per line, ? lists the classes, Ctrl-D ends\n");
    while (std::getline(*in, raw))
        session.line(raw);
    if (in->bad()) {
        std::fprintf(stderr, "zrcmd: error while reading '%s'\n", argc == 2 ? argv[1] : "-");
        return 1;
    }
    return 0;
}
