#pragma once

namespace rt570 {

class RunState;

// The opening read ("Счит парам"): serial number, reporting day and maximum flows, the report
// file stem, the four report files opened for appending (created when missing), the flow
// formats.
void openingRead(RunState& session);

} // namespace rt570
