#include "store/FigureStore.h"

#include "store/KeyedTables.h"

#include <exception>

// The figures of each kind as the rows that will hold them, and the connection's own row.
namespace rt570 {

namespace {

constexpr int kHoursPerDay = 24;

QVariant figure(const std::optional<double>& value) {
    return value ? QVariant(*value) : QVariant();
}

// Never NULL: the driver would store a null text as NULL.
QVariant text(const QString& value) {
    return value.isNull() ? QVariant(QStringLiteral("")) : QVariant(value);
}

// The PC's clock: local time with its offset from UTC.
QVariant pcTime(const QDateTime& at) {
    if (!at.isValid())
        return QVariant();
    return at.toOffsetFromUtc(at.offsetFromUtc()).toString(Qt::ISODate);
}

// The meter's clock: its wall time, which carries no zone.
QVariant meterTime(const QDateTime& at) {
    if (!at.isValid())
        return QVariant();
    return at.toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss"));
}

const QString kInsertCurrent = QStringLiteral(
    "INSERT INTO current_values (serial, read_at, flow1, flow2, flow3, flow4, "
    "volume1, volume2, volume3, volume4, hours1, hours2, hours3, hours4, mains, meter_clock, "
    "run) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
const QString kInsertParameter = QStringLiteral(
    "INSERT INTO parameters (serial, read_at, slot, name, value, run) VALUES (?, ?, ?, ?, ?, ?)");

const QString kInsertHourly = upsertStatement(keyedTable(QStringLiteral("hourly")));
const QString kInsertDaily = upsertStatement(keyedTable(QStringLiteral("daily")));
const QString kInsertMonthly = upsertStatement(keyedTable(QStringLiteral("monthly")));
const QString kInsertIntegrators = upsertStatement(keyedTable(QStringLiteral("integrators")));

const char* kindName(ArchiveKind kind) {
    switch (kind) {
    case ArchiveKind::Hourly:
        return "an hourly";
    case ArchiveKind::Daily:
        return "a daily";
    case ArchiveKind::Monthly:
        return "a monthly";
    }
    return "an archive";
}

} // namespace

void FigureStore::reportSetOpened(quint32 serial, const QString&) {
    if (accepting("a report set"))
        m_serial = QVariant(qlonglong(serial));
}

void FigureStore::currentValues(const CurrentFigures& f) {
    if (!accepting("current values"))
        return;
    QVariantList values{m_serial, pcTime(f.readAt)};
    for (double v : f.flows)
        values << v;
    for (double v : f.volumes)
        values << v;
    for (double v : f.hours)
        values << v;
    values << f.mains << meterTime(f.meterClock);
    add(kInsertCurrent, std::move(values));
}

void FigureStore::archiveRows(ArchiveKind kind, const std::vector<ArchiveRow>& rows) {
    if (!accepting("archive rows"))
        return;
    for (const ArchiveRow& row : rows) {
        if (!row.date.isValid()) {
            fail(QStringLiteral("%1 archive row has no valid date").arg(kindName(kind)));
            return;
        }
        QVariantList values{m_serial};
        const QString* statement = &kInsertDaily;
        if (kind == ArchiveKind::Monthly) {
            statement = &kInsertMonthly;
            values << row.date.toString(QStringLiteral("yyyy-MM"));
        } else {
            values << row.date.toString(Qt::ISODate);
        }
        if (kind == ArchiveKind::Hourly) {
            if (row.hour < 0 || row.hour >= kHoursPerDay) {
                fail(QStringLiteral("an hourly archive row of %1 has the hour %2")
                         .arg(row.date.toString(Qt::ISODate))
                         .arg(row.hour));
                return;
            }
            statement = &kInsertHourly;
            values << row.hour;
        }
        for (const auto& v : row.channels)
            values << figure(v);
        for (const auto& v : row.hours)
            values << figure(v);
        values << figure(row.mains);
        if (kind == ArchiveKind::Monthly)
            values << row.reportingDay;
        add(*statement, std::move(values));
    }
}

void FigureStore::integrators(const IntegratorFigures& f) {
    if (!accepting("integrators"))
        return;
    if (!f.at.isValid()) {
        fail(QStringLiteral("integrators have no valid time"));
        return;
    }
    QVariantList values{m_serial, meterTime(f.at)};
    for (const auto& v : f.volumes)
        values << figure(v);
    for (const auto& v : f.hours)
        values << figure(v);
    add(kInsertIntegrators, std::move(values));
}

void FigureStore::parameters(const QDateTime& readAt, const std::vector<ParameterFigure>& rows) {
    if (!accepting("parameters"))
        return;
    const QVariant at = pcTime(readAt);
    for (const ParameterFigure& p : rows)
        add(kInsertParameter, QVariantList{m_serial, at, p.slot, text(p.name), p.value});
}

void FigureStore::endConnection(RunResult result, std::optional<quint32> serial, int requests,
                                int errors, int timeouts, const QDateTime& finished) {
    if (!accepting("the end of a connection"))
        return;
    try {
        m_backlog.push_back(EndedConnection{
            m_run.node,
            {text(m_run.node), text(m_run.phone), text(m_run.port), pcTime(m_run.started),
             runResultText(result), serial ? QVariant(qlonglong(*serial)) : QVariant(), requests,
             errors, timeouts, pcTime(finished), text(m_run.operations), text(m_run.version)},
            std::move(m_pending)});
    } catch (const std::exception& e) {
        fail(QStringLiteral("cannot keep the figures: %1").arg(QLatin1String(e.what())));
        return;
    }
    m_pending.clear();
    m_inConnection = false;
    writeBacklog();
}

} // namespace rt570
