// Shared by the Win32 class tests: a top-level host window, message pumping,
// and reading back what a window shows.
#pragma once
#include "ZR/Pic/ZR_Pix.h"

#include <windows.h>

#include <vector>

// A visible borderless top-level window at (x, y); null without a display.
HWND make_host_window(int x, int y, int width, int height);
// Delivers the thread's queued messages until none is left.
void pump_messages();
// The window's client pixels (0x00RRGGBB), through GDI.
std::vector<uint32_t> grab_window(HWND window, int width, int height);
