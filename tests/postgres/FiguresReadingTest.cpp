// The figures window's readers on a store that the collectors' writer filled on a real server,
// the PC's clock five hours east of the server's sessions (UTC): days, times and nights come
// back as the PC wrote them.

#include "PostgresServer.h"
#include "support/QStringPrinter.h"

#include "figures/FigureDatabase.h"
#include "figures/MeterList.h"
#include "figures/NightGrid.h"
#include "figures/PeriodFigures.h"
#include "link/Protocol.h"
#include "store/FigureStore.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <ctime>
#include <functional>

namespace rt570::test {
namespace {

// The PC's local time zone for one test; the one before it afterwards.
struct LocalZone {
    explicit LocalZone(const char* zone) {
        qputenv("TZ", zone);
        tzset();
    }
    ~LocalZone() {
        old.isNull() ? qunsetenv("TZ") : qputenv("TZ", old);
        tzset();
    }
    const QByteArray old = qgetenv("TZ");
};

QDateTime november(int day, int hour, int minute) {
    return QDateTime(QDate(2026, 11, day), QTime(hour, minute));
}

ArchiveRow row(int day, int hour, std::optional<double> flow, std::optional<double> mains) {
    return ArchiveRow{QDate(2026, 11, day), hour, {flow}, {}, mains};
}

// One connection through the store's writer; `figures` adds what it read.
void connection(FigureStore& store, const char* node, const char* phone, const QDateTime& started,
                RunResult result, std::optional<quint32> serial,
                const std::function<void(FigureStore&)>& figures = {}) {
    store.beginConnection(
        RunInfo{QString::fromUtf8(node), QLatin1String(phone), {}, started, {}, {}});
    if (serial)
        store.reportSetOpened(*serial, QStringLiteral("arc/x"));
    if (figures)
        figures(store);
    store.endConnection(result, serial, 1, 0, 0);
}

// Meter 20001's first night: hours 04 and 05 of 28 Nov (05 without its flow), 1 and 27 Nov,
// October; Gmax 50 on channel 1 and 5 on channel 2.
void firstNight(FigureStore& store) {
    store.archiveRows(ArchiveKind::Hourly, {row(28, 4, 4.5, 1), row(28, 5, {}, 0.25)});
    store.archiveRows(ArchiveKind::Daily, {row(1, -1, 1, 24), row(27, -1, 27, 24)});
    store.archiveRows(ArchiveKind::Monthly, {{QDate(2026, 10, 1), -1, {100.0}, {}, 600.0, 1}});
    store.parameters(november(29, 1, 31), {{gmaxSlot(1), QStringLiteral("G"), 50},
                                           {gmaxSlot(2), QStringLiteral("G"), 5}});
}

QString number(const std::optional<double>& value) {
    return value ? QString::number(*value) : QStringLiteral("-");
}

// Meter 20001's slot of the period holding `date`: "flow1 mains", "x" when the store lacks it.
QString slot(const FigureDatabase& db, PeriodKind kind, const QDate& date, int slot) {
    PeriodFigures figures;
    QString error;
    if (!readPeriod(db.database(), 20001, periodHolding(kind, date), figures, error))
        return error;
    const FigureSlot& row = figures.rows.at(size_t(slot));
    return row.stored ? number(row.channels[0]) + QLatin1Char(' ') + number(row.mains)
                      : QStringLiteral("x");
}

QString meters(const FigureDatabase& db) {
    std::vector<MeterRow> rows;
    QString error;
    readMeters(db.database(), rows, error);
    QStringList shown{error};
    const QString minutes = QStringLiteral("yyyy-MM-dd HH:mm");
    for (const MeterRow& m : rows)
        shown << QStringLiteral("%1|%2|%3|%4|%5|%6|%7")
                     .arg(m.serial)
                     .arg(m.node, m.phone, m.lastResult, m.lastRun.toLocalTime().toString(minutes),
                          m.lastGoodRun.toLocalTime().toString(minutes),
                          m.lastHourlyDay.toString(Qt::ISODate));
    return shown.join(QStringLiteral("; "));
}

QString nights(const FigureDatabase& db, int month) {
    NightGrid grid;
    QString error;
    readNights(db.database(), QDate(2026, month, 1), grid, error);
    QStringList rows{error};
    for (int n = 0; n < int(grid.nodes.size()); ++n) {
        rows << grid.nodes[n] + QLatin1Char(':');
        for (int day = 0; day < grid.month.daysInMonth(); ++day)
            if (const qint64 run = grid.cells[size_t(n)][size_t(day)].run)
                rows.last() += QStringLiteral(" %1=%2").arg(day + 1).arg(run);
    }
    return rows.join(QStringLiteral("; "));
}

// An opening's refusal up to the client library's reason, the URL's text as "URL".
QString refusal(const QString& url) {
    QString text = FigureDatabase(url).errorText();
    text.replace(QUrl::fromPercentEncoding(url.toUtf8()), QStringLiteral("URL"));
    return text.left(text.indexOf(QLatin1Char(':'))).left(text.indexOf(QStringLiteral(" (")));
}

TEST(PostgresFigures, TheWindowsReadersGiveBackWhatTheCollectorsWrote) {
    REQUIRE_POSTGRES();
    const LocalZone zone("<+05>-5");
    const QString url = postgres().newDatabase(QStringLiteral("figures"));
    {
        FigureStore store(url);
        connection(store, "Котельная", "ATD101", november(29, 1, 30), RunResult::Ok, 20001,
                   firstNight);
        connection(store, "Школа", "ATD102", november(29, 13, 0), RunResult::Busy, {});
        connection(store, "Котельная", "ATD101", november(30, 1, 30), RunResult::Ok, 20001,
                   [](FigureStore& s) {
                       s.parameters(november(30, 1, 31), {{gmaxSlot(2), {}, 500}});
                       s.archiveRows(ArchiveKind::Hourly, {row(29, 0, 7.25, {})});
                   });
        connection(store, "Школа", "ATD102", november(30, 11, 59), RunResult::Ok, 20002);
        connection(store, "Котельная", "ATD101", november(30, 12, 0), RunResult::NoAnswer, 20001);
        connection(store, "Школа", "ATD109", november(30, 13, 0), RunResult::Busy, {});
        ASSERT_FALSE(store.failed()) << store.errorText().toStdString();
    }
    const FigureDatabase db(url);
    ASSERT_FALSE(db.failed()) << db.errorText().toStdString();
    const QDate day(2026, 11, 28);
    const auto run6Start = [&db] {
        QString error;
        const auto fields = readRun(db.database(), 6, error);
        return fields.value(4).first + QLatin1Char('=') + fields.value(4).second + error;
    };
    const auto decimals = [&db] {
        PeriodFigures figures;
        QString error;
        readPeriod(db.database(), 20001, periodHolding(PeriodKind::Year, QDate(2026, 1, 1)),
                   figures, error);
        return QStringLiteral("%1 %2").arg(figures.decimals[0]).arg(figures.decimals[1]) + error;
    };
    const auto write = [&db] {
        QSqlQuery query(db.database());
        return query.exec(QStringLiteral("DELETE FROM runs")) ? QStringLiteral("deleted")
                                                              : query.lastError().nativeErrorCode();
    };
    const auto changeAfterACommit = [&db, &url] {
        const qint64 before = db.changeCount();
        FigureStore store(url);
        connection(store, "Баня", "ATD5", november(30, 14, 0), RunResult::Ok, 20003);
        const qint64 after = db.changeCount();
        return QStringLiteral("%1 %2").arg(after != before).arg(db.changeCount() == after);
    };
    const QString empty = postgres().newDatabase(QStringLiteral("nothing"));
    const QString nowhere = postgres()
                                .url(QStringLiteral("figures"))
                                .replace(QStringLiteral("@%2F"), QStringLiteral("@%2Fnowhere%2F"));

    struct Case {
        const char* name;
        std::function<QString()> actual;
        const char* expected;
    };
    const Case cases[] = {
        {"meters, a later run without a meter standing for its node", [&] { return meters(db); },
         "; 20001|Котельная|ATD101|no answer|2026-11-30 12:00|2026-11-30 01:30|2026-11-29; "
         "20002|Школа|ATD109|busy|2026-11-30 13:00|2026-11-30 11:59|"},
        {"an hour", [&] { return slot(db, PeriodKind::Day, day, 4); }, "4.5 1"},
        {"an hour without its flow", [&] { return slot(db, PeriodKind::Day, day, 5); }, "- 0.25"},
        {"an hour never read", [&] { return slot(db, PeriodKind::Day, day, 6); }, "x"},
        {"decimals by the latest Gmax", decimals, "3 2"},
        {"a day", [&] { return slot(db, PeriodKind::Month, day, 26); }, "27 24"},
        {"a day never read", [&] { return slot(db, PeriodKind::Month, day, 1); }, "x"},
        {"a month", [&] { return slot(db, PeriodKind::Year, day, 9); }, "100 600"},
        {"November's nights", [&] { return nights(db, 11); },
         "; Котельная: 29=1 30=3; Школа: 30=4"},
        {"a run from noon on is the next night's", [&] { return nights(db, 12); },
         "; Котельная: 1=5; Школа: 1=6"},
        {"a run's start", run6Start, "started=2026-11-30T13:00:00+05:00"},
        {"a write in a read-only session", write, "25006"},
        {"a commit changes the count, a read does not", changeAfterACommit, "1 1"},
        {"a database without a store", [&] { return refusal(empty); },
         "В базе URL нет хранилища показаний"},
        {"a server that is not there", [&] { return refusal(nowhere); },
         "Не удалось подключиться к хранилищу URL"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.actual(), QString::fromUtf8(c.expected)) << c.name;
}

} // namespace
} // namespace rt570::test
