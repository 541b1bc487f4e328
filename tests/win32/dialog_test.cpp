// The common file dialogs under Wine: the request record's fields, and real
// dialogs answered by a helper thread (a typed name and OK, or Cancel).
#include "support/host_window_Win32.h"

#include "ZR/Dlg/ZR_Dlg_File.h"
#include "ZR/Win/ZR_Win_Win32.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

namespace {

const char FILTER[] = "Preset file (*.vemo)\0*.vemo\0";

// Answers the next "File preset" dialog of the process: types name (when
// given) and presses OK, or presses Cancel. Records the dialog's owner.
class Answer {
public:
    explicit Answer(const char *name) : name_(name ? name : "")
    {
        typed_ = name != nullptr;
        thread_ = std::thread([this] { run(); });
    }
    ~Answer() { thread_.join(); }
    std::atomic<HWND> owner{nullptr};
    std::atomic<bool> seen{false};

private:
    void run()
    {
        for (int i = 0; i < 400; ++i) {
            HWND dialog = FindWindowA(nullptr, "File preset");
            if (dialog && IsWindowVisible(dialog)) {
                Sleep(200); // let the dialog finish filling itself
                owner = GetWindow(dialog, GW_OWNER);
                seen = true;
                if (typed_) {
                    // The name box: an edit in a combo box, or a plain edit.
                    SetDlgItemTextA(dialog, 0x47c, name_.c_str());
                    SetDlgItemTextA(dialog, 0x480, name_.c_str());
                }
                PostMessageA(dialog, WM_COMMAND, typed_ ? IDOK : IDCANCEL, 0);
                return;
            }
            Sleep(50);
        }
    }
    std::string name_;
    bool typed_;
    std::thread thread_;
};

std::string current_folder()
{
    char here[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, here);
    return here;
}

TEST(Win32Dialog, RequestRecordAsSetUp)
{
    ZR_Dlg_File dialog(nullptr, FILTER);
    const OPENFILENAMEA &r = dialog.request();
    EXPECT_EQ(r.lStructSize, sizeof(OPENFILENAMEA));
    EXPECT_EQ(r.hInstance, GetModuleHandleA(nullptr));
    EXPECT_EQ(r.lpstrFilter, FILTER);
    EXPECT_EQ(r.lpstrCustomFilter, nullptr);
    EXPECT_EQ(r.nMaxCustFilter, 0u);
    EXPECT_EQ(r.nFilterIndex, 0u);
    EXPECT_NE(r.lpstrFile, nullptr);
    EXPECT_EQ(r.nMaxFile, 4096u);
    EXPECT_EQ(r.lpstrFileTitle, nullptr);
    EXPECT_EQ(r.nMaxFileTitle, 0u);
    EXPECT_STREQ(r.lpstrInitialDir, ".");
    EXPECT_STREQ(r.lpstrTitle, "File preset");
    EXPECT_EQ(r.nFileOffset, 0);
    EXPECT_EQ(r.nFileExtension, 0);
    EXPECT_STREQ(r.lpstrDefExt, "vemo");
    EXPECT_EQ(r.lCustData, 0);
    EXPECT_EQ(r.lpfnHook, nullptr);
    EXPECT_EQ(r.lpTemplateName, nullptr);
    EXPECT_STREQ(dialog.path(), "");
}

TEST(Win32Dialog, SaveAddsTheExtensionOpenFindsItCancelKeepsThePath)
{
    HWND host = make_host_window(10, 10, 200, 236);
    ASSERT_NE(host, nullptr) << "no window: is DISPLAY an X server?";
    ZR_Win_Win32 window(200, 236);
    window.hwnd(host);
    ZR_Dlg_File dialog(&window, FILTER);

    const std::string expected = current_folder() + "\\dialog-test.vemo";
    DeleteFileA(expected.c_str());
    {
        Answer answer("dialog-test");
        ASSERT_NE(dialog.save_file(), nullptr);
        EXPECT_TRUE(answer.seen.load());
        EXPECT_EQ(answer.owner.load(), host); // above the editor's host window
    }
    EXPECT_STREQ(dialog.path(), expected.c_str());
    EXPECT_EQ(dialog.request().Flags & (OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT),
              (DWORD)(OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT));

    // The file now exists: open finds it by the name the save chose.
    FILE *f = std::fopen(expected.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
    {
        Answer answer("dialog-test.vemo");
        ASSERT_NE(dialog.open_file(), nullptr);
    }
    EXPECT_STREQ(dialog.path(), expected.c_str());
    EXPECT_EQ(dialog.request().Flags & (OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST),
              (DWORD)(OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST));

    // Cancel answers none and keeps the last path; without a parent window
    // the dialog has no owner.
    window.hwnd(nullptr);
    for (bool saving : {false, true}) {
        Answer answer(nullptr);
        EXPECT_EQ(saving ? dialog.save_file() : dialog.open_file(), nullptr);
        EXPECT_TRUE(answer.seen.load());
        EXPECT_EQ(answer.owner.load(), nullptr);
        EXPECT_STREQ(dialog.path(), expected.c_str());
    }
    DeleteFileA(expected.c_str());
    DestroyWindow(host);
    pump_messages();
}

} // namespace
