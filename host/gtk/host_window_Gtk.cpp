// HostWindow: GTK widgets over the live host. Menu items only queue their
// command; it runs from the main loop, after the menu has closed, so a menu
// can be rebuilt by the command it sent.
#include "host/gtk/host_window_Gtk.h"

#include "ZR/Wid/ZR_Wid_Text_FreeType.h"

#include <gdk/gdkx.h>

#include <cstdlib>

namespace {

const int IDLE_MS = 33; // the editor's idle, about 30 times a second
const int STATUS_MS = 250;

struct Queued {
    HostWindow *window;
    int id;
};

gboolean run_queued(gpointer data)
{
    Queued *q = static_cast<Queued *>(data);
    q->window->run_command(q->id);
    delete q;
    return G_SOURCE_REMOVE;
}

void on_item(GtkMenuItem *item, gpointer window)
{
    const int id = GPOINTER_TO_INT(g_object_get_data(G_OBJECT(item), "vemo-id"));
    g_idle_add(&run_queued, new Queued{static_cast<HostWindow *>(window), id});
}

GtkWidget *command_item(const std::string &text, int id, HostWindow *window)
{
    GtkWidget *item = gtk_menu_item_new_with_mnemonic(gtk_mnemonic(text).c_str());
    g_object_set_data(G_OBJECT(item), "vemo-id", GINT_TO_POINTER(id));
    g_signal_connect(item, "activate", G_CALLBACK(on_item), window);
    return item;
}

// A radio-looking item: its check mark comes from the model, never from GTK.
GtkWidget *radio_item(const HostMenuItem &m, HostWindow *window)
{
    GtkWidget *item = gtk_check_menu_item_new_with_label(m.text.c_str());
    gtk_check_menu_item_set_draw_as_radio(GTK_CHECK_MENU_ITEM(item), TRUE);
    gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(item), m.checked);
    g_object_set_data(G_OBJECT(item), "vemo-id", GINT_TO_POINTER(m.id));
    g_signal_connect(item, "activate", G_CALLBACK(on_item), window);
    return item;
}

void clear_menu(GtkWidget *menu)
{
    GList *children = gtk_container_get_children(GTK_CONTAINER(menu));
    for (GList *c = children; c; c = c->next)
        gtk_widget_destroy(GTK_WIDGET(c->data));
    g_list_free(children);
}

GtkWidget *submenu(GtkWidget *parent, const char *text)
{
    GtkWidget *item = gtk_menu_item_new_with_mnemonic(gtk_mnemonic(text).c_str());
    GtkWidget *menu = gtk_menu_new();
    gtk_menu_item_set_submenu(GTK_MENU_ITEM(item), menu);
    gtk_menu_shell_append(GTK_MENU_SHELL(parent), item);
    return menu;
}

// The editor parent's own colour, seen where no editor covers it.
gboolean on_draw_parent(GtkWidget *, cairo_t *cr, gpointer)
{
    cairo_set_source_rgb(cr, 32 / 255.0, 64 / 255.0, 96 / 255.0);
    cairo_paint(cr);
    return TRUE;
}

gboolean on_delete(GtkWidget *, GdkEvent *, gpointer window)
{
    static_cast<HostWindow *>(window)->close();
    return TRUE;
}

} // namespace

std::string gtk_mnemonic(const std::string &text)
{
    std::string out;
    for (char c : text) {
        if (c == '_')
            out += "__";
        else if (c == '&')
            out += '_';
        else
            out += c;
    }
    return out;
}

HostWindow::HostWindow()
{
    // GTK's text keeps using fontconfig until the process ends.
    ZR_Wid_Text_FreeType::share_fontconfig();
    window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(window), "VEMO");
    gtk_window_set_resizable(GTK_WINDOW(window), FALSE);
    gtk_window_move(GTK_WINDOW(window), 50, 50);
    g_signal_connect(window, "delete-event", G_CALLBACK(on_delete), this);

    GtkWidget *box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    gtk_container_add(GTK_CONTAINER(window), box);

    menu_bar = gtk_menu_bar_new();
    gtk_box_pack_start(GTK_BOX(box), menu_bar, FALSE, FALSE, 0);
    audio_menu = submenu(menu_bar, "&Audio");
    channel_menu = submenu(menu_bar, "&Channel");
    GtkWidget *preset_menu = submenu(menu_bar, "&Preset");
    gtk_menu_shell_append(GTK_MENU_SHELL(preset_menu),
                          command_item("&Load...", HOST_CMD_PRESET + HOST_PRESET_LOAD, this));
    gtk_menu_shell_append(GTK_MENU_SHELL(preset_menu),
                          command_item("&Save...", HOST_CMD_PRESET + HOST_PRESET_SAVE, this));
    preset_item = gtk_menu_get_attach_widget(GTK_MENU(preset_menu));
    gtk_menu_shell_append(GTK_MENU_SHELL(menu_bar),
                          command_item("&Help (online)", HOST_CMD_HELP, this));

    editor_area = gtk_drawing_area_new();
    gtk_widget_set_size_request(editor_area, 20, 20);
    // The menu bar may be wider than the editor: the editor parent keeps the
    // editor's size and sits in the middle.
    gtk_widget_set_halign(editor_area, GTK_ALIGN_CENTER);
    g_signal_connect(editor_area, "draw", G_CALLBACK(on_draw_parent), nullptr);
    gtk_box_pack_start(GTK_BOX(box), editor_area, FALSE, FALSE, 0);

    status = gtk_label_new("");
    gtk_label_set_xalign(GTK_LABEL(status), 0.0f);
    gtk_widget_set_margin_start(status, 4);
    gtk_widget_set_margin_end(status, 4);
    gtk_box_pack_start(GTK_BOX(box), status, FALSE, FALSE, 2);

    // The plug-in's own display connection creates its editor inside this
    // window, so it must exist on the server before the first editor opens.
    gtk_widget_realize(editor_area);
    gdk_window_ensure_native(gtk_widget_get_window(editor_area));
    gdk_display_sync(gtk_widget_get_display(window));
}

