// ZR_Wid_Butt: frame 0 off, frame 1 on; a press toggles it or, with a bound
// variable, only asks the application.
#include "ZR/Wid/ZR_Wid_Butt.h"
#include "ZR/Win/ZR_Win.h"

#include <cstdlib>
#include <typeinfo>

const ZR_option ZR_Wid_Butt_options[] = {
    ZR_OPTION_CTOR(ZR_Wid_Butt),   ZR_OPTION(ZR_Wid_Butt, res), ZR_OPTION(ZR_Wid_Butt, com),
    ZR_OPTION(ZR_Wid_Butt, var),   ZR_OPTION(ZR_Wid_Butt, val), ZR_OPTION(ZR_Wid_Butt, dat),
    ZR_OPTION_END(ZR_Wid_options),
};

ZR_Wid_Butt::ZR_Wid_Butt()
{
    options = ZR_Wid_Butt_options;
}

ZR_Wid_Butt::~ZR_Wid_Butt()
{
    std::free(res);
}

void ZR_Wid_Butt::draw(ZR_Pic<ZR_Pix_A32> &dst, int x, int y, const ZR_Rect &src)
{
    strip.draw(value.load(std::memory_order_relaxed) ? 1 : 0, dst, x, y, src);
}

bool ZR_Wid_Butt::hit(int x, int y)
{
    return strip.pixel(shown.load(std::memory_order_relaxed), x, y).alpha & 0x80;
}

void ZR_Wid_Butt::refresh()
{
    shown.store(value.load(std::memory_order_relaxed) ? 1 : 0, std::memory_order_relaxed);
    render();
    if (window)
        window->redraw(rect());
}

bool ZR_Wid_Butt::hoverable() const
{
    return typeid(*this) == typeid(ZR_Wid_Butt);
}

void ZR_Wid_Butt::set_value(bool on)
{
    if (value.load(std::memory_order_relaxed) == on)
        return;
    value.store(on, std::memory_order_relaxed);
    refresh();
    if (com)
        com(dat);
}

void ZR_Wid_Butt::press(int, int)
{
    const bool on = value.load(std::memory_order_relaxed);
    if (var) {
        var->value.i = on ? 0 : 1;
        var->type = ZR_TYPE_INT;
        var->notify(dat);
        return;
    }
    set_value(!on);
}

ZR_value ZR_Wid_Butt::m_res(ZR_Wid_Butt *w, ZR_value v)
{
    if (v.type == ZR_TYPE_TEXT)
        if (const void *data = zr_wid_resource(w->res, v))
            w->strip.map(data);
    return ZR_value::of_text(w->res);
}

ZR_value ZR_Wid_Butt::m_com(ZR_Wid_Butt *w, ZR_value v)
{
    if (zr_wid_sets(v))
        w->com = v.type == ZR_TYPE_OBJECT ? reinterpret_cast<ZR_Wid_callback>(v.value.o) : nullptr;
    return ZR_value::of_object(reinterpret_cast<void *>(w->com));
}

ZR_value ZR_Wid_Butt::m_var(ZR_Wid_Butt *w, ZR_value v)
{
    if (zr_wid_sets(v))
        w->var = v.type == ZR_TYPE_OBJECT ? static_cast<ZR_value *>(v.value.o) : nullptr;
    return ZR_value::of_object(w->var);
}

ZR_value ZR_Wid_Butt::m_dat(ZR_Wid_Butt *w, ZR_value v)
{
    if (zr_wid_sets(v))
        w->dat = v.type == ZR_TYPE_OBJECT ? v.value.o : nullptr;
    return ZR_value::of_object(w->dat);
}

ZR_value ZR_Wid_Butt::m_val(ZR_Wid_Butt *w, ZR_value v)
{
    if (v.type == ZR_TYPE_INT)
        w->set_value(v.value.i != 0);
    else if (v.type == ZR_TYPE_FLOAT)
        w->set_value(v.value.f != 0.0f);
    return ZR_value::of_float(w->value.load(std::memory_order_relaxed) ? 1.0f : 0.0f);
}
