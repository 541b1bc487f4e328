// ZR_value and ZR_EMPTY.
#include "ZR/core/ZR_value.h"

#include <cmath>

constexpr ZR_value ZR_EMPTY(ZR_TYPE_KEYWORD, -1);

void ZR_value::notify(void *) {}

ZR_value ZR_value::empty()
{
    return ZR_value(ZR_TYPE_KEYWORD, -1);
}

ZR_value ZR_value::of_int(int32_t i)
{
    ZR_value v(ZR_TYPE_INT, -1); // the word's other bytes stay zero
    v.value.i = i;
    return v;
}

ZR_value ZR_value::of_float(float f)
{
    ZR_value v(ZR_TYPE_FLOAT, -1); // the word's other bytes stay zero
    v.value.f = f;
    return v;
}

ZR_value ZR_value::of_text(const char *s)
{
    ZR_value v;
    v.type = ZR_TYPE_TEXT;
    v.value.s = s;
    return v;
}

ZR_value ZR_value::of_object(const void *o)
{
    ZR_value v;
    v.type = ZR_TYPE_OBJECT;
    v.value.o = const_cast<void *>(o);
    return v;
}

ZR_value ZR_value::of_bytes(const void *o, int32_t len)
{
    ZR_value v = of_object(o);
    v.len = len;
    return v;
}

int32_t ZR_value::to_int() const
{
    if (type == ZR_TYPE_INT)
        return value.i;
    if (type == ZR_TYPE_FLOAT)
        return ZR_truncate_to_int(value.f);
    return 0;
}

double ZR_value::to_double() const
{
    if (type == ZR_TYPE_INT)
        return value.i;
    if (type == ZR_TYPE_FLOAT)
        return value.f;
    return 0.0;
}
