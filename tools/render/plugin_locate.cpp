// Plug-in search: built path, VST_PATH, LXVST_PATH, install prefix, the usual folders.
#include "tools/render/plugin_locate.h"

#include <cstdlib>
#include <sys/stat.h>

namespace {

void add_path_list(std::vector<std::string> &out, const char *list)
{
    if (!list)
        return;
    std::string s(list);
    size_t start = 0;
    while (start <= s.size()) {
        size_t end = s.find(':', start);
        if (end == std::string::npos)
            end = s.size();
        if (end > start)
            out.push_back(s.substr(start, end - start) + "/vemo.so");
        start = end + 1;
    }
}

bool is_file(const std::string &p)
{
    struct stat st;
    return stat(p.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

} // namespace

std::vector<std::string> plugin_candidates()
{
    std::vector<std::string> out;
#ifdef VEMO_BUILT_PLUGIN
    out.push_back(VEMO_BUILT_PLUGIN);
#endif
    add_path_list(out, std::getenv("VST_PATH"));
    add_path_list(out, std::getenv("LXVST_PATH"));
    out.push_back(std::string(VEMO_INSTALL_VST_DIR) + "/vemo.so");
    if (const char *home = std::getenv("HOME"))
        out.push_back(std::string(home) + "/.vst/vemo.so");
    out.push_back("/usr/lib/vst/vemo.so");
    return out;
}

std::string locate_plugin(std::string *tried)
{
    std::string list;
    for (const std::string &c : plugin_candidates()) {
        if (is_file(c))
            return c;
        list += (list.empty() ? "" : ", ") + c;
    }
    if (tried)
        *tried = list;
    return "";
}

std::string plugin_argument_path(const std::string &name)
{
    if (name.find('/') == std::string::npos && is_file(name))
        return "./" + name;
    return name;
}
