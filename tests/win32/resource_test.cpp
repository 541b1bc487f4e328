// DATA resources of the module found by name in any case, against the files
// windres put into it; the installed table still comes first.
#include "ZR/core/ZR_cfuncs.h"
#include "ZR/core/ZR_msgbox_Headless.h"
#include "support/host_window_Win32.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::vector<char> file_bytes(const std::string &path)
{
    std::ifstream in(windows_path(path), std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The names of the windres script's lines ("NAME" DATA NAME.zr).
std::vector<std::string> script_names()
{
    const std::vector<char> script = file_bytes(VEMO_RC_DIR "/vemo_resources.rc");
    std::istringstream in(std::string(script.begin(), script.end()));
    std::vector<std::string> names;
    std::string line;
    while (std::getline(in, line))
        if (line.size() > 2 && line[0] == '"')
            names.push_back(line.substr(1, line.find('"', 1) - 1));
    return names;
}

TEST(Win32Resources, EveryResourceByNameInAnyCaseIsItsFile)
{
    const std::vector<std::string> names = script_names();
    ASSERT_GT(names.size(), 10u);
    ZR_headless_reset_message_boxes();
    for (const std::string &name : names) {
        const std::vector<char> file = file_bytes(std::string(VEMO_RC_DIR) + "/" + name + ".zr");
        ASSERT_FALSE(file.empty()) << name;
        std::string lower = name, mixed = name;
        for (size_t i = 0; i < name.size(); ++i) {
            lower[i] = (char)std::tolower((unsigned char)name[i]);
            mixed[i] = i % 2 ? lower[i] : name[i];
        }
        const void *first = nullptr;
        for (const std::string &asked : {name, lower, mixed}) {
            std::size_t size = 0;
            const void *data = ZR_resource_find(asked.c_str(), &size);
            ASSERT_NE(data, nullptr) << asked;
            EXPECT_EQ(size, file.size()) << asked;
            EXPECT_EQ(std::memcmp(data, file.data(), file.size()), 0) << asked;
            EXPECT_EQ(ZR_resource(asked.c_str()), data) << asked;
            if (first) {
                EXPECT_EQ(data, first) << asked;
            }
            first = data;
        }
        // Readers check headers against the length: the start is known,
        // a pointer into the middle is not.
        std::size_t size = 0;
        EXPECT_TRUE(ZR_resource_length(first, &size)) << name;
        EXPECT_EQ(size, file.size()) << name;
        EXPECT_FALSE(ZR_resource_length(static_cast<const char *>(first) + 1, &size)) << name;
        EXPECT_EQ(size, 0u);
    }
    EXPECT_EQ(ZR_headless_last_message_box().count, 0);
}

TEST(Win32Resources, MissingNameIsReportedWithItsLine)
{
    ZR_headless_reset_message_boxes();
    EXPECT_EQ(ZR_resource("NOSUCH"), nullptr);
    const ZR_recorded_message_box box = ZR_headless_last_message_box();
    EXPECT_EQ(box.count, 1);
    EXPECT_EQ(box.caption, "ERROR");
    EXPECT_EQ(box.text.rfind("Error: NOSUCH\nFile: ZR_cfuncs\nLine: 121\nProc: ZR_resource\n", 0),
              0u)
        << box.text;
    std::size_t size = 7;
    EXPECT_EQ(ZR_resource_find("NOSUCH", &size), nullptr);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(ZR_resource_find(nullptr, &size), nullptr);
    int local = 0;
    EXPECT_FALSE(ZR_resource_length(&local, &size));
}

TEST(Win32Resources, AnInstalledTableComesFirst)
{
    static const unsigned char bytes[] = {1, 2, 3};
    static const ZR_resource_entry table[] = {{"bgnd", bytes, sizeof bytes}, {nullptr, nullptr, 0}};
    const void *module = ZR_resource_find("BGND", nullptr);
    ZR_set_resource_table(table);
    std::size_t size = 0;
    EXPECT_EQ(ZR_resource_find("BGND", &size), bytes);
    EXPECT_EQ(size, 3u);
    EXPECT_EQ(ZR_resource_find("knob", nullptr), ZR_resource_find("KNOB", nullptr));
    EXPECT_NE(ZR_resource_find("knob", nullptr), nullptr); // the module's, behind the table
    ZR_set_resource_table(nullptr);
    EXPECT_EQ(ZR_resource_find("BGND", nullptr), module);
}

} // namespace
