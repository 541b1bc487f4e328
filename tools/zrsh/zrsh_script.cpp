// zrsh script lines: name binding, substitution, directives, and deleting
// what the script created in the framework's order.
#include "tools/zrsh/zrsh_script.h"

#include "ZR/core/ZR_object.h"
#include "ZR/core/ZR_spcpp.h"
#include "ZR/dsp/ZR_Buffer.h"
#include "ZR/dsp/ZR_Effect.h"
#include "ZR/dsp/ZR_Soundpipe.h"
#include "tools/common/command_text.h"

#include <cctype>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>

namespace {

bool valid_name(const std::string &name)
{
    if (name.empty() || std::isdigit((unsigned char)name[0]))
        return false;
    for (char c : name)
        if (!is_name_char(c))
            return false;
    return true;
}

// Collapses runs of blanks: the interpreter separates tokens by one space.
std::string single_spaced(const std::string &s)
{
    std::string out;
    bool blank = false;
    for (char c : trim(s)) {
        if (c == ' ' || c == '\t') {
            blank = true;
            continue;
        }
        if (blank && !out.empty())
            out += ' ';
        blank = false;
        out += c;
    }
    return out;
}

// A '#' at the start of a line or after a blank starts a comment.
std::string without_comment(const std::string &s)
{
    for (size_t i = 0; i < s.size(); ++i)
        if (s[i] == '#' && (i == 0 || s[i - 1] == ' ' || s[i - 1] == '\t'))
            return s.substr(0, i);
    return s;
}

std::vector<std::string> words(const std::string &s)
{
    std::istringstream in(s);
    std::vector<std::string> result;
    std::string w;
    while (in >> w)
        result.push_back(w);
    return result;
}

bool number(const std::string &s, double &value)
{
    char *end = nullptr;
    value = std::strtod(s.c_str(), &end);
    return !s.empty() && end && *end == 0 && std::isfinite(value);
}

// True when the command creates an object: a class name not followed by a
// value naming an existing one.
bool creates(const std::string &text)
{
    if (text.empty() || text[0] == '%' || text[0] == '$')
        return false;
    int pos = 0;
    ZR_value first = spcpp_token(text.c_str(), &pos);
    if (first.type != ZR_TYPE_TEXT)
        return false;
    if (text[(size_t)pos] == 0)
        return true;
    ++pos;
    ZR_value second = spcpp_token(text.c_str(), &pos);
    return second.type == ZR_TYPE_TEXT || second.type == ZR_TYPE_KEYWORD;
}

std::string address(const void *p)
{
    char text[32];
    std::snprintf(text, sizeof text, "0x%" PRIXPTR, (uintptr_t)p);
    return text;
}

} // namespace

ZrshScript::~ZrshScript()
{
    // Effects first, then buffers, then pipes, then anything else; objects
    // that the script or an owner deleted already are skipped.
    std::set<ZR_Object *> done;
    for (int pass = 0; pass < 4; ++pass) {
        for (auto it = created.rbegin(); it != created.rend(); ++it) {
            ZR_Object *o = *it;
            if (done.count(o) || !ZR_object_alive(o))
                continue;
            int kind = dynamic_cast<ZR_Effect *>(o)      ? 0
                       : dynamic_cast<ZR_Buffer *>(o)    ? 1
                       : dynamic_cast<ZR_Soundpipe *>(o) ? 2
                                                         : 3;
            if (kind != pass)
                continue;
            done.insert(o);
            delete o;
        }
    }
}

bool ZrshScript::expand(const std::string &text, std::string &out, std::string &error) const
{
    out.clear();
    std::string unknown;
    if (expand_names(text, out, unknown, [this](const std::string &name, std::string &to) {
            auto found = names.find(name);
            if (found == names.end())
                return false;
            to += address(found->second);
            return true;
        }))
        return true;
    error = "unknown name '$" + unknown + "'";
    return false;
}

bool ZrshScript::command(const std::string &text, int number, std::string &error,
                         ZR_Object **yielded, bool print)
{
    std::string expanded;
    const std::string spaced = single_spaced(text);
    if (!expand(spaced, expanded, error))
        return false;
    if (!spaced.empty() && spaced[0] == '$') {
        // The interpreter wants a class in front of an object: name the
        // class whose table the object was created with.
        size_t end = 1;
        while (end < spaced.size() && is_name_char(spaced[end]))
            ++end;
        ZR_Object *o = names.at(spaced.substr(1, end - 1));
        if (!ZR_object_alive(o)) {
            error = "'" + spaced.substr(0, end) + "' was deleted";
            return false;
        }
        const char *cls = "ZR_Object";
        for (const ZR_class *c = _ZR; c->name; ++c)
            if (c->options == o->options)
                cls = c->name;
        expanded = std::string(cls) + " " + expanded;
    }
    texts.push_back(expanded);
    const std::string &stored = texts.back();
    char result[4096];
    int capacity = (int)sizeof result - 1;
    ZR_status status = spcpp_exec(SPCPP_RESULT_TEXT, stored.c_str(), result, &capacity, nullptr);
    result[sizeof result - 1] = 0;
    // A creating command names its object first, even when a later option fails.
    ZR_Object *first = nullptr;
    if (std::strncmp(result, "0x", 2) == 0)
        first = reinterpret_cast<ZR_Object *>((uintptr_t)std::strtoull(result + 2, nullptr, 16));
    if (first && creates(stored) && ZR_object_alive(first)) {
        created.push_back(first);
        if (ZR_Buffer *b = dynamic_cast<ZR_Buffer *>(first))
            buffers.push_back({b, number});
    }
    if (ZR_Soundpipe::current && !pipe_named)
        pipe = ZR_Soundpipe::current;
    if (status != ZR_OK) {
        error = std::string("command failed: ") + status;
        return false;
    }
    if (print)
        std::printf("%s\n", result);
    if (yielded) {
        if (!first || !ZR_object_alive(first)) {
            error = "the command yields no object";
            return false;
        }
        *yielded = first;
    }
    return true;
}

