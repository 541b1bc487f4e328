// Parameter records: what the host, the panel and presets change.
#pragma once
#include "ZR/core/ZR_value.h"
#include "app/ZR_Application.h"

#include <cstddef>

enum {
    ZR_PARAM_SWITCH = 6
}; // value is an integer, 0 or not

class ZR_Application::Param : public ZR_value {
public:
    const char *name = "";
    const char *label; // type 6: two 10-byte texts at offsets 0 and 10
    ZR_Wid *widget = nullptr;
    int32_t minimum = 0;
    int32_t maximum = 0;

    Param();
    virtual ~Param() = default;

    void notify(void *data) override;
    virtual void nameText(char *text, std::size_t size) const;
    virtual void displayText(char *text, std::size_t size) const;
    virtual void labelText(char *text, std::size_t size) const;
    virtual void apply(void *data);

    // Host mapping of a value x in 0..1 (out-of-range values are clamped,
    // NaN is ignored); returns false when nothing changed.
    bool set_from_host(float x, float range_min, float range_max);
    float get_for_host(float range_min, float range_max) const;

    // The 32-bit value word as the host's threads share it (relaxed atomics).
    ZR_word load_value() const;
    void store_value(ZR_word w);
};

class ZR_Application_StateParam : public ZR_Application::Param {
public:
    void apply(void *data) override;
};

class ZR_Application_FrequencyParam : public ZR_Application::Param {
public:
    void apply(void *data) override;
};

// Save and load actions: run by the preset code when it exists.
class ZR_Application_ActionParam : public ZR_Application::Param {
public:
    void notify(void *data) override;
};

// The two texts of a switch label block.
extern const char ZR_on_off_label[20];
