// The editor panel: a skinned 200 x 236 frame with the title, the State
// button, the cutoff knob and its value text, made of widget commands.
#include "app/ZR_Application.h"
#include "app/ZR_Application_Param.h"
#include "app/ZR_maker.h"

#include "ZR/Dlg/ZR_Dlg.h"
#include "ZR/Wid/ZR_Wid.h"
#include "ZR/core/ZR_spcpp.h"

#include <cstdio>

namespace {
// Group frame: piece size, left, top, width, height.
constexpr int G = 10, X0 = 10, Y0 = 56, W0 = 180, H0 = 170;
constexpr int W = W0 + 20, H = H0 + 66;
constexpr const char FONT[] = "Tahoma";
} // namespace

void ZR_Application::build_panel()
{
    ZR_Wid **w = widgets;
    ZR_value *state = params[STATE];
    ZR_value *frequency = params[FREQUENCY];

    spcpp("ZR_Wid_Pic -w %i -h %i -l 0 -t 0 -res bgnd", &w[BACKGROUND], W, H);
    spcpp("ZR_Wid_Pic -l %i -t 8 -res orvane", &w[LOGO], (W - 160) / 2);
    spcpp("ZR_Wid_Text -l 10 -t 35 -h 20 -w %i -text %s -font %s -size 12", &w[TITLE], W - 20,
          ZR_EFFECT_NAME, FONT);

    spcpp("ZR_Wid_Pic -w 10 -h 10 -l 0 -t 0 -res alt", &w[OUTER_TOP_LEFT]);
    spcpp("ZR_Wid_Pic -w %i -h 10 -l 10 -t 0 -res amt", &w[OUTER_TOP], W - 20);
    spcpp("ZR_Wid_Pic -w 10 -h 10 -l %i -t 0 -res art", &w[OUTER_TOP_RIGHT], W - 10);
    spcpp("ZR_Wid_Pic -w 10 -h %i -l 0 -t 10 -res alm", &w[OUTER_LEFT], H - 20);
    spcpp("ZR_Wid_Pic -w 10 -h %i -l %i -t 10 -res arm", &w[OUTER_RIGHT], H - 20, W - 10);
    spcpp("ZR_Wid_Pic -w 10 -h 10 -l 0 -t %i -res alb", &w[OUTER_BOTTOM_LEFT], H - 10);
    spcpp("ZR_Wid_Pic -w %i -h 10 -l 10 -t %i -res amb", &w[OUTER_BOTTOM], W - 20, H - 10);
    spcpp("ZR_Wid_Pic -w 10 -h 10 -l %i -t %i -res arb", &w[OUTER_BOTTOM_RIGHT], W - 10, H - 10);

    const char *piece = "ZR_Wid_Pic -w %i -h %i -l %i -t %i -res %s";
    spcpp(piece, &w[GROUP_TOP_LEFT], G, G, X0, Y0, "glt");
    spcpp(piece, &w[GROUP_TOP], W0 - 2 * G, G, X0 + G, Y0, "gmt");
    spcpp(piece, &w[GROUP_TOP_RIGHT], G, G, X0 + W0 - G, Y0, "grt");
    spcpp(piece, &w[GROUP_LEFT], G, H0 - 2 * G, X0, Y0 + G, "glm");
    // The middle overlaps its neighbours by 4 pixels on every side.
    spcpp(piece, &w[GROUP_MIDDLE], W0 - 2 * G + 8, H0 - 2 * G + 8, X0 + G - 4, Y0 + G - 4, "gmm");
    spcpp(piece, &w[GROUP_RIGHT], G, H0 - 2 * G, X0 + W0 - G, Y0 + G, "grm");
    spcpp(piece, &w[GROUP_BOTTOM_LEFT], G, G, X0, Y0 + H0 - G, "glb");
    spcpp(piece, &w[GROUP_BOTTOM], W0 - 2 * G, G, X0 + G, Y0 + H0 - G, "gmb");
    spcpp(piece, &w[GROUP_BOTTOM_RIGHT], G, G, X0 + W0 - G, Y0 + H0 - G, "grb");

    spcpp("ZR_Wid_Butt -w 40 -h 24 -l %i -t %i -res but -var %o -dat %o", &w[STATE_BUTTON], X0 + 11,
          Y0 + 11, state, this);
    spcpp("ZR_Wid_Text -l %i -t %i -w 80 -h 16 -color 0x00A57BBD -horz -1 -text Filter",
          &w[FILTER_CAPTION], X0 + 52, Y0 + 14);
    spcpp("ZR_Wid_Text -font %s -size %i -color %i -text %s -l %i -t %i -w 96 -h 18",
          &w[CUTOFF_CAPTION], FONT, 12, 0xE0C0C0, "Cutoff frequency", X0 + 40, Y0 + 48);
    spcpp("ZR_Wid_Knob -w 64 -h 64 -l %i -t %i -res big -mn 20 -mx 8333 -var %o -dat %o", &w[KNOB],
          X0 + 56, Y0 + 70, frequency, this);
    spcpp("ZR_Wid_Text -font %s -size %i -color %i -text %s -l %i -t %i -w 64 -h 18",
          &w[VALUE_TEXT], FONT, 12, 0xB0B0B0, "value", X0 + 56, Y0 + 138);
}

void ZR_Application::destroy_panel()
{
    for (int i = WIDGET_COUNT - 1; i >= 0; --i) {
        if (widgets[i])
            spcpp("%o -delete", widgets[i]);
        else if (report_empty_slots)
            std::printf("NULL WIDGET\n");
        widgets[i] = nullptr;
    }
    window = nullptr;
}

ZR_status ZR_Application::attachWindow(ZR_Win *win)
{
    window = win;
    if (preset_dialog)
        preset_dialog->owner = win;
    for (ZR_Wid *w : widgets)
        if (w)
            spcpp("ZR_Wid %o -win %o", w, win);
    return ZR_OK;
}

ZR_status ZR_Application::detachWindow()
{
    for (ZR_Wid *w : widgets)
        if (w)
            spcpp("ZR_Wid %o -win 0", w);
    return ZR_OK;
}