bool ZrshScript::buffer_argument(const std::string &word, ZR_Buffer *&buffer,
                                 std::string &error) const
{
    std::string expanded;
    if (!expand(word, expanded, error))
        return false;
    void *p = reinterpret_cast<void *>((uintptr_t)std::strtoull(expanded.c_str(), nullptr, 16));
    buffer = ZR_object_alive(p) ? dynamic_cast<ZR_Buffer *>(static_cast<ZR_Object *>(p)) : nullptr;
    if (!buffer) {
        error = "'" + word + "' is not a buffer";
        return false;
    }
    return true;
}

bool ZrshScript::line(const std::string &raw, int number_, std::string &error)
{
    std::string text = trim(without_comment(raw));
    if (text.empty())
        return true;
    std::vector<std::string> w = words(text);
    const std::string &head = w[0];
    double value = 0;

    // "name = COMMAND", with or without blanks around '='.
    const size_t eq = text.find('=');
    if (eq != std::string::npos) {
        const std::string name = trim(text.substr(0, eq));
        if (valid_name(name) || (w.size() >= 2 && w[1] == "=")) {
            if (!valid_name(name)) {
                error = "bad name '" + name + "'";
                return false;
            }
            ZR_Object *object = nullptr;
            if (!command(text.substr(eq + 1), number_, error, &object))
                return false;
            names[name] = object;
            return true;
        }
    }
    if (head == "input" || head == "output") {
        if (w.size() < 2 || w.size() > 4 || (head == "input" && w.size() > 3)) {
            error = "usage: " + head +
                    (head == "input" ? " $buffer [channel]" : " $buffer [offset [stride]]");
            return false;
        }
        ZR_Buffer *b;
        if (!buffer_argument(w[1], b, error))
            return false;
        double a = head == "input" ? (double)inputs.size() : 0.0, s = 1.0;
        if ((w.size() > 2 && (!number(w[2], a) || a < 0 || a > INT32_MAX)) ||
            (w.size() > 3 && (!number(w[3], s) || s < 1 || s > INT32_MAX))) {
            error = "bad number in '" + text + "'";
            return false;
        }
        if (head == "input")
            inputs.push_back({b, (int)a, number_});
        else
            outputs.push_back({b, (int32_t)a, (int32_t)s});
        return true;
    }
    if (head == "pipe") {
        std::string expanded;
        if (w.size() != 2) {
            error = "usage: pipe $pipe";
            return false;
        }
        if (!expand(w[1], expanded, error))
            return false;
        ZR_Object *o =
            reinterpret_cast<ZR_Object *>((uintptr_t)std::strtoull(expanded.c_str(), nullptr, 16));
        pipe = ZR_object_alive(o) ? dynamic_cast<ZR_Soundpipe *>(o) : nullptr;
        if (!pipe) {
            error = "'" + w[1] + "' is not a pipe";
            return false;
        }
        pipe_named = true;
        return true;
    }
    if (head == "clock" || head == "length" || head == "tail") {
        if (w.size() != 2 || !number(w[1], value) || value < 0 || value > 1e7) {
            error = "usage: " + head + (head == "clock" ? " HZ" : " SECONDS");
            return false;
        }
        if (head == "clock")
            clock = (int)value;
        else if (head == "length") {
            length = value;
            length_given = true;
        }
        else
            tail = value;
        return true;
    }
    if (head == "at") {
        if (w.size() < 3 || !number(w[1], value) || value < 0) {
            error = "usage: at SECONDS COMMAND";
            return false;
        }
        size_t start = text.find(w[2], text.find(w[1]) + w[1].size());
        timed.push_back({value, text.substr(start), number_});
        return true;
    }
    if (head == "print")
        return command(text.substr(5), number_, error, nullptr, true);
    return command(text, number_, error, nullptr);
}

bool ZrshScript::buffers_intact(std::string &error) const
{
    if (!pipe || !ZR_object_alive(pipe) || pipe->effects.first() == pipe->effects.end())
        return true;
    for (const auto &b : buffers)
        if (!ZR_object_alive(b.first)) {
            error = "the buffer made on line " + std::to_string(b.second) +
                    " was deleted while the pipe still has effects (delete the effects first)";
            return false;
        }
    return true;
}

bool zrsh_run_file(ZrshScript &script, std::string &error)
{
    std::ifstream in(script.file);
    if (!in) {
        error = "cannot open script '" + script.file + "'";
        return false;
    }
    std::string text;
    int number = 0;
    while (std::getline(in, text)) {
        ++number;
        std::string message;
        if (!script.line(text, number, message)) {
            error = script.file + ":" + std::to_string(number) + ": " + message;
            return false;
        }
    }
    return true;
}
