#pragma once

#include <QString>

namespace rt570::cli {

// What --help prints: the command line's contract in short.
QString usageText();

} // namespace rt570::cli
