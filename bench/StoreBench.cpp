// The figure store's write and import times on SQLite and PostgreSQL; bench/store.sh runs it
// against a throwaway local server.
//
// Usage: rt570-store-bench FOLDER URL [METERS DAYS]
//   night:  one node's night (a day's 24 hourly rows, its daily row and the run), written
//           kNights times as separate connections; median and worst of the writes.
//   import: an SQLite store of METERS meters by DAYS days of hourly and daily rows, one run a
//           meter and day (default 300 by 62: 446,400 hourly rows), imported into URL, again
//           into URL (nothing new), and into a new SQLite file.

#include "store/FigureStore.h"
#include "store/StoreImport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace rt570;

namespace {

constexpr int kNights = 50;
const QDate kFirstDay(2026, 10, 1);

// The milliseconds of each write of one node's night into `target`.
std::vector<double> nights(const QString& target) {
    FigureStore store(target);
    std::vector<double> times;
    for (int n = 0; n < kNights && !store.failed(); ++n) {
        const QDate day = kFirstDay.addDays(n);
        store.beginConnection(RunInfo{QStringLiteral("node"), QStringLiteral("ATD1"),
                                      QStringLiteral("port 3"), QDateTime::currentDateTime(),
                                      QStringLiteral("hourly yesterday daily yesterday"),
                                      QStringLiteral("bench")});
        store.reportSetOpened(20011, QStringLiteral("arc/x"));
        std::vector<ArchiveRow> hours;
        for (int hour = 0; hour < 24; ++hour)
            hours.push_back(ArchiveRow{day, hour, {1.5, 2.5, 3.5, 4.5}, {1, 1, 1, 1}, 1});
        store.archiveRows(ArchiveKind::Hourly, hours);
        store.archiveRows(ArchiveKind::Daily,
                          {ArchiveRow{day, -1, {1.5, 2.5, 3.5, 4.5}, {24, 24, 24, 24}, 24}});
        QElapsedTimer timer;
        timer.start();
        store.endConnection(RunResult::Ok, 20011, 60, 0, 0);
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    if (store.failed())
        std::fprintf(stderr, "%s\n", qPrintable(store.errorText()));
    std::sort(times.begin(), times.end());
    return times;
}

// An SQLite store of `meters` by `days` nights, written straight through SQL.
bool makeSource(const QString& path, int meters, int days) {
    { FigureStore schema(path); }
    bool ok = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "source");
        db.setDatabaseName(path);
        ok = db.open();
        QSqlQuery run(db);
        QSqlQuery hour(db);
        QSqlQuery daily(db);
        ok = ok && run.exec(QStringLiteral("BEGIN")) &&
             run.prepare(QStringLiteral(
                 "INSERT INTO runs (node, phone, port, started, result, serial, requests, "
                 "errors, timeouts, finished, operations, version) VALUES (?, 'ATD1', 'port 3', "
                 "?, 'ok', ?, 60, 0, 0, ?, 'hourly yesterday daily yesterday', 'bench')")) &&
             hour.prepare(QStringLiteral(
                 "INSERT INTO hourly VALUES (?, ?, ?, 1.5, 2.5, 3.5, 4.5, 1, 1, 1, 1, 1, ?)")) &&
             daily.prepare(QStringLiteral(
                 "INSERT INTO daily VALUES (?, ?, 1.5, 2.5, 3.5, 4.5, 24, 24, 24, 24, 24, ?)"));
        for (int d = 0; ok && d < days; ++d) {
            const QString day = kFirstDay.addDays(d).toString(Qt::ISODate);
            const QString at = day + QStringLiteral("T01:30:00+03:00");
            for (int m = 0; ok && m < meters; ++m) {
                run.bindValue(0, QStringLiteral("node %1").arg(m));
                run.bindValue(1, at);
                run.bindValue(2, 20000 + m);
                run.bindValue(3, at);
                ok = run.exec();
                const QVariant id = run.lastInsertId();
                for (int h = 0; ok && h < 24; ++h) {
                    hour.bindValue(0, 20000 + m);
                    hour.bindValue(1, day);
                    hour.bindValue(2, h);
                    hour.bindValue(3, id);
                    ok = hour.exec();
                }
                daily.bindValue(0, 20000 + m);
                daily.bindValue(1, day);
                daily.bindValue(2, id);
                ok = ok && daily.exec();
            }
        }
        ok = ok && run.exec(QStringLiteral("COMMIT"));
        if (!ok)
            std::fprintf(stderr, "cannot make the source: %s\n",
                         qPrintable(run.lastError().text() + hour.lastError().text()));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("source"));
    return ok;
}

bool timedImport(const QString& source, const QString& target, const char* what) {
    QElapsedTimer timer;
    timer.start();
    const ImportOutcome outcome = importFigures(source, target);
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    if (!outcome.ok()) {
        std::fprintf(stderr, "%s\n", qPrintable(outcome.error));
        return false;
    }
    std::printf("| import into %s | %d added, %d present | %lld | %.2f |\n", what,
                outcome.runsAdded, outcome.runsPresent, static_cast<long long>(outcome.rows),
                seconds);
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    const QStringList args = application.arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: rt570-store-bench FOLDER URL [METERS DAYS]\n");
        return 2;
    }
    const QDir folder(args[1]);
    const QString url = args[2];
    const int meters = args.size() > 3 ? args[3].toInt() : 300;
    const int days = args.size() > 4 ? args[4].toInt() : 62;

    std::printf("| one node's night (%d writes) | median ms | worst ms |\n|---|---|---|\n",
                kNights);
    for (const auto& [what, target] :
         {std::pair{"SQLite", folder.filePath(QStringLiteral("nights.db"))},
          std::pair{"PostgreSQL", url}}) {
        const std::vector<double> times = nights(target);
        if (times.empty())
            return 1;
        std::printf("| %s | %.2f | %.2f |\n", what, times[times.size() / 2], times.back());
    }

    const QString source = folder.filePath(QStringLiteral("source.db"));
    QElapsedTimer timer;
    timer.start();
    if (!makeSource(source, meters, days))
        return 1;
    std::printf("\nsource: %d meters by %d days, made in %.1f s\n\n", meters, days,
                double(timer.elapsed()) / 1000);
    std::printf("| import | connections | rows | s |\n|---|---|---|---|\n");
    const bool ok = timedImport(source, url, "PostgreSQL") &&
                    timedImport(source, url, "PostgreSQL again") &&
                    timedImport(source, folder.filePath(QStringLiteral("copy.db")), "SQLite");
    return ok ? 0 : 1;
}
