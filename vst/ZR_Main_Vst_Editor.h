// The editor adapter: shows the application's panel in the window a host
// gives it, through one framework window that lives as long as the editor.
#pragma once
#include "vst/AEffEditor.h"

#include <cstdint>
#include <mutex>
#include <vector>

class ZR_Application;
class ZR_Main_Vst;
class ZR_Main_Vst_Editor_Window;
class ZR_Wid;

class ZR_Main_Vst_Editor : public AEffEditor {
public:
    explicit ZR_Main_Vst_Editor(ZR_Main_Vst *adapter);
    ~ZR_Main_Vst_Editor() override;

    bool getRect(ERect **rect) override;
    // ptr carries the host's window (an X11 window id, a Windows HWND). A
    // second open without a close closes first.
    bool open(void *ptr) override;
    void close() override;
    // Delivers the queued gestures to the host, in order (host GUI thread).
    void idle() override;

    // A gesture's call for the host: queued until idle where the window has
    // a thread of its own (X11), made at once where it runs on the host's
    // GUI thread (Windows).
    struct HostCall {
        int32_t opcode;
        int32_t index;
        float value;
    };
    void queue(int32_t opcode, int32_t index);

    // The parameter a press on w starts a gesture of, or -1.
    static int32_t gesture_parameter(const ZR_Application &app, const ZR_Wid *w);

private:
    static void on_change(void *editor, int index);
    // The platform's window, from the platform's editor file.
    static ZR_Main_Vst_Editor_Window *make_window(ZR_Main_Vst_Editor *editor, ZR_Application &app);
    static void delete_window(ZR_Main_Vst_Editor_Window *window);
    static int32_t gesture_of_this_thread(const ZR_Main_Vst_Editor_Window *window);
    ZR_Main_Vst_Editor_Window *window;
    ZR_Main_Vst *adapter;
    // Per editor, so that instances on different host threads never share it.
    ERect rect{};
    bool attached = false;
    std::mutex calls_lock;
    std::vector<HostCall> calls;
};
