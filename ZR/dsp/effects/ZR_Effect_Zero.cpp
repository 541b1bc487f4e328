// ZR_Effect_Zero: out[i] = 0.
#include "ZR/dsp/effects/ZR_Effect_Zero.h"

#include <cstring>

const ZR_option ZR_Effect_Zero_options[] = {
    ZR_OPTION_CTOR(ZR_Effect_Zero),
    ZR_OPTION(ZR_Effect_Out, o),
    ZR_OPTION_END(ZR_Effect_options),
};

ZR_Effect_Zero::ZR_Effect_Zero()
{
    options = ZR_Effect_Zero_options;
}

void ZR_Effect_Zero::process()
{
    const auto [out, n] = fetch_output();
    if (n > 0)
        std::memset(out, 0, sizeof(int32_t) * (size_t)n);
}
