// The live host's Win32 main window: class "ZRWINDOW" with the host's menu
// bar, and the editor parent of class "VEMOEFFECT" inside it.
#pragma once
#include "host/live_host.h"

#include <windows.h>

#include <string>

class HostWindowWin32 : public HostShell {
public:
    // The main window's style: caption, system menu, minimise box.
    static constexpr DWORD STYLE = 0xCA0000;
    static constexpr int LEFT = 50, TOP = 50;
    static constexpr UINT_PTR IDLE_TIMER = 1;
    static constexpr UINT IDLE_MS = 33;

    // Registers the two window classes and creates both windows and the menu
    // bar; nothing is shown. valid() is false when a window was refused.
    explicit HostWindowWin32(HINSTANCE instance);
    ~HostWindowWin32() override;
    HostWindowWin32(const HostWindowWin32 &) = delete;
    HostWindowWin32 &operator=(const HostWindowWin32 &) = delete;

    bool valid() const { return main_window && editor_window; }

    // After host.start(): fits the window around channel 1's editor, titles
    // it with its product string, fills the menus and shows the window.
    void show(LiveHost &host);
    // The close path: hides the window, shuts the host down, posts the quit.
    void close();
    // Runs the message loop until the quit message; returns its code.
    static int run_loop();

    void *editor_parent() override { return editor_window; }
    void open_help(const char *address) override;

    // Renews the menus from the host's model.
    void refresh();

    HWND main_window = nullptr;
    HWND editor_window = nullptr;
    HMENU menu_bar = nullptr;
    HMENU audio_menu = nullptr, mode_menu = nullptr;
    HMENU channel_menu = nullptr, input_menu = nullptr;
    HMENU preset_menu = nullptr;
    // What open_help last opened (VEMO_HOST_NO_BROWSER set: only recorded).
    std::string last_help;

private:
    static LRESULT CALLBACK main_proc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam);
    LRESULT on_message(HWND window, UINT msg, WPARAM wparam, LPARAM lparam);
    void build_menus();

    HINSTANCE instance;
    HBRUSH editor_brush = nullptr;
    LiveHost *host = nullptr;
    bool closed = false;
};
