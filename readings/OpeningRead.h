#pragma once

namespace rt570 {

class Session;

// The opening read ("Счит парам"): serial number, reporting day and maximum flows, the report
// file stem, the four report files created empty, the flow formats.
void openingRead(Session& session);

} // namespace rt570
