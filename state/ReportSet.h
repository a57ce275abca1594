#pragma once

#include "state/ReportFile.h"

#include <QString>
#include <array>
#include <cstdint>

namespace rt570 {

// The four report files of a connection, in the order they are created and closed.
enum class Report { Parameters = 0, Hourly = 1, Daily = 2, Monthly = 3 };
constexpr int kReportCount = 4;
constexpr std::array<const char*, kReportCount> kReportSuffixes{"_par.txt", "_chas.txt", "_sut.txt",
                                                                "_mes.txt"};

struct ReportSet {
    std::array<ReportFile, kReportCount> ReportFiles;
    int32_t FilesOpen = 0;
    int32_t setCounter = 0; // report sets created in this run, shown after "n="

    ReportFile& file(Report r) { return ReportFiles[static_cast<int>(r)]; }
};

// Closes every open file of the set, in order, and clears FilesOpen. A file that fails to close
// does not keep the others open: all are closed first, then the first failure is thrown as
// OperationError ("I/O error N").
void closeReportFiles(ReportSet& reports);

} // namespace rt570
