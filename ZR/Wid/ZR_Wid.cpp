// ZR_Wid: the options every widget shares.
#include "ZR/Wid/ZR_Wid.h"
#include "ZR/Win/ZR_Win.h"
#include "ZR/core/ZR_cfuncs.h"

#include <cstdlib>
#include <cstring>

const ZR_option ZR_Wid_options[] = {
    ZR_OPTION_NO_CTOR,         ZR_OPTION(ZR_Wid, l),
    ZR_OPTION(ZR_Wid, t),      ZR_OPTION(ZR_Wid, w),
    ZR_OPTION(ZR_Wid, h),      ZR_OPTION(ZR_Wid, win),
    ZR_OPTION(ZR_Wid, vis),    ZR_OPTION(ZR_Wid, enabled),
    ZR_OPTION(ZR_Wid, delete), ZR_OPTION_END(ZR_Object_options),
};

ZR_Wid::ZR_Wid() : item(this)
{
    options = ZR_Wid_options;
}

ZR_Wid::~ZR_Wid()
{
    ZR_Win::attach(this, nullptr);
}

void ZR_Wid::draw(ZR_Pic<ZR_Pix_A32> &, int, int, const ZR_Rect &) {}

void ZR_Wid::refresh()
{
    render();
    if (window)
        window->redraw(rect());
}

void ZR_Wid::press(int, int) {}
void ZR_Wid::drag(int, int) {}
bool ZR_Wid::hit(int, int)
{
    return true;
}

int32_t zr_wid_bits(const ZR_value &v)
{
    return v.value.i;
}

const void *zr_wid_resource(char *&name, const ZR_value &v)
{
    if (v.type != ZR_TYPE_TEXT || !v.value.s)
        return nullptr;
    char *copy = strdup(v.value.s);
    if (!copy)
        return nullptr;
    std::free(name);
    name = copy;
    return ZR_resource(name); // a missing name is reported and answers null
}

namespace {

ZR_value geometry(int32_t &field, const ZR_value &v)
{
    if (v.is_number())
        field = v.to_int();
    return ZR_value::of_int(field);
}

} // namespace

ZR_value ZR_Wid::m_l(ZR_Wid *w, ZR_value v)
{
    return geometry(w->left, v);
}
ZR_value ZR_Wid::m_t(ZR_Wid *w, ZR_value v)
{
    return geometry(w->top, v);
}
ZR_value ZR_Wid::m_w(ZR_Wid *w, ZR_value v)
{
    return geometry(w->width, v);
}
ZR_value ZR_Wid::m_h(ZR_Wid *w, ZR_value v)
{
    return geometry(w->height, v);
}

ZR_value ZR_Wid::m_win(ZR_Wid *w, ZR_value v)
{
    if (v.type == ZR_TYPE_INT && v.value.i == 0)
        ZR_Win::attach(w, nullptr);
    else if (v.type == ZR_TYPE_OBJECT && v.len < 0)
        // Windows are not framework objects: the pointer is taken as given.
        ZR_Win::attach(w, static_cast<ZR_Win *>(v.value.o));
    return ZR_value::of_object(w->window);
}

ZR_value ZR_Wid::m_vis(ZR_Wid *w, ZR_value v)
{
    if (zr_wid_sets(v) && v.type != ZR_TYPE_TEXT && v.type != ZR_TYPE_OBJECT) {
        w->visible = zr_wid_bits(v);
        w->refresh();
    }
    return ZR_value::of_int(w->visible);
}

ZR_value ZR_Wid::m_enabled(ZR_Wid *w, ZR_value v)
{
    if (zr_wid_sets(v) && v.type != ZR_TYPE_TEXT && v.type != ZR_TYPE_OBJECT) {
        w->enabled = zr_wid_bits(v);
        w->refresh();
    }
    return ZR_value::of_int(w->enabled);
}

ZR_value ZR_Wid::m_delete(ZR_Wid *w, ZR_value)
{
    delete w;
    return ZR_EMPTY;
}
