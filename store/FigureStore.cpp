#include "store/FigureStore.h"

#include "store/KeyedTables.h"
#include "store/SqlText.h"
#include "store/StoreDatabase.h"

#include <QDir>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <atomic>
#include <exception>

namespace rt570 {

namespace {

constexpr int kHoursPerDay = 24;

// A write that meets a deadlock or serialization failure on PostgreSQL is run again, up to
// this many times in all, after a pause that grows and differs between collectors, so that
// two of them do not meet again at once.
constexpr int kWriteAttempts = 5;
constexpr int kRetryPauseMs = 50;

QString uniqueConnectionName() {
    static std::atomic<int> counter{0};
    return QStringLiteral("rt570-figures-%1").arg(++counter);
}

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

const QString kInsertRun = QStringLiteral(
    "INSERT INTO runs (node, phone, port, started, result, serial, requests, errors, timeouts, "
    "finished, operations, version) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
const QString kInsertRunReturningId = kInsertRun + QStringLiteral(" RETURNING id");
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

// Another connection holds the lock the statement needs (SQLITE_BUSY, SQLITE_LOCKED): the same
// write may succeed later.
bool isLocked(const QSqlError& error) {
    const int code = error.nativeErrorCode().toInt() & 0xff;
    return code == 5 || code == 6;
}

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

FigureStore::FigureStore(const QString& path, int busyTimeoutMs)
    : m_connectionName(uniqueConnectionName()) {
    const ParsedTarget parsed = parseStoreTarget(path);
    m_name = parsed.ok() ? QDir::toNativeSeparators(parsed.target.text()) : QString();
    if (!parsed.ok()) {
        fail(parsed.error);
        return;
    }
    open(parsed.target, busyTimeoutMs);
}

FigureStore::~FigureStore() {
    close();
}

void FigureStore::open(const StoreTarget& target, int busyTimeoutMs) {
    const QString error = openFigureDatabase(target, m_connectionName, busyTimeoutMs);
    if (!error.isEmpty())
        fail(error);
}

void FigureStore::close() {
    if (!QSqlDatabase::contains(m_connectionName))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connectionName);
}

void FigureStore::fail(const QString& reason) {
    if (m_error.isEmpty())
        m_error = m_name.isEmpty() ? QStringLiteral("figure database: %1").arg(reason)
                                   : QStringLiteral("figure database %1: %2").arg(m_name, reason);
    // The connections still held are lost with the store.
    for (const EndedConnection& connection : m_backlog)
        if (!connection.node.isEmpty())
            m_lostNodes << connection.node;
    m_lost += int(m_backlog.size());
    if (m_inConnection) {
        ++m_lost;
        if (!m_run.node.isEmpty())
            m_lostNodes << m_run.node;
    }
    if (!m_backlog.empty() || m_inConnection)
        m_lostReason = reason;
    m_backlog.clear();
    m_pending.clear();
    m_inConnection = false;
}

QString FigureStore::lostText() const {
    if (m_lost == 0)
        return QString();
    QString text = QStringLiteral("figure database %1: the figures of %2 connection(s) could not "
                                  "be written and are lost")
                       .arg(m_name)
                       .arg(m_lost);
    if (!m_lostNodes.isEmpty())
        text += QStringLiteral(" (nodes %1)").arg(m_lostNodes.join(QStringLiteral(", ")));
    if (!m_lostReason.isEmpty())
        text += QStringLiteral(": ") + m_lostReason;
    return text;
}

bool FigureStore::accepting(const char* what) {
    if (failed())
        return false;
    if (!m_inConnection) {
        fail(QStringLiteral("%1 arrived outside a connection").arg(QLatin1String(what)));
        return false;
    }
    return true;
}

void FigureStore::add(const QString& statement, QVariantList values) {
    try {
        m_pending.push_back(PendingRow{&statement, std::move(values)});
    } catch (const std::exception& e) {
        fail(QStringLiteral("cannot keep the figures: %1").arg(QLatin1String(e.what())));
    }
}

void FigureStore::beginConnection(const RunInfo& run) {
    if (failed())
        return;
    m_pending.clear();
    m_run = run;
    m_serial = QVariant();
    m_inConnection = true;
}

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

void FigureStore::finishRun() {
    if (failed())
        return;
    writeBacklog();
    for (const EndedConnection& connection : m_backlog)
        if (!connection.node.isEmpty())
            m_lostNodes << connection.node;
    m_lost += int(m_backlog.size());
    m_backlog.clear();
}

void FigureStore::writeBacklog() {
    // Oldest first: a later reading of the same period replaces an earlier one.
    while (!m_backlog.empty()) {
        if (writeConnection(m_backlog.front()) != Write::Done)
            return;
        m_backlog.erase(m_backlog.begin());
    }
}

FigureStore::Write FigureStore::writeConnection(const EndedConnection& connection) {
    QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
    QSqlError error;
    for (int attempt = 1; attempt <= kWriteAttempts; ++attempt) {
        if (tryWrite(db, connection, error))
            return Write::Done;
        if (!isPostgres(db) || !isRetryable(error))
            break;
        QThread::msleep(
            static_cast<unsigned long>(kRetryPauseMs * attempt +
                                       QRandomGenerator::global()->bounded(kRetryPauseMs)));
    }
    const QString reason = sqlErrorText(error);
    if (!isPostgres(db) && isLocked(error)) {
        m_lostReason = reason;
        return Write::Locked;
    }
    fail(QStringLiteral("cannot write the figures of the connection: ") + reason);
    return Write::Failed;
}

bool FigureStore::tryWrite(QSqlDatabase& db, const EndedConnection& connection, QSqlError& error) {
    const bool postgres = isPostgres(db);
    QSqlQuery query(db);
    bool ok = query.exec(beginWriteStatement(db));
    if (!ok)
        error = query.lastError();
    const QString* prepared = nullptr;
    auto run = [&](const QString& statement, const QVariantList& values) {
        if (prepared != &statement) {
            if (!query.prepare(statement)) {
                error = query.lastError();
                return false;
            }
            prepared = &statement;
        }
        for (int i = 0; i < values.size(); ++i)
            query.bindValue(i, values[i]);
        if (!query.exec()) {
            error = query.lastError();
            return false;
        }
        return true;
    };
    const bool begun = ok;
    if (ok)
        ok = run(postgres ? kInsertRunReturningId : kInsertRun, connection.runValues);
    QVariant runId;
    if (ok && postgres)
        runId = query.next() ? query.value(0) : QVariant();
    else if (ok)
        runId = query.lastInsertId();
    for (size_t i = 0; ok && i < connection.rows.size(); ++i) {
        QVariantList values = connection.rows[i].values;
        values << runId;
        ok = run(*connection.rows[i].statement, values);
    }
    if (ok && !query.exec(QStringLiteral("COMMIT"))) {
        error = query.lastError();
        ok = false;
    }
    if (!ok && begun)
        query.exec(QStringLiteral("ROLLBACK"));
    return ok;
}

} // namespace rt570
