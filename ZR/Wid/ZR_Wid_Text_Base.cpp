// ZR_Wid_Text_Base and ZR_Wid_Text: the text options.
#include "ZR/Wid/ZR_Wid_Text.h"

const ZR_option ZR_Wid_Text_options[] = {
    ZR_OPTION_CTOR(ZR_Wid_Text),        ZR_OPTION(ZR_Wid_Text_Base, text),
    ZR_OPTION(ZR_Wid_Text_Base, color), ZR_OPTION(ZR_Wid_Text_Base, font),
    ZR_OPTION(ZR_Wid_Text_Base, size),  ZR_OPTION(ZR_Wid_Text_Base, horz),
    ZR_OPTION(ZR_Wid_Text_Base, bold),  ZR_OPTION_END(ZR_Wid_options),
};

ZR_Wid_Text_Base::ZR_Wid_Text_Base() = default;

ZR_Wid_Text::ZR_Wid_Text()
{
    options = ZR_Wid_Text_options;
}

std::string ZR_Wid_Text_Base::text_copy() const
{
    std::lock_guard<std::mutex> lock(m_text_lock);
    return m_string;
}

void ZR_Wid_Text_Base::set_text(const char *s)
{
    std::lock_guard<std::mutex> lock(m_text_lock);
    m_string = s ? s : "";
    text_version.fetch_add(1, std::memory_order_relaxed);
}

namespace {

// Integer options take a number's 32 bits (a float's bits too).
bool integer_given(const ZR_value &v)
{
    return v.type == ZR_TYPE_INT || v.type == ZR_TYPE_FLOAT;
}

} // namespace

ZR_value ZR_Wid_Text_Base::m_text(ZR_Wid_Text_Base *w, ZR_value v)
{
    if (v.type == ZR_TYPE_TEXT) {
        w->set_text(v.value.s);
        return ZR_value::of_text(v.value.s);
    }
    std::lock_guard<std::mutex> lock(w->m_text_lock);
    w->m_answer = w->m_string;
    return ZR_value::of_text(w->m_answer.c_str());
}

ZR_value ZR_Wid_Text_Base::m_color(ZR_Wid_Text_Base *w, ZR_value v)
{
    if (integer_given(v))
        w->color.store((uint32_t)v.value.i, std::memory_order_relaxed);
    return ZR_value::of_int((int32_t)w->color.load(std::memory_order_relaxed));
}

ZR_value ZR_Wid_Text_Base::m_font(ZR_Wid_Text_Base *w, ZR_value v)
{
    if (v.type == ZR_TYPE_TEXT && v.value.s && w->face != v.value.s) {
        w->face = v.value.s;
        w->make_font();
    }
    return ZR_value::of_text(w->face.empty() ? nullptr : w->face.c_str());
}

ZR_value ZR_Wid_Text_Base::m_size(ZR_Wid_Text_Base *w, ZR_value v)
{
    if (integer_given(v) && v.value.i != w->size) {
        w->size = v.value.i;
        w->make_font();
    }
    return ZR_value::of_int(w->size);
}

ZR_value ZR_Wid_Text_Base::m_horz(ZR_Wid_Text_Base *w, ZR_value v)
{
    if (integer_given(v))
        w->horz.store(v.value.i, std::memory_order_relaxed);
    return ZR_value::of_int(w->horz.load(std::memory_order_relaxed));
}

ZR_value ZR_Wid_Text_Base::m_bold(ZR_Wid_Text_Base *w, ZR_value v)
{
    if (integer_given(v) && (v.value.i != 0) != w->bold) {
        w->bold = v.value.i != 0;
        w->make_font();
    }
    return ZR_value::of_int(w->bold ? 1 : 0);
}

bool ZR_Wid_Text_Base::fit_picture()
{
    if (!window || width <= 0 || height <= 0)
        return false;
    if (picture.width != width || picture.height != height || !picture.pixels)
        picture.resize(width, height);
    return picture.pixels != nullptr;
}
