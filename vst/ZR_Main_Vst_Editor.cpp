// The editor adapter's part that is the same on every window system: its
// life with the application, the gestures' parameters and the panel size.
#include "vst/ZR_Main_Vst_Editor.h"
#include "vst/ZR_Main_Vst.h"

#include "ZR/Wid/ZR_Wid.h"
#include "app/ZR_Application_Param.h"

AEffEditor *ZR_make_vst_editor(ZR_Main_Vst *adapter)
{
    return new ZR_Main_Vst_Editor(adapter);
}

ZR_Main_Vst_Editor::ZR_Main_Vst_Editor(ZR_Main_Vst *adapter) : AEffEditor(adapter), adapter(adapter)
{
    ZR_Application &app = adapter->application();
    window = make_window(this, app);
    app.on_change_context = this;
    app.on_change = on_change;
}

ZR_Main_Vst_Editor::~ZR_Main_Vst_Editor()
{
    close();
    ZR_Application &app = adapter->application();
    app.on_change = nullptr;
    app.on_change_context = nullptr;
    delete_window(window);
}

void ZR_Main_Vst_Editor::on_change(void *context, int index)
{
    auto *editor = static_cast<ZR_Main_Vst_Editor *>(context);
    // Only the changes of a gesture are the user's; the host knows its own.
    if (gesture_of_this_thread(editor->window) == index)
        editor->queue(audioMasterAutomate, index);
}

int32_t ZR_Main_Vst_Editor::gesture_parameter(const ZR_Application &app, const ZR_Wid *w)
{
    if (w && w->enabled && w == app.widgets[ZR_Application::KNOB])
        return PARAM_FREQUENCY;
    if (w && w->enabled && w == app.widgets[ZR_Application::STATE_BUTTON])
        return PARAM_STATE;
    return -1;
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
