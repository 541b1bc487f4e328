// Where the live host's message boxes go.
#pragma once

// On: boxes become GTK dialogs (call on the GUI thread, after gtk_init).
// Off (the start): standard error only.
void host_message_boxes_use_gtk(bool on);
