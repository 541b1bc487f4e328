// response_svg: dB against log frequency, 10 Hz to Nyquist, with grid, labels and legend.
#include "tools/render/svg_plot.h"
#include "tools/render/cutoff_limit.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>

namespace {

constexpr double kWidth = 960, kHeight = 624;
constexpr double kLeft = 84, kRight = 28, kBottom = 94;
constexpr double kHeader = 72, kLegendRow = 22, kLegendEntry = 200;
constexpr double kDbTop = 10, kDbBottom = -120;
const char *const kColours[] = {"#1f5fa8", "#c8322d", "#2b8a3e", "#7b46b0",
                                "#d97a00", "#0f8c8c", "#a3476b", "#5c5c5c"};

void add(std::string &s, const char *fmt, ...)
{
    char buf[1024];
    va_list ap;
    va_start(ap, fmt);
    std::vsnprintf(buf, sizeof buf, fmt, ap);
    va_end(ap);
    s += buf;
}

struct Axes {
    double f_lo, f_hi, top;
    double x(double f) const
    {
        return kLeft + (kWidth - kLeft - kRight) * std::log10(f / f_lo) / std::log10(f_hi / f_lo);
    }
    double y(double db) const
    {
        db =
            std::max(std::min(db, kDbTop + 20.0), kDbBottom - 20.0); // the clip path hides the rest
        return top + (kHeight - top - kBottom) * (kDbTop - db) / (kDbTop - kDbBottom);
    }
};

std::string hz_label(double f)
{
    char buf[32];
    if (f >= 1000.0)
        std::snprintf(buf, sizeof buf, "%gk", f / 1000.0);
    else
        std::snprintf(buf, sizeof buf, "%g", f);
    return buf;
}

void polyline(std::string &s, const Axes &ax, const std::vector<double> &f,
              const std::vector<double> &db, const char *colour, const char *style)
{
    s += "<polyline fill=\"none\" stroke=\"";
    s += colour;
    s += "\" ";
    s += style;
    s += " points=\"";
    for (size_t i = 0; i < f.size(); ++i)
        add(s, "%.1f,%.1f ", ax.x(f[i]), ax.y(db[i]));
    s += "\"/>\n";
}

} // namespace

