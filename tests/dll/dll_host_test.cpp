// vemo.dll in a Win32 host: the module's export and import tables, and its
// audio against the Linux shared object's on the same input, sample for
// sample (the fixed-point path is the same arithmetic on both).
#include "dll_support.h"
#include "scenario.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <set>

namespace {

const IMAGE_NT_HEADERS *headers(HMODULE m)
{
    auto *base = reinterpret_cast<const BYTE *>(m);
    auto *dos = reinterpret_cast<const IMAGE_DOS_HEADER *>(base);
    return reinterpret_cast<const IMAGE_NT_HEADERS *>(base + dos->e_lfanew);
}

std::set<std::string> export_names(HMODULE m)
{
    auto *base = reinterpret_cast<const BYTE *>(m);
    const IMAGE_DATA_DIRECTORY &d =
        headers(m)->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    std::set<std::string> names;
    if (!d.VirtualAddress)
        return names;
    auto *dir = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY *>(base + d.VirtualAddress);
    auto *name_rvas = reinterpret_cast<const DWORD *>(base + dir->AddressOfNames);
    for (DWORD i = 0; i < dir->NumberOfNames; ++i)
        names.insert(reinterpret_cast<const char *>(base + name_rvas[i]));
    // Every export has a name: no ordinal-only entries either.
    EXPECT_EQ(dir->NumberOfFunctions, dir->NumberOfNames);
    return names;
}

std::vector<std::string> import_names(HMODULE m)
{
    auto *base = reinterpret_cast<const BYTE *>(m);
    const IMAGE_DATA_DIRECTORY &d =
        headers(m)->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    std::vector<std::string> names;
    for (auto *i = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR *>(base + d.VirtualAddress);
         d.VirtualAddress && i->Name; ++i)
        names.push_back(reinterpret_cast<const char *>(base + i->Name));
    return names;
}

std::string lower(std::string s)
{
    for (char &c : s)
        c = (char)std::tolower((unsigned char)c);
    return s;
}

TEST(DllHost, ExportsExactlyTheFourEntryNamesOfOneFunction)
{
    Dll dll;
    ASSERT_NE(dll.module, nullptr) << VEMO_DLL_PATH << ": error " << GetLastError();
    EXPECT_EQ(export_names(dll.module),
              (std::set<std::string>{"MAIN", "VSTPluginMain", "_VSTPluginMain", "main"}));
    for (const char *name : {"main", "MAIN", "_VSTPluginMain"})
        EXPECT_EQ(reinterpret_cast<void *>(GetProcAddress(dll.module, name)),
                  reinterpret_cast<void *>(dll.entry))
            << name;
}

// Each imported DLL is one the system already has loaded from its own
// folder: no C++ runtime or thread library has to travel with the plug-in.
TEST(DllHost, ImportsOnlySystemLibraries)
{
    Dll dll;
    ASSERT_NE(dll.module, nullptr);
    char system[MAX_PATH];
    const UINT n = GetSystemDirectoryA(system, MAX_PATH);
    ASSERT_GT(n, 0u);
    const std::vector<std::string> imports = import_names(dll.module);
    EXPECT_FALSE(imports.empty());
    for (const std::string &name : imports) {
        EXPECT_EQ(lower(name).find("lib"), std::string::npos) << name;
        HMODULE m = GetModuleHandleA(name.c_str());
        ASSERT_NE(m, nullptr) << name;
        char file[MAX_PATH];
        ASSERT_GT(GetModuleFileNameA(m, file, MAX_PATH), 0u);
        EXPECT_EQ(lower(file).rfind(lower(std::string(system, n)), 0), 0u)
            << name << " comes from " << file;
    }
}

TEST(DllHost, AudioEqualsTheLinuxBuildBitForBit)
{
    Dll dll;
    ASSERT_NE(dll.entry, nullptr);
    const std::vector<char> reference = reference_file("audio.f32");
    const size_t per_case = 2 * (size_t)SCENARIO_FRAMES;
    ASSERT_EQ(reference.size(), scenario_cases().size() * per_case * sizeof(float));
    std::string error;
    const std::vector<float> out = run_scenario(dll.entry, &error);
    ASSERT_EQ(out.size() * sizeof(float), reference.size()) << error;
    // Output is not silence nor a copy of the input: the test would pass a
    // plug-in that does nothing otherwise.
    const auto loudest = std::max_element(
        out.begin(), out.end(), [](float a, float b) { return std::abs(a) < std::abs(b); });
    EXPECT_GT(std::abs(*loudest), 0.1f);
    for (size_t c = 0; c < scenario_cases().size(); ++c) {
        const size_t at = c * per_case;
        size_t first = per_case;
        for (size_t i = 0; i < per_case && first == per_case; ++i)
            if (std::memcmp(&out[at + i], &reference[(at + i) * sizeof(float)], sizeof(float)))
                first = i;
        EXPECT_EQ(first, per_case)
            << "rate " << scenario_cases()[c].rate << ", block " << scenario_cases()[c].block
            << ": first differing sample " << first % SCENARIO_FRAMES << " of output "
            << first / SCENARIO_FRAMES;
    }
}

} // namespace
