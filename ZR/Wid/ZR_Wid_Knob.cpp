// ZR_Wid_Knob: value <-> frame mapping, drag without a dead zone, and the
// wheel through the drag path.
#include "ZR/Wid/ZR_Wid_Knob.h"
#include "ZR/Win/ZR_Win.h"

#include <cstdlib>
#include <typeinfo>

const ZR_option ZR_Wid_Knob_options[] = {
    ZR_OPTION_CTOR(ZR_Wid_Knob), ZR_OPTION(ZR_Wid_Strip, res), ZR_OPTION(ZR_Wid_Strip, com),
    ZR_OPTION(ZR_Wid_Knob, val), ZR_OPTION(ZR_Wid_Strip, dat), ZR_OPTION(ZR_Wid_Knob, mn),
    ZR_OPTION(ZR_Wid_Knob, mx),  ZR_OPTION(ZR_Wid_Strip, var), ZR_OPTION_END(ZR_Wid_options),
};

ZR_Wid_Knob::ZR_Wid_Knob()
{
    options = ZR_Wid_Knob_options;
}

// The frame is read once: another thread may set it while a tile paints.
// A frame outside the strip draws nothing.
void ZR_Wid_Knob::draw(ZR_Pic<ZR_Pix_A32> &dst, int x, int y, const ZR_Rect &src)
{
    const int32_t f = frame.load(std::memory_order_relaxed);
    if (f >= 0 && f < strip.frame_count)
        strip.draw(f, dst, x, y, src);
}

bool ZR_Wid_Knob::hit(int x, int y)
{
    return strip.pixel(frame.load(std::memory_order_relaxed), x, y).alpha >= 128;
}

void ZR_Wid_Knob::refresh()
{
    const int32_t f = frame.load(std::memory_order_relaxed);
    if (!window || !res || f < 0 || f >= strip.frame_count)
        return;
    render();
    window->redraw(rect());
    if (com)
        com(dat);
}

bool ZR_Wid_Knob::hoverable() const
{
    return typeid(*this) == typeid(ZR_Wid_Knob);
}

float ZR_Wid_Knob::value_of_frame(int32_t f) const
{
    const double d = strip.frame_count - 1 != 0 ? strip.frame_count - 1 : 1;
    const double lo = mn.load(std::memory_order_relaxed);
    const double hi = mx.load(std::memory_order_relaxed);
    return (float)(lo + f / d * (hi - lo));
}

void ZR_Wid_Knob::set_value(float v)
{
    const float lo = mn.load(std::memory_order_relaxed);
    const float hi = mx.load(std::memory_order_relaxed);
    const int32_t f = hi == lo ? 0
                               : ZR_truncate_to_int((double)(strip.frame_count - 1) *
                                                    ((double)v - lo) / ((double)hi - lo));
    if (!res)
        return;
    frame.store(f, std::memory_order_relaxed);
    refresh();
}

void ZR_Wid_Knob::press(int x, int y)
{
    press_x = x;
    press_y = y;
    press_frame = frame.load(std::memory_order_relaxed);
}

void ZR_Wid_Knob::drag(int x, int y)
{
    int64_t f = (int64_t)press_frame + ((int64_t)x - press_x) - ((int64_t)y - press_y);
    if (f < 0 || f > strip.frame_count - 1) {
        f = f < 0 ? 0 : strip.frame_count - 1;
        if (f < 0)
            f = 0; // an empty strip
        press_x = x;
        press_y = y;
        press_frame = (int32_t)f;
    }
    frame.store((int32_t)f, std::memory_order_relaxed);
    if (var) {
        const ZR_value answer = ZR_value::of_float(value_of_frame((int32_t)f));
        var->store_shared(answer.value.i, answer.type);
        var->notify(dat);
    }
    else {
        refresh();
    }
}

void ZR_Wid_Knob::wheel(int steps)
{
    press(0, 0);
    drag(steps, 0);
}

ZR_value ZR_Wid_Knob::m_val(ZR_Wid_Knob *w, ZR_value v)
{
    if (v.is_number())
        w->set_value((float)v.to_double());
    return ZR_value::of_float(w->value_of_frame(w->frame.load(std::memory_order_relaxed)));
}

namespace {

ZR_value limit_option(ZR_Wid_Knob *w, std::atomic<float> &field, const ZR_value &v)
{
    if (v.is_number()) {
        const float keep = w->value_of_frame(w->frame.load(std::memory_order_relaxed));
        field.store((float)v.to_double(), std::memory_order_relaxed);
        w->set_value(keep);
    }
    return ZR_value::of_float(field.load(std::memory_order_relaxed));
}

} // namespace

ZR_value ZR_Wid_Knob::m_mn(ZR_Wid_Knob *w, ZR_value v)
{
    return limit_option(w, w->mn, v);
}

ZR_value ZR_Wid_Knob::m_mx(ZR_Wid_Knob *w, ZR_value v)
{
    return limit_option(w, w->mx, v);
}
