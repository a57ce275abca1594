#pragma once

#include "cli/CliOptions.h"
#include "store/CatchUpWindow.h"

#include <vector>

namespace rt570::cli {

// Whether an operation has the date word "missing".
bool asksForMissing(const std::vector<CliOperation>& operations);

// The operations with each "missing" one replaced by the dated operations that read what the
// store lacks, as an operator would type them on `today`: "hourly missing" by one hourly
// report per missing day, oldest first; "daily missing" by one daily report per month, dated
// the month's last day, or yesterday in the running month (as a nightly "daily yesterday");
// "monthly missing" by one monthly report per month, dated its last day. A date the meter's
// archive cannot address is left out. The other operations stay as they are, in their place.
std::vector<CliOperation> expandMissing(const std::vector<CliOperation>& operations,
                                        const MissingPeriods& missing, const QDate& today);

} // namespace rt570::cli
