// Shared by the Windows tests.
#include "support/host_window_Win32.h"

std::string windows_path(std::string p)
{
    if (!p.empty() && p[0] == '/')
        p = "Z:" + p;
    for (char &c : p)
        if (c == '/')
            c = '\\';
    return p;
}

HWND make_host_window(int x, int y, int width, int height)
{
    static const char *name = [] {
        WNDCLASSA c = {};
        c.lpfnWndProc = DefWindowProcA;
        c.hInstance = GetModuleHandleA(nullptr);
        c.lpszClassName = "zr test host";
        RegisterClassA(&c);
        return "zr test host";
    }();
    HWND w = CreateWindowExA(0, name, "host", WS_POPUP | WS_VISIBLE, x, y, width, height, nullptr,
                             nullptr, GetModuleHandleA(nullptr), nullptr);
    pump_messages();
    return w;
}

void pump_messages()
{
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
}

std::vector<uint32_t> grab_window(HWND window, int width, int height)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void *bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC screen = GetDC(window);
    HDC memory = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    GdiFlush();
    std::vector<uint32_t> pixels(static_cast<uint32_t *>(bits),
                                 static_cast<uint32_t *>(bits) + (size_t)width * height);
    SelectObject(memory, old);
    DeleteDC(memory);
    ReleaseDC(window, screen);
    DeleteObject(bitmap);
    for (uint32_t &p : pixels)
        p &= 0xFFFFFF;
    return pixels;
}
