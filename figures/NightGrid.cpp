#include "figures/NightGrid.h"

#include "store/SqlText.h"
#include "store/StoreDatabase.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <map>

namespace rt570 {

namespace {

constexpr int kNightStartHour = 12;

// A month's runs by their start. An SQLite file keeps it as text that begins with the PC's
// local time: compared as text, "2026-11-30T12:00:00+03:00" is not below the bound
// "2026-11-30T12:00:00". A server keeps the instant, and is given the bound as one.
const QString kNights =
    QStringLiteral("SELECT id, node, started, result FROM runs "
                   "WHERE started >= ? AND started < ? AND node <> '' ORDER BY id");
const QString kRun = QStringLiteral("SELECT * FROM runs WHERE id = ?");

QVariant bound(const QSqlDatabase& db, const QDate& day) {
    const QDateTime noon(day, QTime(kNightStartHour, 0));
    if (isPostgres(db))
        return noon;
    return noon.toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss"));
}

// A field of a run as the store holds it; a server's time as the PC's local time with its
// offset, as an SQLite file keeps it.
QString fieldText(const QVariant& value) {
    if (value.isNull())
        return QStringLiteral("NULL");
    if (value.typeId() == QMetaType::QDateTime) {
        const QDateTime at = value.toDateTime();
        return at.toOffsetFromUtc(at.offsetFromUtc()).toString(Qt::ISODate);
    }
    return value.toString();
}

} // namespace

QDate nightOf(const QDate& date, int hour) {
    return hour >= kNightStartHour ? date.addDays(1) : date;
}

bool readNights(const QSqlDatabase& db, const QDate& month, NightGrid& grid, QString& error) {
    grid = NightGrid{};
    grid.month = QDate(month.year(), month.month(), 1);
    const int days = grid.month.daysInMonth();
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.prepare(kNights);
    query.addBindValue(bound(db, grid.month.addDays(-1)));
    query.addBindValue(bound(db, grid.month.addDays(days - 1)));
    if (!query.exec()) {
        error = sqlErrorText(query.lastError());
        return false;
    }
    std::map<QString, std::vector<NightCell>> rows;
    while (query.next()) {
        // The local date and hour alone: the offset says nothing about the night. (A parse by
        // a format is ten times slower, and a month may hold ten thousand runs.)
        const QString text = query.value(2).toString();
        const QDate date = QDate::fromString(text.left(10), Qt::ISODate);
        bool hourRead = false;
        const int hour = text.mid(11, 2).toInt(&hourRead);
        if (!date.isValid() || !hourRead)
            continue;
        const QDate night = nightOf(date, hour);
        if (night < grid.month || night > grid.month.addDays(days - 1))
            continue;
        std::vector<NightCell>& row = rows[query.value(1).toString()];
        row.resize(size_t(days));
        row[size_t(night.day() - 1)] = {query.value(0).toLongLong(), query.value(3).toString()};
    }
    for (auto& [node, row] : rows) {
        grid.nodes << node;
        grid.cells.push_back(std::move(row));
    }
    return true;
}

QList<QPair<QString, QString>> readRun(const QSqlDatabase& db, qint64 run, QString& error) {
    QList<QPair<QString, QString>> fields;
    QSqlQuery query(db);
    query.prepare(kRun);
    query.addBindValue(run);
    if (!query.exec()) {
        error = sqlErrorText(query.lastError());
        return fields;
    }
    if (!query.next()) {
        error = QStringLiteral("нет запуска %1").arg(run);
        return fields;
    }
    const QSqlRecord record = query.record();
    for (int i = 0; i < record.count(); ++i)
        fields.append({record.fieldName(i), fieldText(query.value(i))});
    return fields;
}

QStringList nightStatements() {
    return {kNights, kRun};
}

} // namespace rt570
