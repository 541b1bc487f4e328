// Shared by the Windows tests: build paths as Windows sees them, a top-level
// host window, message pumping, and reading back what a window shows.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// A build machine's absolute path under Wine (Unix paths live on Z:).
std::string windows_path(std::string path);
// A visible borderless top-level window at (x, y); null without a display.
HWND make_host_window(int x, int y, int width, int height);
// Delivers the thread's queued messages until none is left.
void pump_messages();
// The window's client pixels (0x00RRGGBB), read back through GDI.
std::vector<uint32_t> grab_window(HWND window, int width, int height);
