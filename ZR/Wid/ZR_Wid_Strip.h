// The base of the widgets drawn from a filmstrip resource and bound to the
// application: a callback with its data, and a variable to notify.
#pragma once
#include "ZR/Pic/ZR_Vid.h"
#include "ZR/Wid/ZR_Wid.h"

typedef void (*ZR_Wid_callback)(void *data);

class ZR_Wid_Strip : public ZR_Wid {
public:
    ~ZR_Wid_Strip() override;

    ZR_Vid strip;
    ZR_Wid_callback com = nullptr;
    void *dat = nullptr;
    char *res = nullptr;
    ZR_value *var = nullptr;

    static ZR_value m_res(ZR_Wid_Strip *w, ZR_value v);
    static ZR_value m_com(ZR_Wid_Strip *w, ZR_value v);
    static ZR_value m_var(ZR_Wid_Strip *w, ZR_value v);
    static ZR_value m_dat(ZR_Wid_Strip *w, ZR_value v);
};
