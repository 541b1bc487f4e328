// What the headless message box recorded, for tests.
#pragma once
#include <string>

struct ZR_recorded_message_box {
    std::string caption;
    std::string text;
    int count = 0;
};

// The last box shown, and how many were shown since the last reset.
ZR_recorded_message_box ZR_headless_last_message_box();
void ZR_headless_reset_message_boxes();
