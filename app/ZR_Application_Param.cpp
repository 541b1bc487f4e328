// Parameter records: texts, host mappings and how they reach the graph.
#include "app/ZR_Application_Param.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {
const char default_label[20] = {'Y', 'e', 's', 0, 0, 0, 0, 0, 0, 0, 'N', 'o', 0};
}

const char ZR_on_off_label[20] = {'O', 'n', 0, 0, 0, 0, 0, 0, 0, 0, 'O', 'f', 'f', 0};

ZR_Application::Param::Param() : label(default_label) {}

void ZR_Application::Param::notify(void *data)
{
    apply(data);
}

void ZR_Application::Param::apply(void *) {}

void ZR_Application::Param::nameText(char *text, std::size_t size) const
{
    std::snprintf(text, size, "%s", name ? name : "");
}

ZR_word ZR_Application::Param::load_value() const
{
    ZR_word w{};
    w.i = __atomic_load_n(&value.i, __ATOMIC_RELAXED);
    return w;
}

void ZR_Application::Param::store_value(ZR_word w)
{
    __atomic_store_n(&value.i, w.i, __ATOMIC_RELAXED);
}

void ZR_Application::Param::displayText(char *text, std::size_t size) const
{
    const ZR_word value = load_value();
    switch (type) {
    case ZR_TYPE_INT:
        std::snprintf(text, size, "%i", value.i);
        break;
    case ZR_TYPE_FLOAT:
        std::snprintf(text, size, "%f", (double)value.f);
        break;
    case ZR_PARAM_SWITCH:
        std::snprintf(text, size, "%s", value.i ? "On" : "Off");
        break;
    default:
        if (size)
            text[0] = 0;
    }
}

void ZR_Application::Param::labelText(char *text, std::size_t size) const
{
    std::snprintf(text, size, "%s", label ? label : "");
}

bool ZR_Application::Param::set_from_host(float x, float range_min, float range_max)
{
    if (std::isnan(x))
        return false;
    x = x < 0.0f ? 0.0f : (x > 1.0f ? 1.0f : x);
    ZR_word w{};
    switch (type) {
    case ZR_TYPE_INT:
        w.i = (int32_t)(x * ((double)maximum - minimum + 0.999999999) + minimum);
        break;
    case ZR_TYPE_FLOAT:
        w.f = range_min + x * (range_max - range_min);
        break;
    case ZR_PARAM_SWITCH:
        w.i = x > 0.5f ? 1 : 0;
        break;
    default:
        return false;
    }
    store_value(w);
    return true;
}

float ZR_Application::Param::get_for_host(float range_min, float range_max) const
{
    const ZR_word value = load_value();
    switch (type) {
    case ZR_TYPE_INT:
        return (float)((value.i - (double)minimum + 0.5) / ((double)maximum - minimum + 1));
    case ZR_TYPE_FLOAT:
        return (value.f - range_min) / (range_max - range_min);
    case ZR_PARAM_SWITCH:
        return value.i ? 1.0f : 0.0f;
    default:
        return 0.0f;
    }
}

void ZR_Application_StateParam::apply(void *data)
{
    if (auto *app = static_cast<ZR_Application *>(data))
        app->set_filters_on(load_value().i);
}

void ZR_Application_FrequencyParam::apply(void *data)
{
    auto *app = static_cast<ZR_Application *>(data);
    const float v = load_value().f;
    if (!app || type != ZR_TYPE_FLOAT || !std::isfinite(v))
        return;
    float mn = app->knob_min(), mx = app->knob_max();
    float t = (v - mn) / (mx - mn);
    float f = mn + (mx - mn) * t * t;
    app->set_filter_target(f * 1.2);
    std::snprintf(app->frequency_text, sizeof app->frequency_text, "%.0f Hz", (double)f);
}

void ZR_Application_ActionParam::notify(void *) {}
