// The interpreter's cost per command: a typical set on an existing object,
// a query into a result text, and a creating command followed by its delete.
#include "ZR/core/ZR_object.h"
#include "ZR/core/ZR_spcpp.h"

#include <benchmark/benchmark.h>

namespace {

class Bench_Obj : public ZR_Object {
public:
    float f = 0.0f;
    int32_t mode = 0;

    static ZR_value m_f(Bench_Obj *o, ZR_value v)
    {
        if (v.is_number())
            o->f = (float)v.to_double();
        return ZR_value::of_float(o->f);
    }
    static ZR_value m_mode(Bench_Obj *o, ZR_value v)
    {
        if (v.is_number())
            o->mode = v.to_int();
        return ZR_value::of_int(o->mode);
    }
};

const ZR_option Bench_Obj_options[] = {
    ZR_OPTION_CTOR(Bench_Obj),
    ZR_OPTION(Bench_Obj, f),
    ZR_OPTION(Bench_Obj, mode),
    ZR_OPTION_END(ZR_Object_options),
};

const ZR_class bench_classes[] = {
    {"Bench_Obj", Bench_Obj_options},
    {nullptr, nullptr},
};

void SetFloatOnObject(benchmark::State &state)
{
    spcpp_set_extra_classes(bench_classes);
    Bench_Obj *o = nullptr;
    spcpp("Bench_Obj", &o);
    double f = 100.0;
    for (auto _ : state) {
        spcpp("%o -f %f", o, f);
        f += 1.0;
    }
    benchmark::DoNotOptimize(o->f);
    spcpp("%o -delete", o);
}
BENCHMARK(SetFloatOnObject);

// spcpp_exec with a result text and a variable argument list.
ZR_status exec_text(char *area, int *capacity, const char *command, ...)
{
    va_list args;
    va_start(args, command);
    ZR_status status = spcpp_exec(SPCPP_RESULT_TEXT, command, area, capacity, &args);
    va_end(args);
    return status;
}

void QueryIntoResultText(benchmark::State &state)
{
    spcpp_set_extra_classes(bench_classes);
    Bench_Obj *o = nullptr;
    spcpp("Bench_Obj -mode 3 -f 2.5", &o);
    char area[64];
    for (auto _ : state) {
        int capacity = sizeof area;
        exec_text(area, &capacity, "%o -mode -f", o);
        benchmark::DoNotOptimize(area);
    }
    spcpp("%o -delete", o);
}
BENCHMARK(QueryIntoResultText);

void CreateConfigureDelete(benchmark::State &state)
{
    spcpp_set_extra_classes(bench_classes);
    for (auto _ : state) {
        Bench_Obj *o = nullptr;
        spcpp("Bench_Obj -f 1000 -mode 2", &o);
        spcpp("%o -delete", o);
        benchmark::DoNotOptimize(o);
    }
}
BENCHMARK(CreateConfigureDelete);

} // namespace
