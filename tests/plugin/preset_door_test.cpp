// The preset actions reached through the vendor-specific dispatcher call, as
// the standalone host's menus use them.
#include "plugin_host.h"
#include "vst/ZR_Main_Vst.h"

#include "ZR/Dlg/ZR_Dlg_File_Headless.h"
#include "ZR/core/ZR_msgbox_Headless.h"
#include "app/ZR_Application_Preset.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>

namespace {

TEST(PluginPresets, VendorCallsSaveAndLoadThroughTheDialog)
{
    Plugin p;
    ZR_Application &app =
        static_cast<ZR_Main_Vst *>(static_cast<AudioEffect *>(p.e->object))->application();
    auto *dialog = new ZR_Dlg_File_Headless(PRESET_FILTER);
    app.preset_dialog.reset(dialog);
    ZR_headless_reset_message_boxes();
    const std::string path = "/tmp/vemo-door-" + std::to_string(getpid()) + ".vemo";

    p.set(1, 0.25f);
    dialog->answers.push_back(path.c_str());
    EXPECT_EQ(p.dispatch(effVendorSpecific, ZR_Main_Vst::PRESET_SAVE), 1);
    p.set(1, 0.75f);
    p.set(0, 0.0f);
    dialog->answers.push_back(path.c_str());
    EXPECT_EQ(p.dispatch(effVendorSpecific, ZR_Main_Vst::PRESET_LOAD), 1);
    EXPECT_FLOAT_EQ(p.get(1), 0.25f);
    EXPECT_EQ(p.get(0), 1.0f);
    EXPECT_EQ(ZR_headless_last_message_box().count, 0);
    EXPECT_EQ(dialog->requests.size(), 2u);

    // Another index is not ours: nothing is asked.
    EXPECT_EQ(p.dispatch(effVendorSpecific, 0x12345678), 0);
    EXPECT_EQ(dialog->requests.size(), 2u);
    std::remove(path.c_str());
}

} // namespace
