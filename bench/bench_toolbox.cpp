// Nanoseconds per sample of a few toolbox effects in a 512-sample pipe.
#include "ZR/core/ZR_spcpp.h"
#include "ZR/dsp/ZR_Buffer.h"
#include "ZR/dsp/ZR_Effect.h"
#include "ZR/dsp/ZR_Soundpipe.h"

#include <benchmark/benchmark.h>

#include <cmath>

namespace {

// Builds pipe, input, output and one effect from `command` (taking the two
// buffers), runs blocks and reports the time per sample.
void run_effect(benchmark::State &state, const char *command, const char *extra = nullptr)
{
    ZR_Soundpipe *pipe;
    ZR_Buffer *in, *out;
    ZR_Effect *e;
    spcpp("ZR_Soundpipe -bl 512", &pipe);
    spcpp("ZR_Buffer", &in);
    spcpp("ZR_Buffer", &out);
    spcpp(command, &e, in, out);
    if (extra)
        spcpp(extra, e, (void *)nullptr, out, (void *)nullptr);
    spcpp("ZR_Effect %o -clock 44100", e);
    for (int i = 0; i < 512; ++i)
        in->data[i] = (int32_t)(5e8 * std::sin(0.01 * i));
    for (auto _ : state) {
        pipe->process();
        benchmark::DoNotOptimize(out->data[0]);
    }
    state.SetItemsProcessed(state.iterations() * 512);
    spcpp("%o -delete", e);
    spcpp("%o -delete", in);
    spcpp("%o -delete", out);
    spcpp("%o -delete", pipe);
}

void BM_Koef(benchmark::State &s)
{
    run_effect(s, "ZR_Effect_Koef -i %o -o %o -oper mul -k 0.5");
}
void BM_Dist(benchmark::State &s)
{
    run_effect(s, "ZR_Effect_Dist -i %o -o %o -d 0.5");
}
void BM_Lgd(benchmark::State &s)
{
    run_effect(s, "ZR_Effect_Lgd -i %o -o %o");
}
void BM_Nshift(benchmark::State &s)
{
    run_effect(s, "ZR_Effect_Nshift -i %o -o %o -s -4096");
}
void BM_Shift(benchmark::State &s)
{
    run_effect(s, "ZR_Effect_Shift -i %o -o %o -s -4096");
}
void BM_DelineOneTap(benchmark::State &s)
{
    run_effect(s, "ZR_Effect_Deline -i %o", "%o -g -go %o -gf 0.3 -d -dt 0.1 -da 0.5");
}

} // namespace

BENCHMARK(BM_Koef);
BENCHMARK(BM_Dist);
BENCHMARK(BM_Lgd);
BENCHMARK(BM_Nshift);
BENCHMARK(BM_Shift);
BENCHMARK(BM_DelineOneTap);
