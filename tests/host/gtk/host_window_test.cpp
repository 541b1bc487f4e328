// The GTK window of the live host under Xvfb with a dummy JACK server: its
// menus list the server's driver, mode and inputs, adding and deleting
// channels renews them, and the plug-in's editor shows inside the window.
#include <gtest/gtest.h>

#include "support/jack_server.h"
#include "support/xvfb.h"

#include "host/gtk/host_window_Gtk.h"
#include "host/host_drivers.h"

#include <gtk/gtk.h>

#include <cstdlib>
#include <set>
#include <vector>

// What the toolkit and fontconfig keep until the process ends (fontconfig is
// left initialised on purpose while a toolkit shares it).
extern "C" __attribute__((visibility("default"))) const char *__lsan_default_suppressions()
{
    return "leak:libfontconfig.so\nleak:libglib-2.0.so\nleak:libgobject-2.0.so\n"
           "leak:libdbus-1.so\nleak:libgtk-3.so\nleak:libgdk-3.so\n";
}

namespace {

using namespace std::chrono_literals;

Xvfb *xvfb = new Xvfb(53);
const auto *registered = ::testing::AddGlobalTestEnvironment(xvfb);

void quiet(const char *) {}

// Runs the main loop for a while (menu commands run from it).
void pump(std::chrono::milliseconds time)
{
    const auto end = std::chrono::steady_clock::now() + time;
    while (std::chrono::steady_clock::now() < end) {
        while (gtk_events_pending())
            gtk_main_iteration_do(FALSE);
        std::this_thread::sleep_for(5ms);
    }
}

struct Item {
    std::string label;
    bool checked;
    bool sensitive;
    GtkWidget *widget;
    GtkWidget *submenu;
};

std::vector<Item> items(GtkWidget *menu)
{
    std::vector<Item> out;
    GList *children = gtk_container_get_children(GTK_CONTAINER(menu));
    for (GList *c = children; c; c = c->next) {
        GtkWidget *w = GTK_WIDGET(c->data);
        if (GTK_IS_SEPARATOR_MENU_ITEM(w)) {
            out.push_back({"", false, false, w, nullptr});
            continue;
        }
        const char *label = gtk_menu_item_get_label(GTK_MENU_ITEM(w));
        out.push_back(
            {label ? label : "",
             GTK_IS_CHECK_MENU_ITEM(w) && gtk_check_menu_item_get_active(GTK_CHECK_MENU_ITEM(w)),
             (bool)gtk_widget_get_sensitive(w), w, gtk_menu_item_get_submenu(GTK_MENU_ITEM(w))});
    }
    g_list_free(children);
    return out;
}

std::vector<std::string> labels(const std::vector<Item> &list)
{
    std::vector<std::string> out;
    for (const Item &i : list)
        out.push_back(i.label);
    return out;
}

const Item *find(const std::vector<Item> &list, const std::string &label)
{
    for (const Item &i : list)
        if (i.label == label)
            return &i;
    return nullptr;
}

TEST(HostWindow, MenusFollowTheServerAndTheEditorShowsInside)
{
    ASSERT_NE(xvfb->display, nullptr) << "Xvfb did not start";
    jack_set_error_function(quiet);
    jack_set_info_function(quiet);
    JackServer server;
    if (!server.start("vemo-host-gtk-" + std::to_string(getpid())))
        GTEST_SKIP() << "JACK test skipped: " << server.failure;
    setenv("JACK_DEFAULT_SERVER", server.name.c_str(), 1);
    setenv("VEMO_HOST_NO_BROWSER", "1", 1);
    gdk_set_allowed_backends("x11");
    ASSERT_TRUE(gtk_init_check(nullptr, nullptr));

    // Found by name, as the executable finds it.
    VstPluginEntryProc entry = host_find_plugin_entry();
    ASSERT_NE(entry, nullptr);
    HostWindow window;
    LiveHost host(entry, host_driver_classes(), &window);
    host.start();
    window.show(host);
    pump(700ms);

    const std::string jack = "JACK " + server.name;
    std::vector<Item> audio = items(window.audio_menu);
    ASSERT_GE(audio.size(), 3u);
    EXPECT_EQ(audio[0].label, jack);
    EXPECT_TRUE(audio[0].checked);
    const Item *mode = find(audio, "_Mode");
    ASSERT_TRUE(mode && mode->submenu);
    std::vector<Item> modes = items(mode->submenu);
    ASSERT_EQ(modes.size(), 1u);
    EXPECT_EQ(modes[0].label, " 48.0 kHz, 32 bit, quadro");
    EXPECT_TRUE(modes[0].checked);

    std::vector<Item> channel = items(window.channel_menu);
    EXPECT_EQ(labels(channel), (std::vector<std::string>{"1. system:capture_1", "", "_Input", "",
                                                         "_Add", "_Delete"}));
    EXPECT_TRUE(channel[0].checked);
    EXPECT_TRUE(find(channel, "_Add")->sensitive);
    EXPECT_FALSE(find(channel, "_Delete")->sensitive);
    std::vector<Item> inputs = items(find(channel, "_Input")->submenu);
    EXPECT_EQ(labels(inputs), (std::vector<std::string>{"system:capture_1", "system:capture_2",
                                                        "system:capture_3", "system:capture_4"}));
    EXPECT_TRUE(inputs[0].checked);

    // The window holds the editor (and the status line names the mode).
    GtkAllocation area;
    gtk_widget_get_allocation(window.editor_area, &area);
    EXPECT_EQ(area.width, 200);
    EXPECT_EQ(area.height, 236);
    EXPECT_EQ(gtk_window_get_title(GTK_WINDOW(window.window)),
              std::string("https://vemo-audio.org 6-th order Butterworth low-pass"));
    EXPECT_EQ(std::string(gtk_label_get_text(GTK_LABEL(window.status)))
                  .rfind(jack + ", 48.0 kHz, 32 bit, quadro, overruns ", 0),
              0u)
        << gtk_label_get_text(GTK_LABEL(window.status));
    int x = 0, y = 0;
    gdk_window_get_origin(gtk_widget_get_window(window.editor_area), &x, &y);
    GdkPixbuf *editor = gdk_pixbuf_get_from_window(gdk_get_default_root_window(), x, y, 200, 236);
    ASSERT_NE(editor, nullptr);
    std::set<uint32_t> colours;
    long parent_colour = 0;
    const guchar *pixels = gdk_pixbuf_get_pixels(editor);
    const int stride = gdk_pixbuf_get_rowstride(editor),
              channels = gdk_pixbuf_get_n_channels(editor);
    for (int row = 0; row < 236; ++row)
        for (int col = 0; col < 200; ++col) {
            const guchar *p = pixels + row * stride + col * channels;
            colours.insert((uint32_t)p[0] << 16 | (uint32_t)p[1] << 8 | p[2]);
            parent_colour += p[0] == 32 && p[1] == 64 && p[2] == 96;
        }
    g_object_unref(editor);
    EXPECT_GT(colours.size(), 50u) << "the editor's panel is not shown";
    EXPECT_LT(parent_colour, 200 * 236 / 10) << "the bare editor parent shows";
    if (const char *shot = std::getenv("VEMO_HOST_SCREENSHOT")) {
        gdk_window_get_frame_extents(gtk_widget_get_window(window.window), &area);
        GdkPixbuf *all = gdk_pixbuf_get_from_window(gdk_get_default_root_window(), area.x, area.y,
                                                    area.width, area.height);
        ASSERT_NE(all, nullptr);
        EXPECT_TRUE(gdk_pixbuf_save(all, shot, "png", nullptr, nullptr));
        g_object_unref(all);
    }

    // "&Add" takes the next free input; "&Delete" of the selected one goes
    // back; the texts and the greying follow.
    gtk_menu_item_activate(GTK_MENU_ITEM(find(channel, "_Add")->widget));
    pump(300ms);
    channel = items(window.channel_menu);
    EXPECT_EQ(labels(channel),
              (std::vector<std::string>{"1. system:capture_1", "2. system:capture_2", "", "_Input",
                                        "", "_Add", "_Delete"}));
    EXPECT_FALSE(channel[0].checked);
    EXPECT_TRUE(channel[1].checked);
    EXPECT_TRUE(find(channel, "_Delete")->sensitive);
    inputs = items(find(channel, "_Input")->submenu);
    EXPECT_TRUE(inputs[1].checked);

    gtk_menu_item_activate(GTK_MENU_ITEM(inputs[3].widget));
    pump(300ms);
    channel = items(window.channel_menu);
    EXPECT_EQ(channel[1].label, "2. system:capture_4");

    gtk_menu_item_activate(GTK_MENU_ITEM(channel[0].widget));
    pump(300ms);
    channel = items(window.channel_menu);
    EXPECT_TRUE(channel[0].checked);
    gtk_menu_item_activate(GTK_MENU_ITEM(find(channel, "_Delete")->widget));
    pump(300ms);
    channel = items(window.channel_menu);
    EXPECT_EQ(labels(channel), (std::vector<std::string>{"1. system:capture_4", "", "_Input", "",
                                                         "_Add", "_Delete"}));
    EXPECT_FALSE(find(channel, "_Delete")->sensitive);

    std::vector<Item> bar = items(window.menu_bar);
    EXPECT_EQ(labels(bar),
              (std::vector<std::string>{"_Audio", "_Channel", "_Preset", "_Help (online)"}));
    gtk_menu_item_activate(GTK_MENU_ITEM(bar[3].widget));
    pump(100ms);
    EXPECT_EQ(window.last_help, "https://vemo-audio.org");

    // The server goes away: the menus still work and another driver can be
    // chosen (ALSA's default device: with or without modes here).
    server.stop();
    pump(500ms);
    audio = items(window.audio_menu);
    ASSERT_GE(audio.size(), 4u);
    ASSERT_EQ(audio[1].label, "ALSA default");
    gtk_menu_item_activate(GTK_MENU_ITEM(audio[1].widget));
    pump(500ms);
    audio = items(window.audio_menu);
    EXPECT_FALSE(audio[0].checked);
    EXPECT_NE(host.current_driver(), host.driver(0));
    EXPECT_EQ(host.channel_count(), 1);

    window.close();
    EXPECT_EQ(host.channel_count(), 0);
    EXPECT_EQ(host.current_driver(), nullptr);
}

} // namespace
