// vemo_dll_reference PLUGIN OUT-DIR: what the Linux build produces, for the
// Windows DLL's tests to match: OUT-DIR/audio.f32 (the scenario's output
// from the shared object PLUGIN), OUT-DIR/panel.rgba (the editor panel
// painted headless, 8-bit red, green, blue, alpha) and OUT-DIR/text.rects
// (the text labels' rectangles, one "left top right bottom" a line) and
// OUT-DIR/knob.rect (the knob's).
#include "scenario.h"

#include "ZR/Wid/ZR_Wid_Text_Base.h"
#include "ZR/Win/ZR_Win_Headless.h"
#include "app/ZR_Application.h"

#include <dlfcn.h>

#include <cstdio>
#include <fstream>
#include <string>

namespace {

bool write_audio(const char *plugin, const std::string &path)
{
    void *handle = dlopen(plugin, RTLD_NOW | RTLD_LOCAL);
    auto entry =
        handle ? reinterpret_cast<VstPluginEntryProc>(dlsym(handle, "VSTPluginMain")) : nullptr;
    if (!entry) {
        std::fprintf(stderr, "vemo_dll_reference: cannot load %s: %s\n", plugin, dlerror());
        return false;
    }
    std::string error;
    const std::vector<float> out = run_scenario(entry, &error);
    if (out.empty()) {
        std::fprintf(stderr, "vemo_dll_reference: %s\n", error.c_str());
        return false;
    }
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char *>(out.data()), (std::streamsize)(out.size() * 4));
    return (bool)file;
}

bool write_panel(const std::string &dir)
{
    ZR_Application app;
    app.report_empty_slots = false;
    if (app.build() != ZR_OK)
        return false;
    ZR_Win_Headless win(app.editor_width, app.editor_height);
    app.attachWindow(&win);
    win.paint({0, 0, app.editor_width, app.editor_height});
    std::ofstream pixels(dir + "/panel.rgba", std::ios::binary);
    for (int y = 0; y < win.height; ++y)
        for (int x = 0; x < win.width; ++x) {
            const ZR_Pix_A32 p = win.screen.row(y)[x];
            const char rgba[4] = {(char)p.red, (char)p.green, (char)p.blue, (char)p.alpha};
            pixels.write(rgba, 4);
        }
    auto rect = [](std::ostream &out, const ZR_Wid *w) {
        out << w->left << ' ' << w->top << ' ' << w->left + w->width << ' ' << w->top + w->height
            << '\n';
    };
    std::ofstream rects(dir + "/text.rects");
    for (ZR_Wid *w : app.widgets)
        if (w && dynamic_cast<ZR_Wid_Text_Base *>(w))
            rect(rects, w);
    std::ofstream knob(dir + "/knob.rect");
    rect(knob, app.widgets[ZR_Application::KNOB]);
    app.detachWindow();
    app.destroy();
    return pixels && rects && knob;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: vemo_dll_reference PLUGIN OUT-DIR\n");
        return 2;
    }
    const std::string dir = argv[2];
    if (!write_audio(argv[1], dir + "/audio.f32") || !write_panel(dir))
        return 1;
    return 0;
}
