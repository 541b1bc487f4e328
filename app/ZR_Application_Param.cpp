// Parameter records: host mappings from the parameter table and how the
// records reach the graph.
#include "app/ZR_Application_Param.h"

#include "ZR/Wid/ZR_Wid.h"
#include "ZR/core/ZR_spcpp.h"

#include <cmath>
#include <cstdio>

ZR_Application::Param::Param(const ParamInfo *info) : info(info) {}

void ZR_Application::Param::notify(void *data)
{
    apply(data);
    auto *app = static_cast<ZR_Application *>(data);
    if (app && info && app->on_change)
        app->on_change(app->on_change_context, (int)(info - HOST_PARAMS));
}

void ZR_Application::Param::apply(void *) {}

ZR_word ZR_Application::Param::load_value() const
{
    ZR_word w{};
    w.i = shared_word();
    return w;
}

void ZR_Application::Param::store_value(ZR_word w)
{
    __atomic_store_n(&value.i, w.i, __ATOMIC_RELAXED); // the type stays
}

float ZR_Application::Param::number() const
{
    const ZR_word w = load_value();
    switch (shared_type()) {
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
    if (shared_type() == ZR_TYPE_FLOAT)
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

void ZR_Application_StateParam::notify(void *data)
{
    // The button writes an integer; the record stays a switch for the host.
    store_shared(shared_word(), ZR_PARAM_SWITCH);
    Param::notify(data);
}

void ZR_Application_StateParam::apply(void *data)
{
    auto *app = static_cast<ZR_Application *>(data);
    if (!app)
        return;
    const int32_t on = load_value().i ? 1 : 0;
    ZR_Wid **w = app->widgets;
    if (w[ZR_Application::STATE_BUTTON])
        spcpp("ZR_Wid_Butt %o -val %i", w[ZR_Application::STATE_BUTTON], on);
    for (int i : {ZR_Application::CUTOFF_CAPTION, ZR_Application::KNOB, ZR_Application::VALUE_TEXT})
        if (w[i])
            spcpp("ZR_Wid %o -enabled %i", w[i], on);
    app->set_filters_on(on);
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
    if (!app || shared_type() != ZR_TYPE_FLOAT || !std::isfinite(v))
        return;
    const float f = shown_cutoff(v);
    app->set_filter_target(f * FILTER_RATIO);
    if (ZR_Wid *knob = app->widgets[ZR_Application::KNOB])
        spcpp("ZR_Wid_Knob %o -val %f", knob, (double)v);
    std::snprintf(app->frequency_text, sizeof app->frequency_text, "%.0f Hz", (double)f);
    if (ZR_Wid *text = app->widgets[ZR_Application::VALUE_TEXT]) {
        spcpp("ZR_Wid_Text %o -text %s", text, app->frequency_text);
        text->refresh();
    }
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
