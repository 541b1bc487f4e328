// vemo.exe itself, run as a child process with the test ASIO driver
// registered: its driver list and a run without a window.
#include "tests/rts_win/driver/test_asio_registry.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct ChildRun {
    DWORD code = 0;
    std::string out, err;
};

// The executable's build path as Wine names it.
std::string exe_path()
{
    std::string path = "Z:" VEMO_EXE_PATH;
    for (char &c : path)
        if (c == '/')
            c = '\\';
    return path;
}

// A file the child writes one of its standard streams into.
HANDLE capture_file(const char *name)
{
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    return CreateFileA(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY, nullptr);
}

std::string read_back(HANDLE file)
{
    std::string text;
    char buffer[4096];
    DWORD got = 0;
    SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        text.append(buffer, got);
    CloseHandle(file);
    return text;
}

// Runs vemo.exe with the arguments; its output goes through files, since
// Wine's helper processes may keep a pipe's writing end open.
ChildRun run(const std::string &arguments)
{
    HANDLE out = capture_file("vemo_exe_test.out");
    HANDLE err = capture_file("vemo_exe_test.err");
    STARTUPINFOA start = {};
    start.cb = sizeof start;
    start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdOutput = out;
    start.hStdError = err;
    start.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION process = {};
    std::string command = "\"" + exe_path() + "\" " + arguments;
    ChildRun r;
    if (CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &start,
                       &process)) {
        if (WaitForSingleObject(process.hProcess, 60000) != WAIT_OBJECT_0)
            TerminateProcess(process.hProcess, 99);
        GetExitCodeProcess(process.hProcess, &r.code);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
    else {
        r.code = (DWORD)-1;
    }
    r.out = read_back(out);
    r.err = read_back(err);
    return r;
}

TEST(VemoExe, CarriesItsWindowIconsAndPictures)
{
    HMODULE exe = LoadLibraryExA(exe_path().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(exe, nullptr);
    for (const char *name : {"icon", "ComboSmallIcon"})
        EXPECT_NE(FindResourceA(exe, name, MAKEINTRESOURCEA(14)), nullptr) << name; // group icon
    EXPECT_NE(FindResourceA(exe, "bgnd", "DATA"), nullptr);
    FreeLibrary(exe);
}

TEST(VemoExe, ListsAsioDriversFirstAndStreamsWithoutAWindow)
{
    ASSERT_TRUE(test_asio::register_drivers());
    const ChildRun list = run("--list");
    ASSERT_EQ(list.code, 0u) << list.err;
    const size_t main = list.out.find(": Vemo Test Driver\r\n");
    const size_t cut = list.out.find(": Vemo Test Driver With A Fort...\r\n");
    const size_t wave = list.out.find(": Windows\r\n");
    EXPECT_NE(main, std::string::npos) << list.out;
    EXPECT_NE(cut, std::string::npos) << list.out;
    ASSERT_NE(wave, std::string::npos) << list.out;
    EXPECT_LT(main, cut);
    EXPECT_LT(cut, wave);
    EXPECT_EQ(list.out.find("Missing"), std::string::npos);

    // The plug-in is found through the executable's own export, and two
    // channels run on the test driver until the time is up.
    const ChildRun live = run("--no-gui 0.5 --driver \"Vemo Test Driver\" --channels 2");
    EXPECT_EQ(live.code, 0u) << live.err;
    EXPECT_NE(live.err.find("Vemo Test Driver, 48.0 kHz, 32 bit, quadro"), std::string::npos)
        << live.err;
    EXPECT_NE(live.err.find("channel 2. In 2"), std::string::npos) << live.err;

    const ChildRun wrong = run("--driver \"No Such Driver\" --no-gui 0");
    EXPECT_NE(wrong.code, 0u) << wrong.err;
}

} // namespace
