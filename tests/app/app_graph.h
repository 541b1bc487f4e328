// The filter graph as the application builds it, clocked at fs with every
// filter at hz, for tests that drive its pipe block by block.
#pragma once
#include "dsp/filter_test_util.h"

#include "app/ZR_Application.h"

#include <vector>

namespace filtertest {

// The slots are the application's own: a test that deletes an object and
// clears its slot keeps destroy from deleting it again.
struct FilterGraph {
    ZR_Application app;
    ZR_Soundpipe *&pipe = app.pipe;
    ZR_Buffer *&buf_i = app.buf_i, *&buf_o = app.buf_o;
    ZR_Effect *&input_copy = app.input_copy, *&lowpass1 = app.lowpass1, *&bandpass1 = app.bandpass1;
    ZR_Effect *&lowpass2 = app.lowpass2, *&bandpass2 = app.bandpass2,
              *&output_copy = app.output_copy;

    FilterGraph(int fs, double hz, const char *section = "integer")
    {
        app.build();
        app.setSampleRate((float)fs);
        // Commands, not the application's setter: no cap at the rate.
        for (ZR_Effect *e : filters())
            spcpp("%o -f %f", e, hz);
        spcpp("%o -a %s", bandpass1, section);
        spcpp("%o -a %s", bandpass2, section);
    }
    ~FilterGraph() { app.destroy(); }
    std::vector<ZR_Effect *> filters() const { return {lowpass1, bandpass1, lowpass2, bandpass2}; }
    std::vector<ZR_Effect *> all_effects() const
    {
        return {input_copy, lowpass1, bandpass1, lowpass2, bandpass2, output_copy};
    }
    std::vector<int32_t> run(const std::vector<int32_t> &x, int block)
    {
        return filtertest::run(pipe, buf_i, buf_o, x, block);
    }
};

} // namespace filtertest
