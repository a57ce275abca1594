#pragma once

#include <QDate>
#include <QDateTime>
#include <QSqlDatabase>
#include <QString>
#include <vector>

namespace rt570 {

// One meter of the store: its serial number, its node's name and phone from its latest run,
// that run's start and result, the start of its latest good ("ok") run and the last day that
// has an hourly row. A run that named no meter (a busy line, a failed dial) belongs to the
// meter of its node.
struct MeterRow {
    qint64 serial = 0;
    QString node;
    QString phone;
    QDateTime lastRun;
    QString lastResult;
    QDateTime lastGoodRun; // invalid when never read well
    QDate lastHourlyDay;   // invalid when no hourly row
};

// Every meter that a run named, by serial number. Returns false with `error` set when the
// store cannot be read.
bool readMeters(const QSqlDatabase& db, std::vector<MeterRow>& meters, QString& error);

// Not read well for more than two days before `now` (or never).
bool isOverdue(const MeterRow& meter, const QDateTime& now);

// Whether the filter text (case aside) is part of the meter's node name, phone or serial.
bool meterMatches(const MeterRow& meter, const QString& filter);

// The SQL texts the readers run, for a check of their query plans.
QStringList meterListStatements();

} // namespace rt570
