#pragma once

#include "store/FigureStore.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <gtest/gtest.h>

namespace rt570::test {

// A small figure store with rows known by heart, made by the store itself (so with its
// schema) and filled through a connection of its own:
//
// runs (PC time +03:00):
//   1  Котельная №3  ATD101  2026-10-31T23:00  no dialtone  serial 20001  (night into 1 Nov)
//   2  Котельная №3  ATD101  2026-11-28T01:30  ok           20001
//   3  Школа         ATD102  2026-11-28T01:32  ok           20002
//   4  Котельная №3  ATD101  2026-11-29T01:30  ok           20001
//   5  Школа         ATD102  2026-11-29T01:32  link failed  20002
//   6  Школа         ATD102  2026-11-29T03:00  busy         NULL   (the same night's retry)
//   7  Котельная №3  ATD101  2026-11-30T01:30  ok           20001
//   8  Школа         ATD109  2026-11-30T01:32  no carrier   NULL   (the node's latest run)
//   9  Котельная №3  ATD101  2026-11-30T12:00  no answer    20001  (night into 1 Dec)
//  10  (plain run)           2026-11-30T13:00  ok           20003
//
// hourly, meter 20001, 2026-11-29: every hour but 05; flow1 = hour + 0.5, flow2 = 2 * hour
// (NULL at 07), flow3 = 0.25, flow4 = 0; hours1..4 = 1, 1, 1, 0.5; mains 1 (0.25 at hour 10).
// Meter 20002 has the same day with flow1 = 100 + hour, hours 0..23.
// daily, meter 20001, November 2026: days 1..29 but 15; flow1 = day (NULL on the 3rd),
// flow2..4 = 1, 2, 3; hours 24 each; mains 24 (20 on the 2nd).
// monthly, meter 20001, 2026: months 1..10 but 6; volume1..4 = 10 * month, 1, 2, 3; hours 700;
// mains 600 in each month.
// parameters, meter 20001: Gmax of channel 1 = 50 (3 decimals), of channel 2 = 5 then 500
// (the later reading counts: 2 decimals); channels 3 and 4 none.
inline void makeSmallStore(const QString& path) {
    {
        FigureStore store(path);
        ASSERT_FALSE(store.failed()) << store.errorText().toStdString();
    }
    const QString name = QStringLiteral("small-store");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        ASSERT_TRUE(db.open());
        QSqlQuery query(db);
        auto exec = [&query](const QString& sql) {
            EXPECT_TRUE(query.exec(sql))
                << sql.toStdString() << ": " << query.lastError().text().toStdString();
        };
        exec(QStringLiteral("BEGIN"));
        const char* runs[] = {
            "1, 'Котельная №3', 'ATD101', '2026-10-31T23:00:00+03:00', 'no dialtone', 20001",
            "2, 'Котельная №3', 'ATD101', '2026-11-28T01:30:00+03:00', 'ok', 20001",
            "3, 'Школа', 'ATD102', '2026-11-28T01:32:00+03:00', 'ok', 20002",
            "4, 'Котельная №3', 'ATD101', '2026-11-29T01:30:00+03:00', 'ok', 20001",
            "5, 'Школа', 'ATD102', '2026-11-29T01:32:00+03:00', 'link failed', 20002",
            "6, 'Школа', 'ATD102', '2026-11-29T03:00:00+03:00', 'busy', NULL",
            "7, 'Котельная №3', 'ATD101', '2026-11-30T01:30:00+03:00', 'ok', 20001",
            "8, 'Школа', 'ATD109', '2026-11-30T01:32:00+03:00', 'no carrier', NULL",
            "9, 'Котельная №3', 'ATD101', '2026-11-30T12:00:00+03:00', 'no answer', 20001",
            "10, '', '', '2026-11-30T13:00:00+03:00', 'ok', 20003",
        };
        for (const char* run : runs)
            exec(QStringLiteral("INSERT INTO runs (id, node, phone, started, result, serial, "
                                "port, requests, errors, timeouts) VALUES (%1, 'port 3', 1, 0, 0)")
                     .arg(QString::fromUtf8(run)));
        for (int hour = 0; hour < 24; ++hour) {
            if (hour != 5)
                exec(QStringLiteral("INSERT INTO hourly VALUES (20001, '2026-11-29', %1, %2, %3, "
                                    "0.25, 0, 1, 1, 1, 0.5, %4, 4)")
                         .arg(hour)
                         .arg(hour + 0.5)
                         .arg(hour == 7 ? QStringLiteral("NULL") : QString::number(2 * hour))
                         .arg(hour == 10 ? 0.25 : 1.0));
            exec(QStringLiteral("INSERT INTO hourly VALUES (20002, '2026-11-29', %1, %2, 0, 0, "
                                "0, 1, 1, 1, 1, 1, 3)")
                     .arg(hour)
                     .arg(100 + hour));
        }
        for (int day = 1; day <= 29; ++day) {
            if (day != 15)
                exec(QStringLiteral("INSERT INTO daily VALUES (20001, '2026-11-%1', %2, 1, 2, 3, "
                                    "24, 24, 24, 24, %3, 7)")
                         .arg(day, 2, 10, QLatin1Char('0'))
                         .arg(day == 3 ? QStringLiteral("NULL") : QString::number(day))
                         .arg(day == 2 ? 20 : 24));
        }
        for (int month = 1; month <= 10; ++month) {
            if (month != 6)
                exec(QStringLiteral("INSERT INTO monthly (serial, month, volume1, volume2, "
                                    "volume3, volume4, hours1, hours2, hours3, hours4, mains, "
                                    "run) VALUES (20001, '2026-%1', %2, 1, 2, 3, 700, 700, 700, "
                                    "700, 600, 7)")
                         .arg(month, 2, 10, QLatin1Char('0'))
                         .arg(10 * month));
        }
        exec(QStringLiteral("INSERT INTO parameters VALUES (20001, '2026-11-28T01:31:00+03:00', "
                            "10, 'G', 50, 2), (20001, '2026-11-28T01:31:00+03:00', 20, 'G', 5, "
                            "2), (20001, '2026-11-30T01:31:00+03:00', 20, 'G', 500, 7)"));
        exec(QStringLiteral("COMMIT"));
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

} // namespace rt570::test
