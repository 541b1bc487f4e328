// HostWindowWin32: window classes, the menu bar rebuilt from the host's menu
// model after every command, the editor parent and the close path.
#include "host/win32/host_window_Win32.h"

#include <shellapi.h>

#include <cstdlib>

namespace {

const char *const MAIN_CLASS = "ZRWINDOW";
const char *const EDITOR_CLASS = "VEMOEFFECT";
const COLORREF EDITOR_BACKGROUND = RGB(32, 64, 96);
const int INITIAL_WIDTH = 600, INITIAL_HEIGHT = 450;

void insert_item(HMENU menu, const char *text, UINT id, bool radio, bool checked, bool enabled,
                 HMENU submenu = nullptr)
{
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_STATE;
    if (!text) {
        info.fType = MFT_SEPARATOR;
    }
    else {
        info.fMask |= MIIM_STRING | MIIM_ID;
        info.fType = MFT_STRING | (radio ? MFT_RADIOCHECK : 0);
        info.dwTypeData = const_cast<char *>(text);
        info.wID = id;
        info.fState = (checked ? MFS_CHECKED : 0) | (enabled ? 0 : MFS_GRAYED);
        if (submenu) {
            info.fMask |= MIIM_SUBMENU;
            info.hSubMenu = submenu;
        }
    }
    InsertMenuItemA(menu, (UINT)GetMenuItemCount(menu), TRUE, &info);
}

// Empties a menu; submenus stay alive for the next fill.
void clear_menu(HMENU menu)
{
    while (GetMenuItemCount(menu) > 0)
        RemoveMenu(menu, 0, MF_BYPOSITION);
}

void fill_items(HMENU menu, const std::vector<HostMenuItem> &items)
{
    for (const HostMenuItem &item : items)
        insert_item(menu, item.text.c_str(), (UINT)item.id, true, item.checked, true);
}

} // namespace

HostWindowWin32::HostWindowWin32(HINSTANCE module) : instance(module)
{
    WNDCLASSEXA main_class = {};
    main_class.cbSize = sizeof main_class;
    main_class.lpfnWndProc = &main_proc;
    main_class.hInstance = instance;
    main_class.hIcon = LoadIconA(instance, "icon");
    main_class.hIconSm = LoadIconA(instance, "ComboSmallIcon");
    main_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    main_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    main_class.lpszClassName = MAIN_CLASS;
    RegisterClassExA(&main_class);

    LOGBRUSH background = {BS_SOLID, EDITOR_BACKGROUND, 0};
    editor_brush = CreateBrushIndirect(&background);
    WNDCLASSEXA editor_class = {};
    editor_class.cbSize = sizeof editor_class;
    editor_class.lpfnWndProc = &DefWindowProcA;
    editor_class.hInstance = instance;
    editor_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    editor_class.hbrBackground = editor_brush;
    editor_class.lpszClassName = EDITOR_CLASS;
    RegisterClassExA(&editor_class);

    build_menus();
    main_window = CreateWindowExA(0, MAIN_CLASS, "VEMO", STYLE, LEFT, TOP, INITIAL_WIDTH,
                                  INITIAL_HEIGHT, nullptr, menu_bar, instance, this);
    if (main_window)
        editor_window = CreateWindowExA(0, EDITOR_CLASS, "", WS_CHILD | WS_VISIBLE, 0, 0, 20, 20,
                                        main_window, nullptr, instance, nullptr);
}

HostWindowWin32::~HostWindowWin32()
{
    close();
    if (main_window) {
        SetWindowLongPtrA(main_window, GWLP_USERDATA, 0);
        DestroyWindow(main_window); // the editor parent and the menu bar with it
    }
    else if (menu_bar) {
        DestroyMenu(menu_bar);
    }
    UnregisterClassA(MAIN_CLASS, instance);
    UnregisterClassA(EDITOR_CLASS, instance);
    if (editor_brush)
        DeleteObject(editor_brush);
}

void HostWindowWin32::build_menus()
{
    menu_bar = CreateMenu();
    audio_menu = CreatePopupMenu();
    mode_menu = CreatePopupMenu();
    channel_menu = CreatePopupMenu();
    input_menu = CreatePopupMenu();
    preset_menu = CreatePopupMenu();
    insert_item(menu_bar, "&Audio", 0, false, false, true, audio_menu);
    insert_item(menu_bar, "&Channel", 0, false, false, true, channel_menu);
    insert_item(menu_bar, "&Preset", 0, false, false, true, preset_menu);
    insert_item(menu_bar, "&Help (online)", HOST_CMD_HELP, false, false, true);
    insert_item(preset_menu, "&Load...", HOST_CMD_PRESET + HOST_PRESET_LOAD, false, false, true);
    insert_item(preset_menu, "&Save...", HOST_CMD_PRESET + HOST_PRESET_SAVE, false, false, true);
    refresh();
}

