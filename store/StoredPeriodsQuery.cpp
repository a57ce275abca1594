#include "store/StoredPeriodsQuery.h"

#include "store/FigureStore.h"
#include "store/KeyedTables.h"
#include "store/SqlText.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>

namespace rt570 {

namespace {

constexpr int kHoursPerDay = 24;

// "flow1 IS NOT NULL AND ...": every figure of the table's row is there.
QString everyFigure(const QString& table) {
    QStringList conditions;
    for (const QString& column : keyedTable(table).figures)
        conditions << column + QStringLiteral(" IS NOT NULL");
    return conditions.join(QStringLiteral(" AND "));
}

// The periods a statement yields in its first column, between `from` and `to` (both as the
// table keeps them), as dates: days, or with `months` a month "2026-12" as its first day.
QString readPeriods(const QSqlDatabase& db, const QString& statement, qint64 serial,
                    const QString& from, const QString& to, bool months, std::set<QDate>& periods) {
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.prepare(statement))
        return sqlErrorText(query.lastError());
    query.addBindValue(serial);
    query.addBindValue(from);
    query.addBindValue(to);
    if (!query.exec())
        return sqlErrorText(query.lastError());
    while (query.next()) {
        // SQLite gives the text, PostgreSQL a date for a day.
        const QVariant value = query.value(0);
        const QDate date =
            months ? QDate::fromString(value.toString() + QStringLiteral("-01"), Qt::ISODate)
                   : value.toDate();
        if (date.isValid())
            periods.insert(date);
    }
    return {};
}

} // namespace

QString readStoredPeriods(const QSqlDatabase& db, qint64 serial, const CatchUpWindow& window,
                          StoredPeriods& stored) {
    stored = StoredPeriods{};
    const QString firstDay = window.first.toString(Qt::ISODate);
    const QString lastDay = window.last.toString(Qt::ISODate);
    const QString hourly =
        QStringLiteral("SELECT date FROM hourly WHERE serial = ? AND date BETWEEN ? AND ? AND %1 "
                       "GROUP BY date HAVING COUNT(*) = %2")
            .arg(everyFigure(QStringLiteral("hourly")))
            .arg(kHoursPerDay);
    const QString daily =
        QStringLiteral("SELECT date FROM daily WHERE serial = ? AND date BETWEEN ? AND ? AND %1")
            .arg(everyFigure(QStringLiteral("daily")));
    const QString monthly =
        QStringLiteral("SELECT month FROM monthly WHERE serial = ? AND month BETWEEN ? AND ? "
                       "AND %1")
            .arg(everyFigure(QStringLiteral("monthly")));
    const QString month = QStringLiteral("yyyy-MM");
    QString error = readPeriods(db, hourly, serial, firstDay, lastDay, false, stored.hourlyDays);
    if (error.isEmpty())
        error = readPeriods(db, daily, serial, firstDay, lastDay, false, stored.dailyDays);
    if (error.isEmpty())
        error = readPeriods(db, monthly, serial, window.first.toString(month),
                            window.last.toString(month), true, stored.months);
    return error;
}

// A member of FigureStore, kept here beside the statements it runs.
QString FigureStore::findMissing(quint32 serial, const CatchUpWindow& window,
                                 MissingPeriods& missing) {
    missing = MissingPeriods{};
    if (failed())
        return m_error;
    StoredPeriods stored;
    const QString error = readStoredPeriods(QSqlDatabase::database(m_connectionName, false),
                                            qint64(serial), window, stored);
    if (!error.isEmpty())
        return QStringLiteral("figure database %1: cannot tell which periods are missing: %2")
            .arg(m_name, error);
    missing = missingPeriods(window, stored);
    return {};
}

} // namespace rt570