std::string response_svg(const std::vector<ResponseCurve> &curves, double fs)
{
    // The legend sits in rows between the titles and the plot, so it never hides a curve.
    const size_t entries = curves.size() + 1;
    double entry_width = kLegendEntry;
    for (const ResponseCurve &c : curves)
        if (effective_cutoff(c.host_value, fs) < c.cutoff - 0.5)
            entry_width = kLegendEntry + 60; // "cutoff 1500 Hz (5000 asked)"
    const size_t per_row = (size_t)((kWidth - kLeft - kRight) / entry_width);
    const size_t rows = (entries + per_row - 1) / per_row;
    const double top = kHeader + kLegendRow * (double)rows + 8;
    const Axes ax{10.0, fs / 2.0, top};
    const double x0 = kLeft, x1 = kWidth - kRight, y0 = top, y1 = kHeight - kBottom;
    std::string s;
    add(s,
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%.0f\" height=\"%.0f\" viewBox=\"0 0 "
        "%.0f %.0f\" "
        "font-family=\"DejaVu Sans, Helvetica, Arial, sans-serif\">\n",
        kWidth, kHeight, kWidth, kHeight);
    add(s, "<rect width=\"100%%\" height=\"100%%\" fill=\"#ffffff\"/>\n");
    add(s,
        "<text x=\"%.0f\" y=\"30\" font-size=\"20\" font-weight=\"bold\" fill=\"#222\">"
        "vemo low-pass: magnitude response at %g kHz</text>\n",
        x0, fs / 1000.0);
    add(s,
        "<text x=\"%.0f\" y=\"52\" font-size=\"13\" fill=\"#555\">solid: measured through the "
        "plug-in with sine tones; dotted: its discrete design (double precision); dashed: ideal "
        "Butterworth</text>\n",
        x0);
    for (size_t i = 0; i < entries; ++i) {
        const double lx = x0 + entry_width * (double)(i % per_row);
        const double ly = kHeader + 10 + kLegendRow * (double)(i / per_row);
        const bool ideal = i == curves.size();
        const char *colour = ideal ? "#555555" : kColours[i % 8];
        add(s, "<line x1=\"%.1f\" y1=\"%.1f\" x2=\"%.1f\" y2=\"%.1f\" stroke=\"%s\" %s/>\n", lx,
            ly - 4, lx + 34, ly - 4, colour,
            ideal ? "stroke-width=\"1.5\" stroke-dasharray=\"7 5\"" : "stroke-width=\"2.4\"");
        if (ideal)
            add(s,
                "<text x=\"%.1f\" y=\"%.1f\" font-size=\"13\" fill=\"#222\">ideal "
                "Butterworth</text>\n",
                lx + 42, ly);
        else if (effective_cutoff(curves[i].host_value, fs) < curves[i].cutoff - 0.5)
            add(s,
                "<text x=\"%.1f\" y=\"%.1f\" font-size=\"13\" fill=\"#222\">cutoff %.0f Hz (%g "
                "asked)</text>\n",
                lx + 42, ly, effective_cutoff(curves[i].host_value, fs), curves[i].cutoff);
        else
            add(s,
                "<text x=\"%.1f\" y=\"%.1f\" font-size=\"13\" fill=\"#222\">cutoff %g Hz</text>\n",
                lx + 42, ly, curves[i].cutoff);
    }
    add(s,
        "<defs><clipPath id=\"plot\"><rect x=\"%.1f\" y=\"%.1f\" width=\"%.1f\" "
        "height=\"%.1f\"/></clipPath></defs>\n",
        x0, y0, x1 - x0, y1 - y0);
    add(s, "<rect x=\"%.1f\" y=\"%.1f\" width=\"%.1f\" height=\"%.1f\" fill=\"#fbfbfb\"/>\n", x0,
        y0, x1 - x0, y1 - y0);

    // Frequency grid: every 1..9 times a decade, labels at 1, 2 and 5.
    for (double decade = 1.0; decade <= ax.f_hi; decade *= 10.0)
        for (int m = 1; m <= 9; ++m) {
            const double f = decade * m;
            if (f < ax.f_lo || f > ax.f_hi)
                continue;
            const double x = ax.x(f);
            add(s,
                "<line x1=\"%.1f\" y1=\"%.1f\" x2=\"%.1f\" y2=\"%.1f\" stroke=\"%s\" "
                "stroke-width=\"1\"/>\n",
                x, y0, x, y1, m == 1 ? "#c4c4c4" : "#e8e8e8");
            if (m == 1 || m == 2 || m == 5)
                add(s,
                    "<text x=\"%.1f\" y=\"%.1f\" font-size=\"13\" text-anchor=\"middle\" "
                    "fill=\"#333\">%s</text>\n",
                    x, y1 + 20, hz_label(f).c_str());
        }
    // Gain grid: every 10 dB, labels every 20 dB.
    for (double db = kDbBottom; db <= kDbTop + 1e-9; db += 10.0) {
        const double y = ax.y(db);
        const bool major = std::fmod(std::fabs(db), 20.0) < 1e-9;
        add(s,
            "<line x1=\"%.1f\" y1=\"%.1f\" x2=\"%.1f\" y2=\"%.1f\" stroke=\"%s\" "
            "stroke-width=\"1\"/>\n",
            x0, y, x1, y,
            db == 0.0 ? "#9a9a9a"
            : major   ? "#c4c4c4"
                      : "#e8e8e8");
        if (major)
            add(s,
                "<text x=\"%.1f\" y=\"%.1f\" font-size=\"13\" text-anchor=\"end\" "
                "fill=\"#333\">%g</text>\n",
                x0 - 8, y + 4.5, db);
    }
    const double y3 = ax.y(-3.0);
    add(s,
        "<line x1=\"%.1f\" y1=\"%.1f\" x2=\"%.1f\" y2=\"%.1f\" stroke=\"#888\" stroke-width=\"1\" "
        "stroke-dasharray=\"2 3\"/>\n",
        x0, y3, x1, y3);
    add(s,
        "<text x=\"%.1f\" y=\"%.1f\" font-size=\"11\" text-anchor=\"end\" fill=\"#666\">-3 "
        "dB</text>\n",
        x1 - 6, y3 + 14);

    // Curves: the ideal ones under the measured ones.
    s += "<g clip-path=\"url(#plot)\">\n";
    for (size_t i = 0; i < curves.size(); ++i)
        polyline(s, ax, curves[i].freqs, curves[i].butterworth_db, kColours[i % 8],
                 "stroke-width=\"1.5\" stroke-dasharray=\"7 5\" stroke-opacity=\"0.75\"");
    for (size_t i = 0; i < curves.size(); ++i)
        polyline(s, ax, curves[i].freqs, curves[i].measured_db, kColours[i % 8],
                 "stroke-width=\"2.4\" stroke-linejoin=\"round\"");
    // The design on top, thin and dotted: where it leaves the measured curve would show.
    for (size_t i = 0; i < curves.size(); ++i)
        polyline(s, ax, curves[i].freqs, curves[i].design_db, "#111111",
                 "stroke-width=\"1\" stroke-dasharray=\"1.5 2.5\"");
    s += "</g>\n";
    add(s,
        "<rect x=\"%.1f\" y=\"%.1f\" width=\"%.1f\" height=\"%.1f\" fill=\"none\" stroke=\"#555\" "
        "stroke-width=\"1\"/>\n",
        x0, y0, x1 - x0, y1 - y0);

    // Axis titles.
    add(s,
        "<text x=\"%.1f\" y=\"%.1f\" font-size=\"14\" text-anchor=\"middle\" "
        "fill=\"#222\">Frequency (Hz)</text>\n",
        (x0 + x1) / 2, kHeight - 46);
    add(s,
        "<text x=\"12\" y=\"%.1f\" font-size=\"10.5\" fill=\"#444\">Floors: near Nyquist the "
        "discrete band-pass stages fade out and stop cancelling the one-pole stages. Limit: filter "
        "at 0.225 x rate, cutoff &#8804; %.0f Hz here.</text>\n",
        kHeight - 14, highest_cutoff(fs));
    add(s,
        "<text transform=\"translate(26 %.1f) rotate(-90)\" font-size=\"14\" "
        "text-anchor=\"middle\" "
        "fill=\"#222\">Gain (dB)</text>\n",
        (y0 + y1) / 2);

    s += "</svg>\n";
    return s;
}
