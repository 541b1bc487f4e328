// The root object, option tables and the class table.
#pragma once
#include "ZR/core/ZR_value.h"

class ZR_Object;

typedef ZR_value (*ZR_handler)(ZR_Object *object, ZR_value v);
typedef ZR_Object *(*ZR_constructor)();

// One pair of an option table. Pair 0 has name "" and the constructor (null
// for classes never created by name); option pairs have a name and a handler;
// the last pair has a null name and the parent's table (or null).
struct ZR_option {
    const char *name;
    ZR_handler handler;
    ZR_constructor create;
    const ZR_option *parent;
};

// One entry of the class table _ZR.
struct ZR_class {
    const char *name;
    const ZR_option *options;
};

// The class table, ended by a pair of nulls.
extern const ZR_class _ZR[];

// Set before every constructor call to the creating command's first value
// when it is a text, else null.
extern const char *ZR_specialobject;

class ZR_Object {
public:
    const ZR_option *options; // table of the class it was created by
    const char *command;      // the command text that created it

    ZR_Object();
    ZR_Object(const ZR_Object &) = delete;
    ZR_Object &operator=(const ZR_Object &) = delete;
    virtual ~ZR_Object();

    static ZR_value m_delete(ZR_Object *object, ZR_value v);
};

extern const ZR_option ZR_Object_options[];

// True while o is a live framework object (used to check object references
// typed as numbers in command text).
bool ZR_object_alive(const void *o);

// Adapts a typed handler `ZR_value C::m_x(C*, ZR_value)` to the table's
// signature; an object of another class (or null) gets ZR_EMPTY back.
template <class C, ZR_value (*F)(C *, ZR_value)>
ZR_value ZR_handler_thunk(ZR_Object *object, ZR_value v)
{
    C *typed = dynamic_cast<C *>(object);
    if (!typed)
        return ZR_EMPTY;
    return F(typed, v);
}

template <class C>
ZR_Object *ZR_construct()
{
    return new C();
}

// Option-table rows (clang-format cannot parse the template in a braced macro body).
// clang-format off
#define ZR_OPTION_CTOR(C) {"", nullptr, &ZR_construct<C>, nullptr}
#define ZR_OPTION_NO_CTOR {"", nullptr, nullptr, nullptr}
#define ZR_OPTION(C, x) {#x, &ZR_handler_thunk<C, &C::m_##x>, nullptr, nullptr}
#define ZR_OPTION_END(parent) {nullptr, nullptr, nullptr, parent}
// clang-format on

// The object in v if v holds an object of class C (or derived), else null.
template <class C>
C *ZR_object_of(const ZR_value &v)
{
    if (v.type != ZR_TYPE_OBJECT || v.len >= 0 || !v.value.o)
        return nullptr;
    return dynamic_cast<C *>(static_cast<ZR_Object *>(v.value.o));
}
