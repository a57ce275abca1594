// The figures window's readers on a store the collectors' writer filled on a real server, with
// the PC's clock five hours east of the server's sessions (UTC): dates, times and nights must
// come back as the PC wrote them.

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

// The process's local time zone for one test.
class LocalZone {
public:
    explicit LocalZone(const char* zone)
        : m_old(qgetenv("TZ")), m_had(qEnvironmentVariableIsSet("TZ")) {
        qputenv("TZ", zone);
        tzset();
    }
    ~LocalZone() {
        if (m_had)
            qputenv("TZ", m_old);
        else
            qunsetenv("TZ");
        tzset();
    }

private:
    const QByteArray m_old;
    const bool m_had;
};

QDateTime local(int month, int day, int hour, int minute) {
    return QDateTime(QDate(2026, month, day), QTime(hour, minute));
}

// One connection through the store's writer; `figures` adds what it read.
void connection(FigureStore& store, const char* node, const char* phone, const QDateTime& started,
                RunResult result, std::optional<quint32> serial,
                const std::function<void(FigureStore&)>& figures = {}) {
    store.beginConnection(RunInfo{
        QString::fromUtf8(node), QLatin1String(phone), QStringLiteral("port 3"), started, {}, {}});
    if (serial)
        store.reportSetOpened(*serial, QStringLiteral("arc/x"));
    if (figures)
        figures(store);
    store.endConnection(result, serial, 1, 0, 0);
}

// Meter 20001's first night: 28 Nov hourly (flow1 = hour + 0.5, NULL at 05; mains 1, 0.25 at
// 10), 1..27 Nov daily but the 15th (flow1 = day, mains 24), October (volume1 100, mains 600),
// Gmax 50 on channel 1 and 5 on channel 2.
void firstNight(FigureStore& store) {
    std::vector<ArchiveRow> hours;
    for (int hour = 0; hour < 24; ++hour) {
        ArchiveRow row{QDate(2026, 11, 28), hour, {hour + 0.5}, {}, hour == 10 ? 0.25 : 1.0};
        if (hour == 5)
            row.channels[0].reset();
        hours.push_back(row);
    }
    store.archiveRows(ArchiveKind::Hourly, hours);
    std::vector<ArchiveRow> days;
    for (int day = 1; day <= 27; ++day)
        if (day != 15)
            days.push_back(ArchiveRow{QDate(2026, 11, day), -1, {double(day)}, {}, 24.0});
    store.archiveRows(ArchiveKind::Daily, days);
    store.archiveRows(ArchiveKind::Monthly,
                      {ArchiveRow{QDate(2026, 10, 1), -1, {100.0}, {}, 600.0, 1}});
    store.parameters(local(11, 29, 1, 31), {{gmaxSlot(1), QStringLiteral("G"), 50},
                                            {gmaxSlot(2), QStringLiteral("G"), 5}});
}

void hourOf29th(FigureStore& store, int hour, double flow) {
    store.archiveRows(ArchiveKind::Hourly, {ArchiveRow{QDate(2026, 11, 29), hour, {flow}, {}, {}}});
}

QString number(const std::optional<double>& value) {
    return value ? QString::number(*value) : QStringLiteral("-");
}

// A slot of a period as "flow1 mains", "x" when the store lacks the row.
QString slotOf(const FigureDatabase& db, qint64 serial, PeriodKind kind, const QDate& date,
               int slot) {
    PeriodFigures figures;
    QString error;
    if (!readPeriod(db.database(), serial, periodHolding(kind, date), figures, error))
        return error;
    const FigureSlot& row = figures.rows.at(size_t(slot));
    return row.stored ? number(row.channels[0]) + QLatin1Char(' ') + number(row.mains)
                      : QStringLiteral("x");
}

QString meters(const FigureDatabase& db) {
    std::vector<MeterRow> rows;
    QString error;
    if (!readMeters(db.database(), rows, error))
        return error;
    QStringList shown;
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
    if (!readNights(db.database(), QDate(2026, month, 1), grid, error))
        return error;
    QStringList rows;
    for (int n = 0; n < int(grid.nodes.size()); ++n) {
        QString row = grid.nodes[n] + QLatin1Char(':');
        for (int day = 0; day < grid.month.daysInMonth(); ++day)
            if (const NightCell& cell = grid.cells[size_t(n)][size_t(day)]; cell.run != 0)
                row += QStringLiteral(" %1=%2").arg(day + 1).arg(cell.run);
        rows << row;
    }
    return rows.join(QStringLiteral("; "));
}

QString runField(const FigureDatabase& db, qint64 run, const char* name) {
    QString error;
    for (const auto& [field, value] : readRun(db.database(), run, error))
        if (field == QLatin1String(name))
            return value;
    return error;
}

// An opening's refusal up to the client library's reason, the URL's text as "URL".
QString refusal(const QString& url) {
    const FigureDatabase db(url);
    QString text = db.errorText();
    text.replace(QUrl::fromPercentEncoding(url.toUtf8()), QStringLiteral("URL"));
    return text.left(text.indexOf(QLatin1Char(':'))).left(text.indexOf(QStringLiteral(" (")));
}

