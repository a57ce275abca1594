#pragma once

#include <QString>
#include <array>

namespace rt570 {

class Link;

// The exchange monitor's texts: request count (or the link failure), time-outs, rejected
// replies, and the current progress text. They go to Label49..Label52's row and to the four
// status-bar panels.
struct MonitorTexts {
    QString requests; // Label49, panel 0
    QString timeouts; // Label50, panel 1
    QString errors;   // Label51, panel 2
};

MonitorTexts monitorTexts(const Link& link);

} // namespace rt570
