// Platform seam: a blocking message box with an OK button.
#pragma once

// Shows text under caption and returns 1 (OK) once dismissed.
int ZR_message_box(const char *caption, const char *text);
