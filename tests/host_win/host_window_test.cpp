// The live host's Win32 window under Wine and an X server: start-up without
// drivers, window classes and placement, and menu commands posted as
// WM_COMMAND changing the channels and their menu texts.
#include "host/win32/host_window_Win32.h"

#include "ZR/core/ZR_msgbox_Headless.h"
#include "app/ZR_maker.h"
#include "support/host_window_Win32.h"
#include "vst/vst_entry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

void pump()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

std::string class_of(HWND w)
{
    char name[64] = "";
    GetClassNameA(w, name, sizeof name);
    return name;
}

// Texts of a menu's items, with "*" before checked ones and "~" before greyed
// ones; separators are "-".
std::vector<std::string> items(HMENU menu)
{
    std::vector<std::string> out;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        char text[128] = "";
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = sizeof text;
        GetMenuItemInfoA(menu, (UINT)i, TRUE, &info);
        if (info.fType & MFT_SEPARATOR) {
            out.push_back("-");
            continue;
        }
        std::string s = text;
        if (info.fState & MFS_GRAYED)
            s = "~" + s;
        if (info.fState & MFS_CHECKED)
            s = "*" + s;
        out.push_back(s);
    }
    return out;
}

using Texts = std::vector<std::string>;

// The window as the screen shows it, caption and menu bar included, as a
// binary PPM file (VEMO_HOST_WIN32_SCREENSHOT names it).
void save_screenshot(HWND window, const char *path)
{
    RECT r;
    GetWindowRect(window, &r);
    const int screen_w = GetSystemMetrics(SM_CXSCREEN), screen_h = GetSystemMetrics(SM_CYSCREEN);
    const std::vector<uint32_t> screen = grab_window(GetDesktopWindow(), screen_w, screen_h);
    std::FILE *f = std::fopen(path, "wb");
    if (!f)
        return;
    const int w = std::min<int>(r.right, screen_w) - r.left;
    const int h = std::min<int>(r.bottom, screen_h) - r.top;
    std::fprintf(f, "P6\n%d %d\n255\n", w, h);
    for (int y = r.top; y < r.top + h; ++y)
        for (int x = r.left; x < r.left + w; ++x) {
            const uint32_t p = screen[(size_t)y * screen_w + x];
            const unsigned char rgb[3] = {(unsigned char)(p >> 16), (unsigned char)(p >> 8),
                                          (unsigned char)p};
            std::fwrite(rgb, 1, 3, f);
        }
    std::fclose(f);
}

TEST(HostWindowWin32, StartsWithoutDriversAndMenuCommandsChangeTheChannels)
{
    ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "needs an X server";
    _putenv("VEMO_HOST_NO_BROWSER=1");
    ZR_headless_reset_message_boxes();
    HostWindowWin32 window(GetModuleHandleA(nullptr));
    ASSERT_TRUE(window.valid());
    LiveHost host(&VSTPluginMain, {}, &window);
    host.start();
    const ZR_recorded_message_box box = ZR_headless_last_message_box();
    EXPECT_EQ(box.count, 1);
    EXPECT_EQ(box.caption, "ERROR");
    EXPECT_EQ(box.text.rfind("Error: No audio drivers found\nFile: host\n", 0), 0u) << box.text;
    EXPECT_NE(box.text.find("Proc: WinMain\n"), std::string::npos);
    window.show(host);
    pump();

    // The window: its class, style and place, the editor filling its client
    // area below the menu bar.
    EXPECT_TRUE(IsWindowVisible(window.main_window));
    EXPECT_EQ(class_of(window.main_window), "ZRWINDOW");
    EXPECT_EQ(class_of(window.editor_window), "VEMOEFFECT");
    EXPECT_EQ((DWORD)GetWindowLongA(window.main_window, GWL_STYLE) & 0xCA0000u, 0xCA0000u);
    EXPECT_EQ(GetParent(window.editor_window), window.main_window);
    RECT outer, client, editor;
    GetWindowRect(window.main_window, &outer);
    GetClientRect(window.main_window, &client);
    GetClientRect(window.editor_window, &editor);
    EXPECT_EQ(outer.left, 50);
    EXPECT_EQ(outer.top, 50);
    int width = 0, height = 0;
    host.editor_size(&width, &height);
    EXPECT_EQ(client.right, width);
    EXPECT_EQ(client.bottom, height);
    EXPECT_EQ(editor.right, width);
    EXPECT_EQ(editor.bottom, height);
    LOGBRUSH brush = {};
    GetObjectA(reinterpret_cast<HBRUSH>(GetClassLongPtrA(window.editor_window, GCLP_HBRBACKGROUND)),
               sizeof brush, &brush);
    EXPECT_EQ(brush.lbColor, RGB(32, 64, 96));
    // Channel 1's editor covers its parent: hardly any background shows.
    const std::vector<uint32_t> shown = grab_window(window.editor_window, width, height);
    ASSERT_EQ(shown.size(), (size_t)width * height);
    size_t background = 0;
    for (uint32_t p : shown)
        background += p == 0x204060u;
    EXPECT_LT(background, shown.size() / 100);
    if (const char *path = std::getenv("VEMO_HOST_WIN32_SCREENSHOT"))
        save_screenshot(window.main_window, path);
    char title[128] = "";
    GetWindowTextA(window.main_window, title, sizeof title);
    EXPECT_EQ(std::string(title), host.product_string());
    EXPECT_EQ(items(window.menu_bar), (Texts{"&Audio", "&Channel", "&Preset", "&Help (online)"}));
    EXPECT_EQ(items(window.audio_menu), (Texts{"-", "&Mode"}));

    // One unconnected channel; commands arrive as the menu sends them.
    const Texts one = {"*1. Unconnected", "-", "&Input", "-", "&Add", "~&Delete"};
    EXPECT_EQ(items(window.channel_menu), one);
    auto post = [&](int id) {
        PostMessageA(window.main_window, WM_COMMAND, (WPARAM)id, 0);
        pump();
    };
    post(HOST_CMD_ADD);
    EXPECT_EQ(items(window.channel_menu),
              (Texts{"1. Unconnected", "*2. Unconnected", "-", "&Input", "-", "&Add", "&Delete"}));
    post(HOST_CMD_ADD);
    post(HOST_CMD_CHANNEL + 0);
    EXPECT_EQ(items(window.channel_menu),
              (Texts{"*1. Unconnected", "2. Unconnected", "3. Unconnected", "-", "&Input", "-",
                     "&Add", "&Delete"}));
    post(HOST_CMD_DELETE);
    EXPECT_EQ(items(window.channel_menu),
              (Texts{"*1. Unconnected", "2. Unconnected", "-", "&Input", "-", "&Add", "&Delete"}));
    post(HOST_CMD_DELETE);
    EXPECT_EQ(items(window.channel_menu), one);
    EXPECT_EQ(host.channel_count(), 1);
    // A control's notification is not a menu command.
    PostMessageA(window.main_window, WM_COMMAND, MAKEWPARAM(HOST_CMD_ADD, 1), 0);
    pump();
    EXPECT_EQ(host.channel_count(), 1);
    post(HOST_CMD_HELP);
    EXPECT_EQ(window.last_help, ZR_MAKER_ADDRESS);

    // Closing hides the window, closes every channel and ends the loop.
    PostMessageA(window.main_window, WM_CLOSE, 0, 0);
    EXPECT_EQ(HostWindowWin32::run_loop(), 0);
    EXPECT_FALSE(IsWindowVisible(window.main_window));
    EXPECT_EQ(host.channel_count(), 0);
    EXPECT_EQ(ZR_headless_last_message_box().count, 1);
}

} // namespace
