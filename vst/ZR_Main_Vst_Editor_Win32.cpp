// The editor adapter on Windows: the host window is sized to the panel, the
// framework window becomes its child, then the widgets are attached. The
// window procedure runs on the host's GUI thread, so a press on the knob or
// the button tells the host begin edit, automate and end edit at once.
#include "vst/ZR_Main_Vst.h"
#include "vst/ZR_Main_Vst_Editor.h"

#include "ZR/Wid/ZR_Wid.h"
#include "ZR/Win/ZR_Win_Win32.h"
#include "app/ZR_Application_Param.h"

#include <atomic>

// The framework window, seeing the pointer's press and release first.
class ZR_Main_Vst_Editor_Window : public ZR_Win_Win32 {
public:
    ZR_Main_Vst_Editor_Window(ZR_Main_Vst_Editor *editor, ZR_Application &app)
        : ZR_Win_Win32(app.editor_width, app.editor_height), editor(editor), app(app)
    {
    }
    // Which parameter the gesture of the window's thread edits, or -1. A
    // host's own setParameter on another thread is not the user's.
    int32_t gesture_of_this_thread() const
    {
        if (gesture_thread.load(std::memory_order_relaxed) != GetCurrentThreadId())
            return -1;
        return gesture.load(std::memory_order_relaxed);
    }
    // Ends a gesture the closing window will not see released.
    void end_gesture()
    {
        const int32_t index = gesture.exchange(-1, std::memory_order_relaxed);
        gesture_thread.store(0, std::memory_order_relaxed);
        if (index >= 0)
            editor->queue(audioMasterEndEdit, index);
    }

protected:
    // Called at a press, before the widget sees it, and at the release,
    // before the widget is let go.
    void capture_pointer(bool on) override
    {
        ZR_Win_Win32::capture_pointer(on);
        if (!on) {
            end_gesture();
            return;
        }
        const int32_t index =
            ZR_Main_Vst_Editor::gesture_parameter(app, hovered.load(std::memory_order_relaxed));
        if (index < 0)
            return;
        gesture.store(index, std::memory_order_relaxed);
        gesture_thread.store(GetCurrentThreadId(), std::memory_order_relaxed);
        editor->queue(audioMasterBeginEdit, index);
    }

private:
    ZR_Main_Vst_Editor *editor;
    ZR_Application &app;
    std::atomic<int32_t> gesture{-1};
    std::atomic<DWORD> gesture_thread{0};
};

ZR_Main_Vst_Editor_Window *ZR_Main_Vst_Editor::make_window(ZR_Main_Vst_Editor *editor,
                                                           ZR_Application &app)
{
    return new ZR_Main_Vst_Editor_Window(editor, app);
}

void ZR_Main_Vst_Editor::delete_window(ZR_Main_Vst_Editor_Window *window)
{
    delete window;
}

int32_t ZR_Main_Vst_Editor::gesture_of_this_thread(const ZR_Main_Vst_Editor_Window *window)
{
    return window->gesture_of_this_thread();
}

// On Windows the gesture runs on the host's GUI thread: the call goes to
// the host directly, nothing waits for the next idle.
void ZR_Main_Vst_Editor::queue(int32_t opcode, int32_t index)
{
    const float value =
        opcode == audioMasterAutomate ? adapter->application().params[index]->get_for_host() : 0.0f;
    adapter->tell_host(opcode, index, value);
}

void ZR_Main_Vst_Editor::idle() {}

bool ZR_Main_Vst_Editor::open(void *ptr)
{
    close();
    HWND parent = static_cast<HWND>(ptr);
    if (!parent || !IsWindow(parent))
        return false;
    ZR_Application &app = adapter->application();
    // The host window keeps the left and top of its normal position and
    // takes the panel's size.
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    GetWindowPlacement(parent, &placement);
    SetWindowPos(parent, nullptr, placement.rcNormalPosition.left, placement.rcNormalPosition.top,
                 app.editor_width, app.editor_height, SWP_NOZORDER | SWP_NOACTIVATE);
    window->hwnd(parent);
    app.attachWindow(window);
    window->redraw({0, 0, app.editor_width, app.editor_height});
    attached = true;
    return true;
}

void ZR_Main_Vst_Editor::close()
{
    if (!attached)
        return;
    window->end_gesture();
    adapter->application().detachWindow();
    window->hwnd(nullptr);
    adapter->application().window = nullptr;
    attached = false;
}
