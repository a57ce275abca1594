// rt570-figures-bench: the figures window's speed on a large store.
//
//   rt570-figures-bench make STORE [METERS] [DAYS]   a store of METERS meters (300) with DAYS
//       days (365) of hourly, daily and monthly rows and one nightly run per meter and night,
//       the figures taken from the simulator's meter history (a meter of seed N per node)
//   rt570-figures-bench time STORE [SWITCHES]         opens the window on STORE and times the
//       opening, SWITCHES changes of meter (20) and of period
//
// Not a test: bench/figures-window.sh runs it and prints the figures README quotes.
#include "figures/window/FiguresWindow.h"
#include "sim/FlowHistory.h"
#include "store/FigureStore.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTreeWidget>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

using namespace rt570;

namespace {

constexpr int kFirstSerial = 20000;
// The store ends yesterday, as a nightly collect leaves it.
const QDate kLastDay = QDate::currentDate().addDays(-1);

bool exec(QSqlQuery& query) {
    if (query.exec())
        return true;
    std::fprintf(stderr, "%s\n", qPrintable(query.lastError().text()));
    return false;
}

int makeStore(const QString& path, int meters, int days) {
    {
        FigureStore store(path);
        if (store.failed()) {
            std::fprintf(stderr, "%s\n", qPrintable(store.errorText()));
            return 1;
        }
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("make"));
    db.setDatabaseName(path);
    if (!db.open())
        return 1;
    QSqlQuery run(db), hourly(db), daily(db), monthly(db), parameter(db), begin(db);
    begin.exec(QStringLiteral("PRAGMA synchronous = OFF"));
    begin.exec(QStringLiteral("BEGIN"));
    run.prepare(QStringLiteral("INSERT INTO runs (id, node, phone, port, started, result, serial, "
                               "requests, errors, timeouts, finished, operations, version) "
                               "VALUES (?, ?, ?, 'port 3', ?, ?, ?, 60, 0, 0, ?, "
                               "'hourly yesterday daily yesterday', 'bench')"));
    hourly.prepare(QStringLiteral("INSERT INTO hourly VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
                                  "?, ?)"));
    daily.prepare(QStringLiteral("INSERT INTO daily VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    monthly.prepare(QStringLiteral("INSERT INTO monthly VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
                                   "?, 25)"));
    parameter.prepare(QStringLiteral("INSERT INTO parameters VALUES (?, ?, ?, 'G', ?, ?)"));
    const QDate first = kLastDay.addDays(1 - days);
    const char* failures[] = {"busy", "no carrier", "no answer", "link failed"};
    qint64 runId = 0;
    for (int m = 0; m < meters; ++m) {
        const int serial = kFirstSerial + m;
        const sim::FlowHistory history(uint32_t(m + 1), first.addDays(-400));
        const QString node = QStringLiteral("Узел %1").arg(m + 1, 3, 10, QLatin1Char('0'));
        QDate month;
        std::vector<double> monthFigures(9, 0.0);
        auto writeMonth = [&] {
            if (!month.isValid())
                return;
            monthly.addBindValue(serial);
            monthly.addBindValue(month.toString(QStringLiteral("yyyy-MM")));
            for (double value : monthFigures)
                monthly.addBindValue(value);
            monthly.addBindValue(runId);
            exec(monthly);
        };
        for (QDate day = first; day <= kLastDay; day = day.addDays(1)) {
            // The night's run, after the day; one night in twenty fails.
            ++runId;
            const bool failed = (m * 7 + day.dayOfYear()) % 20 == 0;
            const QDateTime started(day.addDays(1), QTime(1, 30).addSecs(m * 20));
            run.addBindValue(runId);
            run.addBindValue(node);
            run.addBindValue(QStringLiteral("ATD%1").arg(serial));
            run.addBindValue(started.toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss+03:00")));
            run.addBindValue(QLatin1String(failed ? failures[day.day() % 4] : "ok"));
            run.addBindValue(failed ? QVariant() : QVariant(serial));
            run.addBindValue(
                started.addSecs(40).toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss+03:00")));
            if (!exec(run))
                return 1;
            if (runId <= 4 * meters) {
                for (int k = 1; k <= 4; ++k) {
                    parameter.addBindValue(serial);
                    parameter.addBindValue(started.toString(Qt::ISODate));
                    parameter.addBindValue(10 * k);
                    parameter.addBindValue(k == 1 ? 50.0 : 500.0);
                    parameter.addBindValue(runId);
                    exec(parameter);
                }
            }
            if (day.month() != month.month() || day.year() != month.year()) {
                writeMonth();
                month = QDate(day.year(), day.month(), 1);
                std::fill(monthFigures.begin(), monthFigures.end(), 0.0);
            }
            std::vector<double> dayFigures(9, 0.0);
            for (int h = 0; h < sim::kHoursPerDay; ++h) {
                const sim::HourRecord record = history.hour(day, h);
                hourly.addBindValue(serial);
                hourly.addBindValue(day.toString(Qt::ISODate));
                hourly.addBindValue(h);
                for (size_t c = 0; c < 4; ++c) {
                    hourly.addBindValue(double(record.flow[c]));
                    dayFigures[c] += double(record.flow[c]) / sim::kHoursPerDay;
                    monthFigures[c] += double(record.volume[c]) / history.volumeScale(int(c));
                }
                for (size_t c = 0; c < 4; ++c) {
                    const double hours = double(record.operating[c]) / sim::kFullHour;
                    hourly.addBindValue(hours);
                    dayFigures[4 + c] += hours;
                    monthFigures[4 + c] += hours;
                }
                const double mains = double(record.mains) / sim::kFullHour;
                hourly.addBindValue(mains);
                dayFigures[8] += mains;
                monthFigures[8] += mains;
                hourly.addBindValue(runId);
                if (!exec(hourly))
                    return 1;
            }
            daily.addBindValue(serial);
            daily.addBindValue(day.toString(Qt::ISODate));
            for (double value : dayFigures)
                daily.addBindValue(value);
            daily.addBindValue(runId);
            exec(daily);
        }
        writeMonth();
    }
    begin.exec(QStringLiteral("COMMIT"));
    begin.exec(QStringLiteral("ANALYZE"));
    return 0;
}

// The process's CPU time in milliseconds: on a machine shared with other work the wall time
// also counts the waits for a core.
double cpuMs() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

struct Times {
    std::vector<double> wall;
    std::vector<double> cpu;
};

// Adds the wall and CPU milliseconds that `step` and the repaint it causes take.
template <typename Step> void timed(Times& times, QWidget& window, Step step) {
    QElapsedTimer timer;
    timer.start();
    const double cpu = cpuMs();
    step();
    window.repaint();
    QApplication::processEvents();
    times.cpu.push_back(cpuMs() - cpu);
    times.wall.push_back(double(timer.nsecsElapsed()) / 1e6);
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void printTimes(const char* what, const Times& times) {
    std::printf("%s\t%zu\t%.1f\t%.1f\t%.1f\n", what, times.wall.size(), median(times.wall),
                *std::max_element(times.wall.begin(), times.wall.end()), median(times.cpu));
}

int timeWindow(const QString& path, int switches) {
    std::unique_ptr<FiguresWindow> window;
    QWidget stand;
    Times open;
    timed(open, stand, [&] {
        window = std::make_unique<FiguresWindow>(path);
        window->show();
        window->repaint();
    });
    std::printf("step\tcount\tmedian ms\tmax ms\tmedian CPU ms\n");
    printTimes("open", open);
    auto* meters = window->findChild<QTreeWidget*>(QStringLiteral("meters"));
    const int count = meters->topLevelItemCount();
    if (count == 0) {
        std::fprintf(stderr, "no meters in %s\n", qPrintable(path));
        return 1;
    }
    Times meterTimes;
    for (int i = 0; i < switches; ++i) {
        const qint64 serial =
            meters->topLevelItem((i * 37) % count)->data(0, Qt::UserRole).toLongLong();
        timed(meterTimes, *window, [&] { window->showMeter(serial); });
    }
    printTimes("switch meter (day)", meterTimes);
    for (PeriodKind kind : {PeriodKind::Day, PeriodKind::Month, PeriodKind::Year}) {
        Times times;
        window->showPeriod(periodHolding(kind, kLastDay));
        for (int i = 0; i < switches; ++i)
            timed(times, *window,
                  [&] { window->showPeriod(shiftedPeriod(window->period(), i % 2 ? 1 : -1)); });
        const char* names[] = {"step a day", "step a month", "step a year"};
        printTimes(names[int(kind)], times);
    }
    Times nights;
    for (int i = 0; i < 4; ++i)
        timed(nights, *window, [&] { window->showNights(kLastDay.addMonths(-i)); });
    printTimes("nights of a month", nights);
    Times reloads;
    for (int i = 0; i < 4; ++i)
        timed(reloads, *window, [&] { window->reload(); });
    printTimes("reload (F5)", reloads);
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() >= 3 && args[1] == QLatin1String("make"))
        return makeStore(args[2], args.value(3, QStringLiteral("300")).toInt(),
                         args.value(4, QStringLiteral("365")).toInt());
    if (args.size() >= 3 && args[1] == QLatin1String("time"))
        return timeWindow(args[2], args.value(3, QStringLiteral("20")).toInt());
    std::fprintf(stderr, "usage: rt570-figures-bench make STORE [METERS] [DAYS]\n"
                         "       rt570-figures-bench time STORE [SWITCHES]\n");
    return 2;
}
