// A scratch folder removed with everything in it at the end of its scope, and
// whole-file reads and writes for the tests that fill it.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

struct TempFolder {
    TempFolder()
    {
        std::string pattern = std::string(::testing::TempDir()) + "vemo-test-XXXXXX";
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back(0);
        path = mkdtemp(name.data());
    }
    ~TempFolder() { std::system(("rm -rf '" + path + "'").c_str()); }
    TempFolder(const TempFolder &) = delete;
    TempFolder &operator=(const TempFolder &) = delete;
    std::string operator/(const std::string &name) const { return path + "/" + name; }
    // Sorted names, hidden temporaries included.
    std::vector<std::string> entries() const
    {
        std::vector<std::string> names;
        DIR *d = opendir(path.c_str());
        while (dirent *e = readdir(d))
            if (std::string(e->d_name) != "." && std::string(e->d_name) != "..")
                names.push_back(e->d_name);
        closedir(d);
        std::sort(names.begin(), names.end());
        return names;
    }
    std::string path;
};

inline std::string slurp(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void put(const std::string &path, const std::string &text)
{
    std::ofstream(path, std::ios::binary) << text;
}
