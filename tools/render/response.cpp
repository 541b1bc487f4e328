// Tone measurements, frequency grid and CSV output.
#include "tools/render/response.h"
#include "tools/common/safe_output.h"
#include "tools/render/cutoff_map.h"
#include "tools/render/design_model.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kToneAmplitude = 0.5;

// Solves the 3x3 system m * x = v (symmetric, positive definite here).
bool solve3(double m[3][3], double v[3], double x[3])
{
    for (int c = 0; c < 3; ++c) {
        int pivot = c;
        for (int r = c + 1; r < 3; ++r)
            if (std::fabs(m[r][c]) > std::fabs(m[pivot][c]))
                pivot = r;
        if (m[pivot][c] == 0.0)
            return false;
        std::swap(m[c], m[pivot]);
        std::swap(v[c], v[pivot]);
        for (int r = c + 1; r < 3; ++r) {
            double k = m[r][c] / m[c][c];
            for (int j = c; j < 3; ++j)
                m[r][j] -= k * m[c][j];
            v[r] -= k * v[c];
        }
    }
    for (int c = 2; c >= 0; --c) {
        double s = v[c];
        for (int j = c + 1; j < 3; ++j)
            s -= m[c][j] * x[j];
        x[c] = s / m[c][c];
    }
    return true;
}

} // namespace

double measure_tone_gain(const PluginLibrary &library, double fs, float host_value, double tone_hz,
                         int32_t block)
{
    PluginInstance inst(library, (float)fs, block);
    inst.set_parameter(PARAM_STATE, 1.0f);
    inst.set_parameter(PARAM_FREQUENCY, host_value);

    // The slowest pole decays with the filter frequency (about pi f per second).
    const double filter_hz = FILTER_RATIO * (double)cutoff_for_host_value(host_value);
    const int64_t settle = (int64_t)std::ceil(fs * std::max(0.1, 25.0 / (kPi * filter_hz)));
    const double period = fs / tone_hz;
    int64_t measure = (int64_t)std::ceil(std::max(0.1 * fs, 8.0 * period));
    measure = (int64_t)(std::ceil((double)measure / period) * period); // whole periods
    const int64_t total = settle + measure;

    std::vector<float> in((size_t)block), out((size_t)block);
    double m[3][3] = {}, v[3] = {};
    const double w = 2.0 * kPi * tone_hz / fs;
    for (int64_t pos = 0; pos < total; pos += block) {
        const int32_t n = (int32_t)std::min<int64_t>(block, total - pos);
        for (int32_t i = 0; i < n; ++i)
            in[(size_t)i] = (float)(kToneAmplitude * std::sin(w * (double)(pos + i)));
        inst.process(in.data(), out.data(), n);
        for (int32_t i = 0; i < n; ++i) {
            const int64_t t = pos + i;
            if (t < settle)
                continue;
            const double s = std::sin(w * (double)t), c = std::cos(w * (double)t),
                         y = out[(size_t)i];
            const double basis[3] = {s, c, 1.0};
            for (int r = 0; r < 3; ++r) {
                for (int k = 0; k < 3; ++k)
                    m[r][k] += basis[r] * basis[k];
                v[r] += basis[r] * y;
            }
        }
    }
    double x[3] = {};
    if (!solve3(m, v, x))
        return 0.0;
    return std::hypot(x[0], x[1]) / kToneAmplitude;
}

std::vector<double> response_frequencies(double fs, int count)
{
    std::vector<double> freqs;
    const double lo = 10.0, hi = 0.49 * fs;
    for (int i = 0; i < count; ++i)
        freqs.push_back(lo * std::pow(hi / lo, count > 1 ? (double)i / (count - 1) : 0.0));
    return freqs;
}

ResponseCurve measure_response(const PluginLibrary &library, double fs, double cutoff,
                               const std::vector<double> &freqs, int32_t block)
{
    ResponseCurve curve;
    curve.cutoff = cutoff;
    curve.host_value = host_value_for_cutoff(cutoff);
    const DesignCoefficients d = design_for_host_value(curve.host_value, fs);
    for (double f : freqs) {
        const double g = measure_tone_gain(library, fs, curve.host_value, f, block);
        curve.freqs.push_back(f);
        curve.measured_db.push_back(g > 0.0 ? 20.0 * std::log10(g) : -300.0);
        curve.design_db.push_back(design_gain_db(d, f, fs));
        curve.butterworth_db.push_back(butterworth6_db(f, cutoff));
    }
    return curve;
}

std::string replace_extension(const std::string &path, const std::string &ext)
{
    size_t slash = path.find_last_of('/');
    size_t dot = path.find_last_of('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash + 1))
        return path.substr(0, dot) + ext;
    return path + ext;
}

void write_text_file(const std::string &path, const std::string &text)
{
    std::string error;
    if (!write_file_safely(path, text, error))
        throw std::runtime_error(error);
}

void write_response_csv(const std::string &path, const std::vector<ResponseCurve> &curves,
                        double fs)
{
    std::string text =
        "sample_rate_hz,cutoff_hz,frequency_hz,measured_db,design_db,butterworth6_db\n";
    char line[256];
    for (const ResponseCurve &c : curves)
        for (size_t i = 0; i < c.freqs.size(); ++i) {
            std::snprintf(line, sizeof line, "%.0f,%.6g,%.6f,%.6f,%.6f,%.6f\n", fs, c.cutoff,
                          c.freqs[i], c.measured_db[i], c.design_db[i], c.butterworth_db[i]);
            text += line;
        }
    write_text_file(path, text);
}
