#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QtGlobal>
#include <array>
#include <optional>
#include <vector>

namespace rt570 {

enum class ArchiveKind { Hourly, Daily, Monthly };

// One row of an archive report as numbers: the figures the report prints, scaled as it scales
// them, not rounded. A figure whose request ran out of attempts is missing (nullopt).
struct ArchiveRow {
    QDate date;    // the day (hourly, daily rows) or the month's first day (monthly row)
    int hour = -1; // 0..23 for hourly rows, -1 otherwise
    // Hourly, daily: mean flows G1..G4, m3/h; monthly: volume increases V1..V4, m3.
    std::array<std::optional<double>, 4> channels;
    std::array<std::optional<double>, 4> hours; // operating hours B1..B4, h
    std::optional<double> mains;                // hours with mains power present (Тс), h
    // Monthly rows: the meter's reporting day, the day of the month its accounting month closes
    // on and the label the monthly report prints for the row; 0 otherwise.
    int reportingDay = 0;
};

// The meter's integrators at one moment of its own clock (the end of a day: 23:59:59).
struct IntegratorFigures {
    QDateTime at;                                 // the meter's wall time, no zone
    std::array<std::optional<double>, 4> volumes; // V1..V4, m3
};

struct CurrentFigures {
    QDateTime readAt;                // the PC's clock
    std::array<double, 4> flows{};   // G1..G4, m3/h
    std::array<double, 4> volumes{}; // V1..V4, m3
    std::array<double, 4> hours{};   // operating hours B1..B4, h
    double mains = 0;                // hours with mains power present (Тс), h
    QDateTime meterClock;            // the meter's wall time; invalid when the clock read failed
};

struct ParameterFigure {
    int slot = 0;
    QString name;
    double value = 0;
};

// Receives every figure a connection reads, as numbers, beside the text reports. An
// implementation never throws into the report code that calls it: it keeps its own errors.
class FigureSink {
public:
    virtual ~FigureSink() = default;
    // The opening read named the report set: the meter's serial number and the stem (folder
    // and file name without the "_par.txt", "_chas.txt"... suffix).
    virtual void reportSetOpened(quint32 serial, const QString& stem) = 0;
    virtual void currentValues(const CurrentFigures& figures) = 0;
    virtual void archiveRows(ArchiveKind kind, const std::vector<ArchiveRow>& rows) = 0;
    virtual void integrators(const IntegratorFigures& figures) = 0;
    virtual void parameters(const QDateTime& readAt, const std::vector<ParameterFigure>& rows) = 0;
    // The meter's clock (its wall time), read once per connection before its first archive
    // read; invalid when that read failed. Archive periods that had not ended by it are not
    // figures yet.
    virtual void meterClock(const QDateTime& wallTime) { Q_UNUSED(wallTime); }
};

} // namespace rt570
