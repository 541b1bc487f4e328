// The class table: every class that commands can name, in table order.
#include "ZR/ZR_object.h"

const ZR_class _ZR[] = {
    {"ZR_Object", ZR_Object_options},
    {nullptr, nullptr},
};
