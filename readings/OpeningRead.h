#pragma once

namespace rt570 {

class Session;

// The opening read ("Счит парам"): serial number, reporting day and maximum flows, the report
// file stem, the four report files opened for appending (created when missing), the flow
// formats.
void openingRead(Session& session);

} // namespace rt570
