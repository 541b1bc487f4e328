// Registers the test ASIO driver DLL (next to the test binary) in the Wine
// prefix under several names, and gives access to what it recorded.
#pragma once
#include "tests/rts_win/driver/test_asio_state.h"

#include <windows.h>

#include <string>

namespace test_asio {

const char *const ASIO_KEY = "Software\\ASIO";
const char *const LONG_NAME = "Vemo Test Driver With A Forty Char Name!";
// Cut to the same 31 characters as LONG_NAME.
const char *const LONG_TWIN = "Vemo Test Driver With A Forty Char Twin!";

struct Registration {
    const char *key;
    const char *clsid;       // null: no "clsid" value
    const char *description; // null: none
    const char *server;      // "dll": the test driver, else a path
};

// Identifier texts in either case: the listing compares them lower-cased.
const Registration REGISTRATIONS[] = {
    {"1 Vemo Main", "{5e3ac1d0-7d1b-4c55-9a41-000000000001}", "Vemo Test Driver", "dll"},
    {"2 Big Endian", "{5E3AC1D0-7D1B-4C55-9A41-000000000002}", nullptr, "dll"},
    {"3 Long", "{5e3ac1d0-7d1b-4c55-9a41-000000000003}", LONG_NAME, "dll"},
    {"4 Missing File", "{5e3ac1d0-7d1b-4c55-9a41-000000000004}", "Missing", "C:\\no\\such.dll"},
    {"5 No Clsid", nullptr, "No Clsid", "dll"},
    {"6 Unserved", "{5e3ac1d0-7d1b-4c55-9a41-000000000005}", nullptr, "dll"},
    {"7 Long Twin", "{5e3ac1d0-7d1b-4c55-9a41-000000000001}", LONG_TWIN, "dll"},
};

inline std::string dll_path()
{
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string path(exe);
    return path.substr(0, path.find_last_of("\\/") + 1) + "vemo_test_asio.dll";
}

inline void set_text(HKEY key, const char *name, const std::string &value)
{
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(value.c_str()),
                   (DWORD)value.size() + 1);
}

// The registrations given (all by default); false when a key was refused.
// Keys are written over, never deleted: tests in other processes of the same
// prefix may be reading them.
inline bool register_drivers(const Registration *from = REGISTRATIONS,
                             size_t count = sizeof REGISTRATIONS / sizeof REGISTRATIONS[0])
{
    const std::string dll = dll_path();
    for (size_t i = 0; i < count; ++i) {
        const Registration &r = from[i];
        HKEY key;
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, (std::string(ASIO_KEY) + "\\" + r.key).c_str(), 0,
                            nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
            return false;
        if (r.clsid)
            set_text(key, "CLSID", r.clsid);
        if (r.description)
            set_text(key, "Description", r.description);
        RegCloseKey(key);
        if (!r.clsid)
            continue;
        HKEY server;
        if (RegCreateKeyExA(HKEY_CLASSES_ROOT,
                            (std::string("CLSID\\") + r.clsid + "\\InprocServer32").c_str(), 0,
                            nullptr, 0, KEY_ALL_ACCESS, nullptr, &server, nullptr) != ERROR_SUCCESS)
            return false;
        set_text(server, nullptr, std::string(r.server) == "dll" ? dll : r.server);
        set_text(server, "ThreadingModel", "Both");
        RegCloseKey(server);
    }
    return true;
}

// The driver DLL, loaded (and kept loaded) by the test itself.
inline State *driver_state(ResetFunc *reset)
{
    HMODULE module = LoadLibraryA(dll_path().c_str());
    if (!module)
        return nullptr;
    *reset = reinterpret_cast<ResetFunc>(
        reinterpret_cast<void *>(GetProcAddress(module, "test_asio_reset")));
    auto get = reinterpret_cast<StateFunc>(
        reinterpret_cast<void *>(GetProcAddress(module, "test_asio_state")));
    return get && *reset ? get() : nullptr;
}

} // namespace test_asio
