// ZR_Wid_Butt: frame 0 off, frame 1 on; a press toggles it or, with a bound
// variable, only asks the application.
#include "ZR/Wid/ZR_Wid_Butt.h"
#include "ZR/Win/ZR_Win.h"

#include <cstdlib>
#include <typeinfo>

const ZR_option ZR_Wid_Butt_options[] = {
    ZR_OPTION_CTOR(ZR_Wid_Butt),   ZR_OPTION(ZR_Wid_Strip, res), ZR_OPTION(ZR_Wid_Strip, com),
    ZR_OPTION(ZR_Wid_Strip, var),  ZR_OPTION(ZR_Wid_Butt, val),  ZR_OPTION(ZR_Wid_Strip, dat),
    ZR_OPTION_END(ZR_Wid_options),
};

ZR_Wid_Butt::ZR_Wid_Butt()
{
    options = ZR_Wid_Butt_options;
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
        var->store_shared(on ? 0 : 1, ZR_TYPE_INT);
        var->notify(dat);
        return;
    }
    set_value(!on);
}

ZR_value ZR_Wid_Butt::m_val(ZR_Wid_Butt *w, ZR_value v)
{
    if (v.type == ZR_TYPE_INT)
        w->set_value(v.value.i != 0);
    else if (v.type == ZR_TYPE_FLOAT)
        w->set_value(v.value.f != 0.0f);
    return ZR_value::of_float(w->value.load(std::memory_order_relaxed) ? 1.0f : 0.0f);
}
