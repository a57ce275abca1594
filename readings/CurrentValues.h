#pragma once

namespace rt570 {

class Session;

// "Считать значения": flows, volumes, operating hours and mains time, then the clock.
void readCurrentValues(Session& session);

} // namespace rt570
