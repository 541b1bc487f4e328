// The editor adapter on X11: our own display connection (never the one some
// hosts pass in the value argument), widgets attached before the window gets
// its parent and detached after it has lost it.
#include "vst/ZR_Main_Vst.h"
#include "vst/ZR_Main_Vst_Editor.h"

#include "ZR/Win/ZR_Win_X11.h"

AEffEditor *ZR_make_vst_editor(ZR_Main_Vst *adapter)
{
    return new ZR_Main_Vst_Editor(adapter);
}

ZR_Main_Vst_Editor::ZR_Main_Vst_Editor(ZR_Main_Vst *adapter) : AEffEditor(adapter), adapter(adapter)
{
    const ZR_Application &app = adapter->application();
    window = new ZR_Win_X11(app.editor_width, app.editor_height);
}

ZR_Main_Vst_Editor::~ZR_Main_Vst_Editor()
{
    close();
    delete window;
}

bool ZR_Main_Vst_Editor::getRect(ERect **out)
{
    const ZR_Application &app = adapter->application();
    rect.top = 0;
    rect.left = 0;
    rect.bottom = (int16_t)app.editor_height;
    rect.right = (int16_t)app.editor_width;
    *out = &rect;
    return true;
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
    adapter->application().detachWindow();
    adapter->application().window = nullptr;
    attached = false;
}
