#pragma once

#include "state/ArchiveState.h"

namespace rt570 {

class RunState;

// The meter's integrators at the end of a day, as the hourly and daily reports read them:
// kind 4, the date code of `day` at hour 23, the record into slot `day` with
// ReadIntegratorRecord. Reports the volumes to the session's figure sink (day 0, which names no
// calendar day, is not reported) and returns the nine entries as read, before a later read can
// overwrite the slot.
ArchiveRecord readDayEndIntegrators(RunState& session, int yy, int month, int day);

} // namespace rt570
