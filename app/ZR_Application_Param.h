// Parameter records: what the host, the panel and presets change.
#pragma once
#include "ZR/core/ZR_value.h"
#include "app/ZR_Application.h"
#include "app/vemo_params.h"

enum {
    ZR_PARAM_SWITCH = 6
}; // value is an integer, 0 or not

class ZR_Application::Param : public ZR_value {
public:
    // The host parameter's description; null for the panel's actions.
    const ParamInfo *info;

    explicit Param(const ParamInfo *info = nullptr);
    virtual ~Param() = default;

    void notify(void *data) override;
    virtual void apply(void *data);

    // Host mapping of a value x in 0..1 (out-of-range values are clamped,
    // NaN is ignored); returns false when nothing changed.
    bool set_from_host(float x);
    float get_for_host() const;
    // The value as the parameter table counts it (a switch as 0 or 1).
    float number() const;

    // The 32-bit value word as the host's threads share it (relaxed atomics).
    ZR_word load_value() const;
    void store_value(ZR_word w);
};

class ZR_Application_StateParam : public ZR_Application::Param {
public:
    ZR_Application_StateParam();
    void notify(void *data) override;
    void apply(void *data) override;
};

class ZR_Application_FrequencyParam : public ZR_Application::Param {
public:
    ZR_Application_FrequencyParam();
    void apply(void *data) override;
};

// Save and load actions; data is the application.
class ZR_Application_ActionParam : public ZR_Application::Param {
public:
    explicit ZR_Application_ActionParam(bool saving) : saving(saving) {}
    void notify(void *data) override;
    const bool saving;
};
