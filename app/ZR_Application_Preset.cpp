// The save and load actions of the application (files: preset_file.cpp).
#include "app/ZR_Application_Preset.h"
#include "app/ZR_Application.h"
#include "app/ZR_Application_Param.h"
#include "app/ZR_maker.h"

#include "ZR/Dlg/ZR_Dlg.h"
#include "ZR/Wid/ZR_Wid.h"
#include "ZR/Win/ZR_Win.h"
#include "ZR/core/ZR_msgbox.h"
#include "ZR/core/ZR_spcpp.h"

namespace {
void press(ZR_Wid *button, int on)
{
    if (button)
        spcpp("ZR_Wid_Butt %o -val %i", button, on);
}

void show_error(const char *message)
{
    if (message)
        ZR_message_box("Error", message);
}
} // namespace

void ZR_Application::end_action(ZR_Wid *button)
{
    press(button, 0);
    // The modal dialog took the mouse release.
    if (window) {
        window->captured.store(nullptr);
        window->hovered.store(nullptr);
    }
}

void ZR_Application::save_preset()
{
    press(widgets[SAVE_BUTTON], 1);
    if (preset_dialog && preset_dialog->save_file()) {
        PresetValues v{};
        v.state = params[STATE]->load_value().i;
        v.frequency = params[FREQUENCY]->load_value().f;
        show_error(write_preset_file(preset_dialog->path(), v));
    }
    end_action(widgets[SAVE_BUTTON]);
}

void ZR_Application::load_preset()
{
    press(widgets[LOAD_BUTTON], 1);
    if (preset_dialog && preset_dialog->open_file()) {
        PresetValues v{};
        int read = 0;
        const char *message = read_preset_file(preset_dialog->path(), &v, &read);
        // Each value takes effect as read, through the records' usual paths.
        ZR_word w{};
        if (read >= 1) {
            w.i = v.state;
            apply_preset_word(STATE, w);
        }
        if (read >= 2) {
            w.f = v.frequency;
            apply_preset_word(FREQUENCY, w);
        }
        show_error(message);
    }
    end_action(widgets[LOAD_BUTTON]);
}

void ZR_Application::apply_preset_word(int index, ZR_word word)
{
    Param *p = params[index];
    p->store_value(word);
    p->notify(this);
}
