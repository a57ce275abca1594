#pragma once

namespace rt570 {

class RunState;

// "Считать значения": flows, volumes, operating hours and mains time, then the clock.
void readCurrentValues(RunState& session);

} // namespace rt570
