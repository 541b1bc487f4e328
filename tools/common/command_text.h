// Text helpers the command tools share: trimming a line and replacing the
// `$name` references in it.
#pragma once
#include <cctype>
#include <string>

inline std::string trim(const std::string &s)
{
    size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos)
        return "";
    size_t e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

inline bool is_name_char(char c)
{
    return std::isalnum((unsigned char)c) || c == '_';
}

// Appends text to out with every $name replaced by what lookup(name, out)
// appends. At the first name lookup refuses (returns false), stops and puts
// that name in unknown.
template <class Lookup>
bool expand_names(const std::string &text, std::string &out, std::string &unknown, Lookup lookup)
{
    for (size_t i = 0; i < text.size();) {
        if (text[i] != '$') {
            out += text[i++];
            continue;
        }
        size_t j = i + 1;
        while (j < text.size() && is_name_char(text[j]))
            ++j;
        std::string name = text.substr(i + 1, j - i - 1);
        if (!lookup(name, out)) {
            unknown = name;
            return false;
        }
        i = j;
    }
    return true;
}
