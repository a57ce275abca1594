#pragma once

#include "cli/CliOptions.h"

#include <QDate>
#include <QStringList>

namespace rt570::cli {

// The operations in order, each archive operation with its date; an error text on bad usage.
QString takeOperations(QStringList words, const QDate& today, CliOptions& options);

} // namespace rt570::cli
