// Headless message box: records the caption and text, never blocks.
#include "ZR/core/ZR_msgbox_Headless.h"
#include "ZR/core/ZR_msgbox.h"

#include <mutex>

namespace {
std::mutex box_mutex;
ZR_recorded_message_box last_box;
} // namespace

int ZR_message_box(const char *caption, const char *text)
{
    std::lock_guard<std::mutex> lock(box_mutex);
    last_box.caption = caption ? caption : "";
    last_box.text = text ? text : "";
    last_box.count++;
    return 1;
}

ZR_recorded_message_box ZR_headless_last_message_box()
{
    std::lock_guard<std::mutex> lock(box_mutex);
    return last_box;
}

void ZR_headless_reset_message_boxes()
{
    std::lock_guard<std::mutex> lock(box_mutex);
    last_box = ZR_recorded_message_box();
}
