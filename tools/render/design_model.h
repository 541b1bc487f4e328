// The filter's discrete design in double precision: two stages, each a one-pole
// low-pass minus a band-pass (q .618), at 1.2 times the shown cutoff.
#pragma once
#include <complex>

struct DesignCoefficients {
    double lowpass_hz;  // the one-pole's frequency, whole hertz
    double a;           // one-pole: y += a (x - y)
    double bandpass_hz; // band-pass centre (single precision value)
    double c1, c2, c3;  // band-pass: y = c3 (x - x2) + (2 - c1) y1 - (1 - c2) y2
};

// Coefficients for a host value x of the Frequency parameter at rate fs.
DesignCoefficients design_for_host_value(float x, double fs);

// Transfer function of the whole filter at frequency f (Hz).
std::complex<double> design_response(const DesignCoefficients &d, double f, double fs);
double design_gain_db(const DesignCoefficients &d, double f, double fs);

// Ideal sixth-order Butterworth low-pass, 1 / sqrt(1 + (f/fc)^12), in dB.
double butterworth6_db(double f, double fc);
