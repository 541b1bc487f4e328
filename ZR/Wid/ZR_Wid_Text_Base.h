// A text label: its picture holds the rendered text, coloured on black with
// every inked pixel opaque. The platform class below renders it.
#pragma once
#include "ZR/Wid/ZR_Wid_Pic.h"

#include <atomic>
#include <mutex>
#include <string>

class ZR_Wid_Text_Base : public ZR_Wid_Pic {
public:
    ZR_Wid_Text_Base();

    // Options may come from any thread: the text is copied under a lock,
    // the rest are single words.
    std::string text_copy() const;
    void set_text(const char *s);

    std::atomic<uint32_t> color{0xFFFFFF}; // COLORREF 0x00BBGGRR
    const uint32_t background = 0;
    std::string face; // empty: none
    int32_t size = 0;
    std::atomic<int32_t> horz{0};
    bool bold = false;
    // Bumped by every -text; the picture shows version shown_version.
    std::atomic<uint32_t> text_version{1};

    static ZR_value m_text(ZR_Wid_Text_Base *w, ZR_value v);
    static ZR_value m_color(ZR_Wid_Text_Base *w, ZR_value v);
    static ZR_value m_font(ZR_Wid_Text_Base *w, ZR_value v);
    static ZR_value m_size(ZR_Wid_Text_Base *w, ZR_value v);
    static ZR_value m_horz(ZR_Wid_Text_Base *w, ZR_value v);
    static ZR_value m_bold(ZR_Wid_Text_Base *w, ZR_value v);

protected:
    // Gives the picture the widget's size; false when there is nothing to
    // render into (no window, no area, or no memory for the pixels).
    bool fit_picture();

    mutable std::mutex m_text_lock;
    std::string m_string = "test string";
    // The answer of -text points here (kept until the next query).
    std::string m_answer;
};
