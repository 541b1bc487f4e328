// Automation files: timed parameter changes, one per line "TIME_SECONDS PARAM VALUE".
//
// PARAM is "cutoff" (VALUE in Hz, 20..8333), "state" (on, off, 1 or 0) or a
// parameter index (VALUE a raw host value 0..1). '#' starts a comment; blank
// lines are skipped. Events are applied in time order (file order for equal
// times) at sample frame round(TIME * rate).
#pragma once
#include <cstdint>
#include <istream>
#include <stdexcept>
#include <string>
#include <vector>

struct AutomationError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct AutomationEvent {
    double time; // seconds
    int32_t index;
    float value; // raw host value
    int line;
};

// Throws AutomationError "NAME:LINE: reason".
std::vector<AutomationEvent> parse_automation(std::istream &in, const std::string &name);
std::vector<AutomationEvent> load_automation(const std::string &path);

// Sample frame of an event at a rate.
int64_t automation_frame(const AutomationEvent &e, double rate);
