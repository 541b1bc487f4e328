// Where vemo.exe's message boxes go.
#pragma once

// On: a modal message box (the window's run). Off (the start, --list,
// --no-gui): standard error only, so that nothing waits for a click.
void host_message_boxes_use_windows(bool on);
