// The filmstrip, callback and variable options shared by buttons and knobs.
#include "ZR/Wid/ZR_Wid_Strip.h"

#include <cstdlib>

ZR_Wid_Strip::~ZR_Wid_Strip()
{
    std::free(res);
}

ZR_value ZR_Wid_Strip::m_res(ZR_Wid_Strip *w, ZR_value v)
{
    if (v.type == ZR_TYPE_TEXT)
        if (const void *data = zr_wid_resource(w->res, v))
            w->strip.map(data);
    return ZR_value::of_text(w->res);
}

ZR_value ZR_Wid_Strip::m_com(ZR_Wid_Strip *w, ZR_value v)
{
    if (zr_wid_sets(v))
        w->com = v.type == ZR_TYPE_OBJECT ? reinterpret_cast<ZR_Wid_callback>(v.value.o) : nullptr;
    return ZR_value::of_object(reinterpret_cast<void *>(w->com));
}

ZR_value ZR_Wid_Strip::m_var(ZR_Wid_Strip *w, ZR_value v)
{
    if (zr_wid_sets(v))
        w->var = v.type == ZR_TYPE_OBJECT ? static_cast<ZR_value *>(v.value.o) : nullptr;
    return ZR_value::of_object(w->var);
}

ZR_value ZR_Wid_Strip::m_dat(ZR_Wid_Strip *w, ZR_value v)
{
    if (zr_wid_sets(v))
        w->dat = v.type == ZR_TYPE_OBJECT ? v.value.o : nullptr;
    return ZR_value::of_object(w->dat);
}