HostWindow::~HostWindow()
{
    if (idle_timer)
        g_source_remove(idle_timer);
    if (status_timer)
        g_source_remove(status_timer);
    if (window)
        gtk_widget_destroy(window);
}

void *HostWindow::editor_parent()
{
    GdkWindow *w = editor_area ? gtk_widget_get_window(editor_area) : nullptr;
    return w ? reinterpret_cast<void *>((uintptr_t)gdk_x11_window_get_xid(w)) : nullptr;
}

void HostWindow::open_help(const char *address)
{
    last_help = address;
    if (std::getenv("VEMO_HOST_NO_BROWSER"))
        return;
    // Not waited for: a browser may run for long. GLib reaps the child.
    GError *error = nullptr;
    const gchar *argv[] = {"xdg-open", address, nullptr};
    if (!g_spawn_async(nullptr, const_cast<gchar **>(argv), nullptr,
                       GSpawnFlags(G_SPAWN_SEARCH_PATH | G_SPAWN_STDOUT_TO_DEV_NULL |
                                   G_SPAWN_STDERR_TO_DEV_NULL),
                       nullptr, nullptr, nullptr, &error)) {
        g_printerr("vemo: cannot run xdg-open: %s\n", error->message);
        g_error_free(error);
    }
}

void HostWindow::show(LiveHost &h)
{
    host = &h;
    int width = 0, height = 0;
    host->editor_size(&width, &height);
    gtk_widget_set_size_request(editor_area, width, height);
    const std::string title = host->product_string();
    if (!title.empty())
        gtk_window_set_title(GTK_WINDOW(window), title.c_str());
    refresh();
    gtk_widget_show_all(window);
    idle_timer = g_timeout_add(IDLE_MS, &HostWindow::on_idle, this);
    status_timer = g_timeout_add(STATUS_MS, &HostWindow::on_status, this);
}

void HostWindow::close()
{
    if (closed)
        return;
    closed = true;
    gtk_widget_hide(window);
    if (idle_timer)
        g_source_remove(idle_timer);
    if (status_timer)
        g_source_remove(status_timer);
    idle_timer = status_timer = 0;
    if (host)
        host->shutdown();
    if (gtk_main_level() > 0)
        gtk_main_quit();
}

void HostWindow::run_command(int id)
{
    if (!host || closed)
        return;
    host->command(id);
    refresh();
}

void HostWindow::refresh()
{
    if (!host)
        return;
    const HostMenus m = host->menus();
    fill_audio_menu(m);
    fill_channel_menu(m);
    gtk_widget_set_sensitive(preset_item, m.preset_enabled);
    gtk_label_set_text(GTK_LABEL(status), host->status_text().c_str());
}

void HostWindow::fill_audio_menu(const HostMenus &m)
{
    clear_menu(audio_menu);
    for (const HostMenuItem &i : m.drivers)
        gtk_menu_shell_append(GTK_MENU_SHELL(audio_menu), radio_item(i, this));
    gtk_menu_shell_append(GTK_MENU_SHELL(audio_menu), gtk_separator_menu_item_new());
    GtkWidget *modes = submenu(audio_menu, "&Mode");
    for (const HostMenuItem &i : m.modes)
        gtk_menu_shell_append(GTK_MENU_SHELL(modes), radio_item(i, this));
    gtk_widget_show_all(audio_menu);
}

void HostWindow::fill_channel_menu(const HostMenus &m)
{
    clear_menu(channel_menu);
    for (const HostMenuItem &i : m.channels)
        gtk_menu_shell_append(GTK_MENU_SHELL(channel_menu), radio_item(i, this));
    gtk_menu_shell_append(GTK_MENU_SHELL(channel_menu), gtk_separator_menu_item_new());
    GtkWidget *inputs = submenu(channel_menu, "&Input");
    for (const HostMenuItem &i : m.inputs)
        gtk_menu_shell_append(GTK_MENU_SHELL(inputs), radio_item(i, this));
    gtk_menu_shell_append(GTK_MENU_SHELL(channel_menu), gtk_separator_menu_item_new());
    GtkWidget *add = command_item("&Add", HOST_CMD_ADD, this);
    GtkWidget *del = command_item("&Delete", HOST_CMD_DELETE, this);
    gtk_widget_set_sensitive(add, m.add_enabled);
    gtk_widget_set_sensitive(del, m.delete_enabled);
    gtk_menu_shell_append(GTK_MENU_SHELL(channel_menu), add);
    gtk_menu_shell_append(GTK_MENU_SHELL(channel_menu), del);
    gtk_widget_show_all(channel_menu);
}

gboolean HostWindow::on_idle(gpointer self)
{
    HostWindow *w = static_cast<HostWindow *>(self);
    if (w->host)
        w->host->idle();
    return G_SOURCE_CONTINUE;
}

gboolean HostWindow::on_status(gpointer self)
{
    HostWindow *w = static_cast<HostWindow *>(self);
    if (w->host)
        gtk_label_set_text(GTK_LABEL(w->status), w->host->status_text().c_str());
    return G_SOURCE_CONTINUE;
}
