// Parameter records: host mappings from the parameter table and how the
// records reach the graph.
#include "app/ZR_Application_Param.h"

#include <cmath>
#include <cstdio>

ZR_Application::Param::Param(const ParamInfo *info) : info(info) {}

void ZR_Application::Param::notify(void *data)
{
    apply(data);
}

void ZR_Application::Param::apply(void *) {}

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

float ZR_Application::Param::number() const
{
    const ZR_word w = load_value();
    switch (type) {
    case ZR_TYPE_FLOAT:
        return w.f;
    case ZR_TYPE_INT:
    case ZR_PARAM_SWITCH:
        return w.i ? 1.0f : 0.0f;
    default:
        return 0.0f;
    }
}

bool ZR_Application::Param::set_from_host(float x)
{
    if (!info || std::isnan(x))
        return false;
    x = x < 0.0f ? 0.0f : (x > 1.0f ? 1.0f : x);
    const float v = param_from_host(*info, x);
    ZR_word w{};
    if (type == ZR_TYPE_FLOAT)
        w.f = v;
    else
        w.i = v != 0.0f ? 1 : 0;
    store_value(w);
    return true;
}

float ZR_Application::Param::get_for_host() const
{
    return info ? param_to_host(*info, number()) : 0.0f;
}

ZR_Application_StateParam::ZR_Application_StateParam() : Param(&HOST_PARAMS[PARAM_STATE])
{
    type = ZR_PARAM_SWITCH;
    value.i = info->default_value != 0.0f ? 1 : 0;
}

void ZR_Application_StateParam::apply(void *data)
{
    if (auto *app = static_cast<ZR_Application *>(data))
        app->set_filters_on(load_value().i);
}

ZR_Application_FrequencyParam::ZR_Application_FrequencyParam()
    : Param(&HOST_PARAMS[PARAM_FREQUENCY])
{
    type = ZR_TYPE_FLOAT;
    value.f = info->default_value;
}

void ZR_Application_FrequencyParam::apply(void *data)
{
    auto *app = static_cast<ZR_Application *>(data);
    const float v = load_value().f;
    if (!app || type != ZR_TYPE_FLOAT || !std::isfinite(v))
        return;
    const float f = shown_cutoff(v);
    app->set_filter_target(f * FILTER_RATIO);
    std::snprintf(app->frequency_text, sizeof app->frequency_text, "%.0f Hz", (double)f);
}

void ZR_Application_ActionParam::notify(void *data)
{
    auto *app = static_cast<ZR_Application *>(data);
    if (!app)
        return;
    if (saving)
        app->save_preset();
    else
        app->load_preset();
}