TEST(PostgresFigures, TheWindowsReadersGiveBackWhatTheCollectorsWrote) {
    REQUIRE_POSTGRES();
    const LocalZone zone("<+05>-5");
    const QString url = postgres().newDatabase(QStringLiteral("figures"));
    {
        FigureStore store(url);
        connection(store, "Котельная", "ATD101", local(11, 29, 1, 30), RunResult::Ok, 20001,
                   firstNight);
        connection(store, "Школа", "ATD102", local(11, 29, 13, 0), RunResult::Busy, {});
        connection(
            store, "Котельная", "ATD101", local(11, 30, 1, 30), RunResult::Ok, 20001,
            [](FigureStore& s) {
                s.parameters(local(11, 30, 1, 31), {{gmaxSlot(2), QStringLiteral("G"), 500}});
                hourOf29th(s, 0, 7.25);
            });
        connection(store, "Школа", "ATD102", local(11, 30, 11, 59), RunResult::Ok, 20002,
                   [](FigureStore& s) { hourOf29th(s, 23, 100); });
        connection(store, "Котельная", "ATD101", local(11, 30, 12, 0), RunResult::NoAnswer, 20001);
        connection(store, "Школа", "ATD109", local(11, 30, 13, 0), RunResult::Busy, {});
        ASSERT_FALSE(store.failed()) << store.errorText().toStdString();
    }
    const FigureDatabase db(url);
    ASSERT_FALSE(db.failed()) << db.errorText().toStdString();
    const qint64 before = db.changeCount();
    const auto decimals = [&db] {
        PeriodFigures figures;
        QString error;
        readPeriod(db.database(), 20001, periodHolding(PeriodKind::Day, QDate(2026, 11, 28)),
                   figures, error);
        return QStringLiteral("%1 %2 %3")
            .arg(figures.decimals[0])
            .arg(figures.decimals[1])
            .arg(figures.decimals[2]);
    };
    const auto writeRefused = [&db] {
        QSqlQuery query(db.database());
        return query.exec(QStringLiteral("DELETE FROM runs")) ? QStringLiteral("deleted")
                                                              : query.lastError().nativeErrorCode();
    };
    const auto changeAfterACommit = [&db, &url, before] {
        FigureStore store(url);
        connection(store, "Баня", "ATD5", local(12, 1, 1, 0), RunResult::Ok, 20003);
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
        {"meters, a later unnamed run standing for its node", [&] { return meters(db); },
         "20001|Котельная|ATD101|no answer|2026-11-30 12:00|2026-11-30 01:30|2026-11-29; "
         "20002|Школа|ATD109|busy|2026-11-30 13:00|2026-11-30 11:59|2026-11-29"},
        {"an hour", [&] { return slotOf(db, 20001, PeriodKind::Day, QDate(2026, 11, 28), 4); },
         "4.5 1"},
        {"an hour without its flow",
         [&] { return slotOf(db, 20001, PeriodKind::Day, QDate(2026, 11, 28), 5); }, "- 1"},
        {"an hour of mains off",
         [&] { return slotOf(db, 20001, PeriodKind::Day, QDate(2026, 11, 28), 10); }, "10.5 0.25"},
        {"the next day's one hour",
         [&] { return slotOf(db, 20001, PeriodKind::Day, QDate(2026, 11, 29), 0); }, "7.25 -"},
        {"an hour never read",
         [&] { return slotOf(db, 20001, PeriodKind::Day, QDate(2026, 11, 29), 1); }, "x"},
        {"the month's first day",
         [&] { return slotOf(db, 20001, PeriodKind::Month, QDate(2026, 11, 3), 0); }, "1 24"},
        {"the month's last day read",
         [&] { return slotOf(db, 20001, PeriodKind::Month, QDate(2026, 11, 3), 26); }, "27 24"},
        {"a day never read",
         [&] { return slotOf(db, 20001, PeriodKind::Month, QDate(2026, 11, 3), 14); }, "x"},
        {"October", [&] { return slotOf(db, 20001, PeriodKind::Year, QDate(2026, 5, 1), 9); },
         "100 600"},
        {"September", [&] { return slotOf(db, 20001, PeriodKind::Year, QDate(2026, 5, 1), 8); },
         "x"},
        {"decimals by the latest Gmax", decimals, "3 2 3"},
        {"November's nights", [&] { return nights(db, 11); }, "Котельная: 29=1 30=3; Школа: 30=4"},
        {"a run from noon belongs to the next night", [&] { return nights(db, 12); },
         "Котельная: 1=5; Школа: 1=6"},
        {"a run's start", [&] { return runField(db, 6, "started"); }, "2026-11-30T13:00:00+05:00"},
        {"a run's missing serial", [&] { return runField(db, 6, "serial"); }, "NULL"},
        {"a write in a read-only session", writeRefused, "25006"},
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
