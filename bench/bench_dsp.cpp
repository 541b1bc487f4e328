// Cost of the sound pipe running the filter graph (copy, two low-pass minus
// band-pass stages, copy), per sample, at the block lengths the hosts use.
#include "ZR/core/ZR_spcpp.h"
#include "ZR/dsp/ZR_Buffer.h"
#include "ZR/dsp/ZR_Effect.h"
#include "ZR/dsp/ZR_Soundpipe.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace {

struct Graph {
    ZR_Soundpipe *pipe = nullptr;
    ZR_Buffer *buf_i = nullptr, *lpf_buffer = nullptr, *lpf_buffer1 = nullptr, *buf_o = nullptr;
    ZR_Effect *effects[6] = {};

    Graph(const char *section)
    {
        int scratch = 0;
        spcpp("ZR_Soundpipe -bl %i -b", &pipe, 512, &scratch);
        spcpp("ZR_Buffer -t %o", &buf_i, "buf_i");
        spcpp("ZR_Buffer -t %o", &lpf_buffer, "lpf_buffer");
        spcpp("ZR_Buffer -t %o", &lpf_buffer1, "lpf_buffer1");
        spcpp("ZR_Effect_Copy -i %o -o %o", &effects[0], buf_i, lpf_buffer);
        spcpp("ZR_Effect_Lopass -i %o -o %o", &effects[1], buf_i, lpf_buffer1);
        spcpp("ZR_Effect_Bapass -i %o -o %o -q .618 -mode sub", &effects[2], buf_i, lpf_buffer1);
        spcpp("ZR_Effect_Lopass -i %o -o %o", &effects[3], lpf_buffer1, lpf_buffer);
        spcpp("ZR_Effect_Bapass -i %o -o %o -q .618 -mode sub", &effects[4], lpf_buffer1,
              lpf_buffer);
        spcpp("ZR_Buffer -t %o", &buf_o, "buf_o");
        spcpp("ZR_Effect_Copy -i %o -o %o", &effects[5], lpf_buffer, buf_o);
        spcpp("ZR_Soundpipe %o -e", pipe, &scratch);
        for (ZR_Effect *e : effects)
            spcpp("ZR_Effect %o -clock %i", e, 44100);
        for (int i = 1; i <= 4; ++i)
            spcpp("%o -f %f", effects[i], 1200.0);
        spcpp("%o -a %s", effects[2], section);
        spcpp("%o -a %s", effects[4], section);
    }
    ~Graph()
    {
        for (int i = 5; i >= 0; --i)
            spcpp("%o -delete", effects[i]);
        for (ZR_Buffer *b : {lpf_buffer1, lpf_buffer, buf_o, buf_i})
            spcpp("%o -delete", b);
        spcpp("%o -delete", pipe);
    }
};

void run_graph(benchmark::State &state, const char *section)
{
    const int block = (int)state.range(0);
    Graph g(section);
    std::vector<int32_t> x(512);
    for (int i = 0; i < 512; ++i)
        x[i] = (int32_t)(std::sin(i * 0.05) * (1 << 29));
    for (auto _ : state) {
        g.pipe->block_length = block;
        std::copy(x.begin(), x.begin() + block, g.buf_i->data);
        g.pipe->process();
        benchmark::DoNotOptimize(g.buf_o->data[block - 1]);
    }
    state.SetItemsProcessed(state.iterations() * block);
    state.counters["ns_per_sample"] =
        benchmark::Counter((double)state.iterations() * block,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_FilterGraph(benchmark::State &state)
{
    run_graph(state, "integer");
}
void BM_FilterGraphFloating(benchmark::State &state)
{
    run_graph(state, "floating");
}

} // namespace

BENCHMARK(BM_FilterGraph)->Arg(64)->Arg(512);
BENCHMARK(BM_FilterGraphFloating)->Arg(64)->Arg(512);
