// Message boxes of the live host: a modal GTK dialog on the GUI thread once
// the window exists; standard error otherwise (other threads, --no-gui), and
// for a box from another thread a dialog queued to the GUI thread as well.
#include "host/gtk/msgbox_Gtk.h"

#include "ZR/core/ZR_msgbox.h"

#include <gtk/gtk.h>

#include <atomic>
#include <cstdio>
#include <string>

namespace {

std::atomic<bool> dialogs{false};
GThread *gui_thread = nullptr;

struct Box {
    std::string caption, text;
};

void show_dialog(const char *caption, const char *text)
{
    GtkWidget *d = gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, GTK_MESSAGE_ERROR,
                                          GTK_BUTTONS_OK, "%s", text);
    gtk_window_set_title(GTK_WINDOW(d), caption);
    gtk_dialog_run(GTK_DIALOG(d));
    gtk_widget_destroy(d);
}

gboolean show_queued(gpointer data)
{
    Box *b = static_cast<Box *>(data);
    show_dialog(b->caption.c_str(), b->text.c_str());
    delete b;
    return G_SOURCE_REMOVE;
}

} // namespace

void host_message_boxes_use_gtk(bool on)
{
    gui_thread = on ? g_thread_self() : nullptr;
    dialogs.store(on);
}

int ZR_message_box(const char *caption, const char *text)
{
    const char *c = caption ? caption : "";
    const char *t = text ? text : "";
    std::fprintf(stderr, "vemo: %s: %s\n", c, t);
    if (!dialogs.load())
        return 1;
    if (g_thread_self() == gui_thread)
        show_dialog(c, t);
    else
        g_idle_add(&show_queued, new Box{c, t});
    return 1;
}
