#include "state/ReportSet.h"

#include "link/OperationError.h"

#include <optional>

namespace rt570 {

void closeReportFiles(ReportSet& reports) {
    // Cleared first: whatever fails below, no later close finds the set still marked open.
    reports.FilesOpen = 0;
    std::optional<OperationError> first;
    for (ReportFile& file : reports.ReportFiles) {
        if (!file.isOpen())
            continue;
        try {
            file.close();
        } catch (const OperationError& error) {
            if (!first)
                first = error;
        }
    }
    if (first)
        throw *first;
}

} // namespace rt570
