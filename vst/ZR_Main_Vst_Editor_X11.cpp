// The editor adapter on X11: our own display connection (never the one some
// hosts pass in the value argument), widgets attached before the window gets
// its parent and detached after it has lost it. Presses on the knob or the
// button become begin edit, automate and end edit calls for the host.
#include "vst/ZR_Main_Vst.h"
#include "vst/ZR_Main_Vst_Editor.h"

#include "ZR/Wid/ZR_Wid.h"
#include "ZR/Win/ZR_Win_X11.h"
#include "app/ZR_Application_Param.h"

#include <atomic>
#include <thread>

// The framework window, seeing the pointer's press and release first.
class ZR_Main_Vst_Editor_Window : public ZR_Win_X11 {
public:
    ZR_Main_Vst_Editor_Window(ZR_Main_Vst_Editor *editor, ZR_Application &app)
        : ZR_Win_X11(app.editor_width, app.editor_height), editor(editor), app(app)
    {
    }
    // Which parameter a gesture of the calling thread edits, or -1.
    int32_t gesture_of_this_thread() const
    {
        if (gesture_thread.load(std::memory_order_relaxed) != std::this_thread::get_id())
            return -1;
        return gesture.load(std::memory_order_relaxed);
    }
    // Ends a gesture the closing window will not see released.
    void end_gesture()
    {
        const int32_t index = gesture.exchange(-1, std::memory_order_relaxed);
        gesture_thread.store(std::thread::id(), std::memory_order_relaxed);
        if (index >= 0)
            editor->queue(audioMasterEndEdit, index);
    }

protected:
    // Called on the event thread at a press, before the widget sees it, and
    // at the release, before the widget is let go.
    void capture_pointer(bool on) override
    {
        if (!on) {
            end_gesture();
            return;
        }
        const int32_t index =
            ZR_Main_Vst_Editor::gesture_parameter(app, hovered.load(std::memory_order_relaxed));
        if (index < 0)
            return;
        gesture.store(index, std::memory_order_relaxed);
        gesture_thread.store(std::this_thread::get_id(), std::memory_order_relaxed);
        editor->queue(audioMasterBeginEdit, index);
    }

private:
    ZR_Main_Vst_Editor *editor;
    ZR_Application &app;
    std::atomic<int32_t> gesture{-1};
    std::atomic<std::thread::id> gesture_thread{};
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

void ZR_Main_Vst_Editor::queue(int32_t opcode, int32_t index)
{
    // Automate carries the value of the moment; a host that idles rarely
    // gets every step, in order. Far behind, the steps are dropped.
    constexpr std::size_t MOST = 4096;
    HostCall call{opcode, index, 0.0f};
    if (opcode == audioMasterAutomate)
        call.value = adapter->application().params[index]->get_for_host();
    std::lock_guard<std::mutex> lock(calls_lock);
    if (opcode != audioMasterAutomate || calls.size() < MOST)
        calls.push_back(call);
}

void ZR_Main_Vst_Editor::idle()
{
    std::vector<HostCall> due;
    {
        std::lock_guard<std::mutex> lock(calls_lock);
        due.swap(calls);
    }
    for (const HostCall &c : due)
        adapter->tell_host(c.opcode, c.index, c.value);
}

bool ZR_Main_Vst_Editor::open(void *ptr)
{
    close();
    const unsigned long parent = (unsigned long)(uintptr_t)ptr;
    if (!parent || !window->connected())
        return false;
    ZR_Application &app = adapter->application();
    window->resize_window(parent, app.editor_width, app.editor_height);
    app.attachWindow(window);
    window->hwnd(parent);
    window->redraw({0, 0, app.editor_width, app.editor_height});
    attached = true;
    return true;
}

void ZR_Main_Vst_Editor::close()
{
    if (!attached)
        return;
    window->hwnd(0);
    window->end_gesture();
    adapter->application().detachWindow();
    adapter->application().window = nullptr;
    attached = false;
}
