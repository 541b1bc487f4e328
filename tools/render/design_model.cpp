// Reference model of the plug-in's filter, from its difference equations.
#include "tools/render/design_model.h"
#include "tools/render/cutoff_map.h"

#include <cmath>

namespace {
constexpr double kPi = 3.141592653589793;
constexpr float kBandpassQ = 0.618f;
} // namespace

DesignCoefficients design_for_host_value(float x, double fs)
{
    DesignCoefficients d{};
    const float shown = cutoff_for_host_value(x);
    // The plug-in runs its filters at 1.2 times the shown cutoff, at most at
    // 0.225 times the rate (where its band-pass is still exact and stable).
    const double wanted = (double)shown * FILTER_RATIO;
    const float filter_hz = (float)(wanted < fs * 0.225 ? wanted : fs * 0.225);
    d.lowpass_hz = std::trunc((double)filter_hz);
    d.a = 2.0 * kPi * d.lowpass_hz / (2.0 * kPi * d.lowpass_hz + fs);
    d.bandpass_hz = filter_hz;

    const double q = kBandpassQ;
    const double lo = d.bandpass_hz * q, hi = d.bandpass_hz / q;
    const double w_lo = lo * 2.0 * kPi, w_hi = hi * 2.0 * kPi;
    const double D = (w_hi - w_lo) / (w_hi * w_lo), E = 1.0 / (w_hi * w_lo);
    const double g = fs * D * 0.5, h = fs * E * fs;
    d.c1 = (2.0 * g + 1.0) / (g + h);
    d.c2 = 2.0 * g / (g + h);
    d.c3 = g / (g + h);
    return d;
}

std::complex<double> design_response(const DesignCoefficients &d, double f, double fs)
{
    const std::complex<double> zi = std::polar(1.0, -2.0 * kPi * f / fs); // z^-1
    const std::complex<double> zi2 = zi * zi;
    const std::complex<double> lowpass = d.a / (1.0 - (1.0 - d.a) * zi);
    const std::complex<double> bandpass =
        d.c3 * (1.0 - zi2) / (1.0 - (2.0 - d.c1) * zi + (1.0 - d.c2) * zi2);
    const std::complex<double> stage = lowpass - bandpass;
    return stage * stage;
}

double design_gain_db(const DesignCoefficients &d, double f, double fs)
{
    return 20.0 * std::log10(std::abs(design_response(d, f, fs)));
}

double butterworth6_db(double f, double fc)
{
    return -10.0 * std::log10(1.0 + std::pow(f / fc, 12.0));
}
