#include "figures/MeterList.h"

#include "store/SqlText.h"

#include <QSqlError>
#include <QSqlQuery>
#include <map>

namespace rt570 {

namespace {

constexpr qint64 kOverdueSeconds = 2 * 24 * 3600;

// Per meter: its latest run, the start of its latest good run and its last hourly day.
const QString kMeters = QStringLiteral(
    "SELECT m.serial, m.latest, r.node, r.phone, r.started, r.result, "
    "(SELECT g.started FROM runs AS g WHERE g.id = "
    "(SELECT MAX(id) FROM runs WHERE serial = m.serial AND result = 'ok')), "
    "(SELECT MAX(date) FROM hourly WHERE serial = m.serial) "
    "FROM (SELECT serial, MAX(id) AS latest FROM runs WHERE serial IS NOT NULL GROUP BY serial) "
    "AS m JOIN runs AS r ON r.id = m.latest ORDER BY m.serial");

// Per node: its latest run that named no meter.
const QString kUnnamedRuns =
    QStringLiteral("SELECT node, id, phone, started, result FROM runs WHERE id IN "
                   "(SELECT MAX(id) FROM runs WHERE serial IS NULL AND node <> '' GROUP BY node)");

// The PC's time of a run: a server's timestamp, or the text an SQLite file keeps.
QDateTime pcTime(const QVariant& value) {
    if (value.isNull())
        return {};
    if (value.typeId() == QMetaType::QDateTime)
        return value.toDateTime();
    return QDateTime::fromString(value.toString(), Qt::ISODate);
}

struct UnnamedRun {
    qint64 id = 0;
    QString phone;
    QDateTime started;
    QString result;
};

} // namespace

bool readMeters(const QSqlDatabase& db, std::vector<MeterRow>& meters, QString& error) {
    meters.clear();
    QSqlQuery query(db);
    query.setForwardOnly(true);
    std::map<QString, UnnamedRun> unnamed;
    if (!query.exec(kUnnamedRuns)) {
        error = sqlErrorText(query.lastError());
        return false;
    }
    while (query.next())
        unnamed[query.value(0).toString()] = {query.value(1).toLongLong(),
                                              query.value(2).toString(), pcTime(query.value(3)),
                                              query.value(4).toString()};
    if (!query.exec(kMeters)) {
        error = sqlErrorText(query.lastError());
        return false;
    }
    while (query.next()) {
        MeterRow meter;
        meter.serial = query.value(0).toLongLong();
        const qint64 latest = query.value(1).toLongLong();
        meter.node = query.value(2).toString();
        meter.phone = query.value(3).toString();
        meter.lastRun = pcTime(query.value(4));
        meter.lastResult = query.value(5).toString();
        meter.lastGoodRun = pcTime(query.value(6));
        meter.lastHourlyDay = QDate::fromString(query.value(7).toString(), Qt::ISODate);
        const auto later = unnamed.find(meter.node);
        if (!meter.node.isEmpty() && later != unnamed.end() && later->second.id > latest) {
            meter.phone = later->second.phone;
            meter.lastRun = later->second.started;
            meter.lastResult = later->second.result;
        }
        meters.push_back(meter);
    }
    return true;
}

bool isOverdue(const MeterRow& meter, const QDateTime& now) {
    return !meter.lastGoodRun.isValid() || meter.lastGoodRun.secsTo(now) > kOverdueSeconds;
}

bool meterMatches(const MeterRow& meter, const QString& filter) {
    const QString wanted = filter.trimmed();
    return wanted.isEmpty() || meter.node.contains(wanted, Qt::CaseInsensitive) ||
           meter.phone.contains(wanted, Qt::CaseInsensitive) ||
           QString::number(meter.serial).contains(wanted);
}

QStringList meterListStatements() {
    return {kMeters, kUnnamedRuns};
}

} // namespace rt570
