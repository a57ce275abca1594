#pragma once

#include "cli/CliOptions.h"

#include <QString>

namespace rt570::cli {

// Options that only make sense together. An error text, or empty when they go together.
QString checkCombinations(const CliOptions& options);

} // namespace rt570::cli
