// Automation file reader.
#include "tools/render/automation.h"
#include "tools/render/cutoff_map.h"
#include "tools/render/options.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <sstream>

std::vector<AutomationEvent> parse_automation(std::istream &in, const std::string &name)
{
    std::vector<AutomationEvent> events;
    std::string text;
    int line_no = 0;
    while (std::getline(in, text)) {
        ++line_no;
        auto fail = [&](const std::string &why) {
            throw AutomationError(name + ":" + std::to_string(line_no) + ": " + why);
        };
        size_t hash = text.find('#');
        if (hash != std::string::npos)
            text.erase(hash);
        std::istringstream fields(text);
        std::string time_s, param, value_s, extra;
        if (!(fields >> time_s))
            continue;
        if (!(fields >> param >> value_s))
            fail("expected TIME_SECONDS PARAM VALUE");
        if (fields >> extra)
            fail("unexpected '" + extra + "' after the value");

        AutomationEvent e{};
        e.line = line_no;
        if (!parse_number(time_s, &e.time) || e.time < 0.0 || e.time > 1e7)
            fail("time '" + time_s + "' is not a number of seconds >= 0");
        double v;
        if (param == "cutoff") {
            if (!parse_number(value_s, &v) || v < KNOB_MIN || v > KNOB_MAX)
                fail("cutoff '" + value_s + "' is not a frequency from 20 to 8333 Hz");
            e.index = PARAM_FREQUENCY;
            e.value = host_value_for_cutoff(v);
        }
        else if (param == "state") {
            if (!parse_state(value_s, &e.value))
                fail("state '" + value_s + "' is not on, off, 1 or 0");
            e.index = PARAM_STATE;
        }
        else {
            char *end = nullptr;
            errno = 0;
            long index = std::strtol(param.c_str(), &end, 10);
            if (param.empty() || *end || errno || index < 0 || index > 1000000)
                fail("unknown parameter '" + param + "' (cutoff, state or an index)");
            if (!parse_number(value_s, &v) || v < 0.0 || v > 1.0)
                fail("value '" + value_s + "' is not a host value from 0 to 1");
            e.index = (int32_t)index;
            e.value = (float)v;
        }
        events.push_back(e);
    }
    if (in.bad())
        throw AutomationError(name + ": read error");
    std::stable_sort(
        events.begin(), events.end(),
        [](const AutomationEvent &a, const AutomationEvent &b) { return a.time < b.time; });
    return events;
}

std::vector<AutomationEvent> load_automation(const std::string &path)
{
    std::ifstream in(path);
    if (!in)
        throw AutomationError("cannot read automation file " + path + ": " + std::strerror(errno));
    return parse_automation(in, path);
}

int64_t automation_frame(const AutomationEvent &e, double rate)
{
    return (int64_t)std::llround(e.time * rate);
}
