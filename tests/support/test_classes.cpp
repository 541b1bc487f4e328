// The test classes' handlers: each stores what it is given and answers with
// its current value, so tests can see exactly what the interpreter passed.
#include "tests/support/test_classes.h"

#include <cstring>

ZR_Chain T_Base::all;
ZR_value T_Item::seen_value;
char T_Item::seen_text[128];
int T_Item::seen_calls = 0;
int T_Item::own_deletes = 0;
const char T_raw_bytes[4] = {'A', 'B', 0, 'C'};

const ZR_option T_Base_options[] = {
    ZR_OPTION_NO_CTOR,
    ZR_OPTION(T_Base, a),
    ZR_OPTION_END(ZR_Object_options),
};

const ZR_option T_Item_options[] = {
    ZR_OPTION_CTOR(T_Item),    ZR_OPTION(T_Item, l),          ZR_OPTION(T_Item, limit),
    ZR_OPTION(T_Item, f),      ZR_OPTION(T_Item, s),          ZR_OPTION(T_Item, o),
    ZR_OPTION(T_Item, raw),    ZR_OPTION(T_Item, nothing),    ZR_OPTION(T_Item, seen),
    ZR_OPTION(T_Item, delete), ZR_OPTION_END(T_Base_options),
};

const ZR_option T_Loop_options[] = {
    ZR_OPTION_CTOR(T_Item),
    ZR_OPTION(T_Item, l),
    ZR_OPTION_END(T_Loop_options),
};

const ZR_class T_classes[] = {
    {"T_Base", T_Base_options},
    {"T_Item", T_Item_options},
    {"T_Loop", T_Loop_options},
    {nullptr, nullptr},
};

T_Base::T_Base()
{
    all.insert(&link);
}

T_Base::~T_Base()
{
    all.remove(&link);
}

void T_Base::delete_all()
{
    while (all.count > 0)
        delete static_cast<T_Base *>(all.first()->owner);
}

ZR_value T_Base::m_a(T_Base *o, ZR_value v)
{
    if (v.is_number())
        o->a = v.to_int();
    return ZR_value::of_int(o->a);
}

T_Item::T_Item()
{
    special_null = ZR_specialobject == nullptr;
    if (ZR_specialobject) {
        std::strncpy(special, ZR_specialobject, sizeof special - 1);
        special[sizeof special - 1] = 0;
    }
}

ZR_value T_Item::m_l(T_Item *o, ZR_value v)
{
    if (v.is_number())
        o->l = v.to_int();
    return ZR_value::of_int(o->l);
}

ZR_value T_Item::m_limit(T_Item *o, ZR_value v)
{
    if (v.is_number())
        o->limit = v.to_int();
    return ZR_value::of_int(o->limit);
}

ZR_value T_Item::m_f(T_Item *o, ZR_value v)
{
    if (v.is_number())
        o->f = (float)v.to_double();
    return ZR_value::of_float(o->f);
}

ZR_value T_Item::m_s(T_Item *o, ZR_value v)
{
    if (v.type == ZR_TYPE_TEXT && v.value.s) {
        size_t n = strnlen(v.value.s, sizeof o->s - 1);
        std::memcpy(o->s, v.value.s, n);
        o->s[n] = 0;
    }
    return ZR_value::of_text(o->s);
}

ZR_value T_Item::m_o(T_Item *o, ZR_value v)
{
    if (v.type == ZR_TYPE_OBJECT)
        o->obj = v.value.o;
    return ZR_value::of_object(o->obj);
}

ZR_value T_Item::m_raw(T_Item *, ZR_value)
{
    return ZR_value::of_bytes(T_raw_bytes, 4);
}

ZR_value T_Item::m_nothing(T_Item *, ZR_value)
{
    return ZR_EMPTY;
}

ZR_value T_Item::m_seen(T_Item *, ZR_value v)
{
    seen_value = v;
    seen_calls++;
    seen_text[0] = 0;
    if ((v.type == ZR_TYPE_TEXT || v.type == ZR_TYPE_KEYWORD) && v.value.s) {
        size_t n = strnlen(v.value.s, sizeof seen_text - 1);
        std::memcpy(seen_text, v.value.s, n);
        seen_text[n] = 0;
    }
    return ZR_EMPTY;
}

ZR_value T_Item::m_delete(T_Item *o, ZR_value)
{
    own_deletes++;
    delete o;
    return ZR_EMPTY;
}