void HostWindowWin32::refresh()
{
    HostMenus m;
    if (host)
        m = host->menus();
    clear_menu(audio_menu);
    fill_items(audio_menu, m.drivers);
    insert_item(audio_menu, nullptr, 0, false, false, true);
    insert_item(audio_menu, "&Mode", 0, false, false, true, mode_menu);
    clear_menu(mode_menu);
    fill_items(mode_menu, m.modes);

    clear_menu(channel_menu);
    fill_items(channel_menu, m.channels);
    insert_item(channel_menu, nullptr, 0, false, false, true);
    insert_item(channel_menu, "&Input", 0, false, false, true, input_menu);
    insert_item(channel_menu, nullptr, 0, false, false, true);
    insert_item(channel_menu, "&Add", HOST_CMD_ADD, false, false, !host || m.add_enabled);
    insert_item(channel_menu, "&Delete", HOST_CMD_DELETE, false, false, m.delete_enabled);
    clear_menu(input_menu);
    fill_items(input_menu, m.inputs);

    EnableMenuItem(menu_bar, 2, MF_BYPOSITION | (m.preset_enabled ? MF_ENABLED : MF_GRAYED));
    if (main_window)
        DrawMenuBar(main_window);
}

void HostWindowWin32::show(LiveHost &live_host)
{
    host = &live_host;
    int width = 0, height = 0;
    host->editor_size(&width, &height);
    const std::string title = host->product_string();
    if (!title.empty())
        SetWindowTextA(main_window, title.c_str());
    // The client area below the menu bar is exactly the editor.
    RECT r = {0, 0, width, height};
    AdjustWindowRectEx(&r, STYLE, TRUE, 0);
    SetWindowPos(main_window, nullptr, LEFT, TOP, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    // A menu bar wider than the editor wraps onto more lines than the
    // adjustment counts: grow by what is missing.
    RECT client;
    GetClientRect(main_window, &client);
    if (client.right != width || client.bottom != height)
        SetWindowPos(main_window, nullptr, LEFT, TOP, r.right - r.left + width - client.right,
                     r.bottom - r.top + height - client.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(editor_window, nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    refresh();
    ShowWindow(main_window, SW_SHOWNORMAL);
    UpdateWindow(main_window);
    // Editors that need the host's idle get it from the window's thread.
    SetTimer(main_window, IDLE_TIMER, IDLE_MS, nullptr);
}

void HostWindowWin32::close()
{
    if (closed)
        return;
    closed = true;
    if (main_window) {
        KillTimer(main_window, IDLE_TIMER);
        ShowWindow(main_window, SW_HIDE);
    }
    if (host)
        host->shutdown();
    PostQuitMessage(0);
}

int HostWindowWin32::run_loop()
{
    MSG msg;
    BOOL got;
    while ((got = GetMessageA(&msg, nullptr, 0, 0)) != 0 && got != -1) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return got == 0 ? (int)msg.wParam : 1;
}

void HostWindowWin32::open_help(const char *address)
{
    last_help = address;
    if (std::getenv("VEMO_HOST_NO_BROWSER"))
        return;
    ShellExecuteA(main_window, "open", address, "", "", SW_SHOWNORMAL);
}

LRESULT CALLBACK HostWindowWin32::main_proc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam)
{
    if (msg == WM_NCCREATE) {
        auto *create = reinterpret_cast<CREATESTRUCTA *>(lparam);
        SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto *self = reinterpret_cast<HostWindowWin32 *>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self)
        return self->on_message(window, msg, wparam, lparam);
    return DefWindowProcA(window, msg, wparam, lparam);
}

LRESULT HostWindowWin32::on_message(HWND window, UINT msg, WPARAM wparam, LPARAM lparam)
{
    switch (msg) {
    case WM_COMMAND:
        // Menu commands only: no notification code, no control.
        if (HIWORD(wparam) == 0 && lparam == 0 && host) {
            host->command(LOWORD(wparam));
            refresh();
            return 0;
        }
        break;
    case WM_TIMER:
        if (wparam == IDLE_TIMER && host) {
            host->idle();
            return 0;
        }
        break;
    case WM_CLOSE:
        close();
        return 0;
    default:
        break;
    }
    return DefWindowProcA(window, msg, wparam, lparam);
}
