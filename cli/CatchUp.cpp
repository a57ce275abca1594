#include "cli/CatchUp.h"

#include "archives/ArchiveDate.h"

#include <algorithm>

namespace rt570::cli {

namespace {

// The date that reads month `month` (its first day) as late as the PC's date allows.
QDate monthDate(const QDate& month, const QDate& today) {
    return std::min(month.addDays(month.daysInMonth() - 1), today.addDays(-1));
}

void append(std::vector<CliOperation>& operations, CliOperation::Kind kind, const QDate& date) {
    if (archiveDateInRange(date))
        operations.push_back(CliOperation{kind, date, false});
}

} // namespace

bool asksForMissing(const std::vector<CliOperation>& operations) {
    return std::any_of(operations.begin(), operations.end(),
                       [](const CliOperation& operation) { return operation.missing; });
}

std::vector<CliOperation> expandMissing(const std::vector<CliOperation>& operations,
                                        const MissingPeriods& missing, const QDate& today) {
    std::vector<CliOperation> expanded;
    for (const CliOperation& operation : operations) {
        if (!operation.missing) {
            expanded.push_back(operation);
            continue;
        }
        switch (operation.kind) {
        case CliOperation::Hourly:
            for (const QDate& day : missing.hourlyDays)
                append(expanded, operation.kind, day);
            break;
        case CliOperation::Daily:
            for (const QDate& month : missing.dailyMonths)
                append(expanded, operation.kind, monthDate(month, today));
            break;
        case CliOperation::Monthly:
            for (const QDate& month : missing.monthlyMonths)
                append(expanded, operation.kind, monthDate(month, today));
            break;
        default:
            break;
        }
    }
    return expanded;
}

} // namespace rt570::cli
