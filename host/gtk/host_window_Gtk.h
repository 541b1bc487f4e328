// The live host's GTK 3 main window: the menu bar built from the host's menu
// model, the editor parent (a native X11 child window) and a status line.
#pragma once
#include "host/live_host.h"

#include <gtk/gtk.h>

#include <string>

class HostWindow : public HostShell {
public:
    // Creates the window and its realized editor parent; nothing is shown.
    HostWindow();
    ~HostWindow() override;
    HostWindow(const HostWindow &) = delete;
    HostWindow &operator=(const HostWindow &) = delete;

    // After host.start(): sizes the window to channel 1's editor, titles it
    // with its product string, fills the menus, shows the window and starts
    // the editor idle and status timers.
    void show(LiveHost &host);
    // The close path: hides the window, shuts the host down, ends the loop.
    void close();

    void *editor_parent() override;
    void open_help(const char *address) override;

    // Runs a menu command as a menu item does, then renews the menus.
    void run_command(int id);
    // Renews the menus and the status line from the host.
    void refresh();

    GtkWidget *window = nullptr;
    GtkWidget *menu_bar = nullptr;
    GtkWidget *editor_area = nullptr;
    GtkWidget *status = nullptr;
    // The submenus the host's model fills.
    GtkWidget *audio_menu = nullptr;
    GtkWidget *channel_menu = nullptr;
    GtkWidget *preset_item = nullptr;
    // What open_help last ran, for tests (it is not run when
    // VEMO_HOST_NO_BROWSER is set).
    std::string last_help;

private:
    void fill_audio_menu(const HostMenus &m);
    void fill_channel_menu(const HostMenus &m);
    static gboolean on_idle(gpointer self);
    static gboolean on_status(gpointer self);

    LiveHost *host = nullptr;
    guint idle_timer = 0;
    guint status_timer = 0;
    bool closed = false;
};

// Returns the text a GTK menu label shows for a menu text ("&Add" -> "_Add").
std::string gtk_mnemonic(const std::string &text);
