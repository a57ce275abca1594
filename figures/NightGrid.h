#pragma once

#include <QDate>
#include <QPair>
#include <QSqlDatabase>
#include <QStringList>
#include <vector>

namespace rt570 {

// The nightly runs of a month, node by node. A run started from 12:00 of one day to 12:00 of
// the next belongs to the night into the next day, so a collect at 23:50 and its retry at 01:30
// share a night. A cell holds the night's last run; runs of a plain connection (no node) are
// left out.
struct NightCell {
    qint64 run = 0; // 0: no run that night
    QString result;
};

struct NightGrid {
    QDate month;                               // its first day
    QStringList nodes;                         // the rows, by name
    std::vector<std::vector<NightCell>> cells; // [node][day - 1]
};

// The night a run started on `date` at `hour` o'clock (the PC's local time) belongs to.
QDate nightOf(const QDate& date, int hour);

bool readNights(const QSqlDatabase& db, const QDate& month, NightGrid& grid, QString& error);

// The run's row, column by column ("result", "no carrier"); empty with `error` set when it
// cannot be read.
QList<QPair<QString, QString>> readRun(const QSqlDatabase& db, qint64 run, QString& error);

// The SQL texts the readers run, for a check of their query plans.
QStringList nightStatements();

} // namespace rt570
