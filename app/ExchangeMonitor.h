#pragma once

#include <QString>
#include <array>

namespace rt570 {

class Link;

// The exchange monitor's texts: request count (or the link failure), time-outs and rejected
// replies. Each tick puts them into Label49..Label51 and status panels 0..2; panel 3 gets the
// progress text of Label52.
struct MonitorTexts {
    QString requests; // Label49, panel 0
    QString timeouts; // Label50, panel 1
    QString errors;   // Label51, panel 2
};

MonitorTexts monitorTexts(const Link& link);

} // namespace rt570
