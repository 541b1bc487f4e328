// Classes that exist only in tests and tools-free harnesses, reached through
// spcpp_set_extra_classes: T_Base (no constructor), T_Item, and T_Loop (a
// table whose parent link points at itself).
#pragma once
#include "ZR/core/ZR_chain.h"
#include "ZR/core/ZR_object.h"

class T_Base : public ZR_Object {
public:
    ZR_Chain_Item link{this};
    int32_t a = 0;

    T_Base();
    ~T_Base() override;

    static ZR_value m_a(T_Base *o, ZR_value v);

    // Every T_Base alive, in creation order.
    static ZR_Chain all;
    static void delete_all();
};

class T_Item : public T_Base {
public:
    int32_t l = 0;
    int32_t limit = 0;
    float f = 0.0f;
    char s[64] = "";
    void *obj = nullptr;
    char special[64] = ""; // ZR_specialobject as the constructor saw it
    bool special_null = true;

    // What the last `seen` call received; text copied during the call.
    static ZR_value seen_value;
    static char seen_text[128];
    static int seen_calls;
    static int own_deletes;

    T_Item();

    static ZR_value m_l(T_Item *o, ZR_value v);
    static ZR_value m_limit(T_Item *o, ZR_value v);
    static ZR_value m_f(T_Item *o, ZR_value v);
    static ZR_value m_s(T_Item *o, ZR_value v);
    static ZR_value m_o(T_Item *o, ZR_value v);
    static ZR_value m_raw(T_Item *o, ZR_value v);
    static ZR_value m_nothing(T_Item *o, ZR_value v);
    static ZR_value m_seen(T_Item *o, ZR_value v);
    static ZR_value m_delete(T_Item *o, ZR_value v);
};

// The bytes `raw` answers with: four bytes, one of them zero.
extern const char T_raw_bytes[4];

extern const ZR_option T_Base_options[];
extern const ZR_option T_Item_options[];
extern const ZR_option T_Loop_options[];
// {"T_Base", ...}, {"T_Item", ...}, {"T_Loop", ...}, then nulls.
extern const ZR_class T_classes[];
