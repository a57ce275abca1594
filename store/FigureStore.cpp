#include "store/FigureStore.h"

#include "store/FigureSchema.h"
#include "store/SqlText.h"

#include <QDir>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <atomic>
#include <exception>

namespace rt570 {

namespace {

// How long a write waits for another program's lock on the file before it fails.
constexpr int kBusyTimeoutMs = 2000;
constexpr int kHoursPerDay = 24;

const QString kDriver = QStringLiteral("QSQLITE");

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
    "INSERT INTO runs (node, phone, port, started, result, serial, requests, errors, timeouts) "
    "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)");
const QString kInsertCurrent = QStringLiteral(
    "INSERT INTO current_values (serial, read_at, flow1, flow2, flow3, flow4, "
    "volume1, volume2, volume3, volume4, hours1, hours2, hours3, hours4, mains, meter_clock, "
    "run) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
const QString kInsertHourly = QStringLiteral(
    "INSERT OR REPLACE INTO hourly (serial, date, hour, flow1, flow2, flow3, flow4, "
    "hours1, hours2, hours3, hours4, mains, run) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
const QString kInsertDaily = QStringLiteral(
    "INSERT OR REPLACE INTO daily (serial, date, flow1, flow2, flow3, flow4, "
    "hours1, hours2, hours3, hours4, mains, run) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
const QString kInsertMonthly = QStringLiteral(
    "INSERT OR REPLACE INTO monthly (serial, month, volume1, volume2, volume3, volume4, "
    "hours1, hours2, hours3, hours4, mains, run) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
const QString kInsertIntegrators = QStringLiteral(
    "INSERT OR REPLACE INTO integrators (serial, at, volume1, volume2, volume3, volume4, run) "
    "VALUES (?, ?, ?, ?, ?, ?, ?)");
const QString kInsertParameter = QStringLiteral(
    "INSERT INTO parameters (serial, read_at, slot, name, value, run) VALUES (?, ?, ?, ?, ?, ?)");

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

QString runResultText(RunResult result) {
    switch (result) {
    case RunResult::Ok:
        return QStringLiteral("ok");
    case RunResult::Busy:
        return QStringLiteral("busy");
    case RunResult::NoCarrier:
        return QStringLiteral("no carrier");
    case RunResult::NoAnswer:
        return QStringLiteral("no answer");
    case RunResult::NoDialtone:
        return QStringLiteral("no dialtone");
    case RunResult::ModemError:
        return QStringLiteral("modem error");
    case RunResult::ModemSilent:
        return QStringLiteral("modem silent");
    case RunResult::LinkFailed:
        return QStringLiteral("link failed");
    case RunResult::FileError:
        return QStringLiteral("file error");
    case RunResult::BadPhone:
        return QStringLiteral("bad phone");
    case RunResult::Interrupted:
        return QStringLiteral("interrupted");
    }
    return QStringLiteral("unknown");
}

FigureStore::FigureStore(const QString& path)
    : m_path(path), m_connectionName(uniqueConnectionName()) {
    open();
}

FigureStore::~FigureStore() {
    close();
}

void FigureStore::open() {
    if (m_path.isEmpty()) {
        fail(QStringLiteral("no file name given"));
        return;
    }
    if (!QSqlDatabase::isDriverAvailable(kDriver)) {
        fail(QStringLiteral("the SQLite driver of Qt SQL is missing (install the Debian package "
                            "libqt6sql6-sqlite)"));
        return;
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(kDriver, m_connectionName);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));
    db.setDatabaseName(m_path);
    if (!db.open()) {
        fail(QStringLiteral("cannot open it: ") + sqlErrorText(db.lastError()));
        return;
    }
    const QString error = upgradeSchema(db, figureSchemaSteps());
    if (!error.isEmpty())
        fail(QStringLiteral("cannot prepare its tables: ") + error);
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
        m_error =
            QStringLiteral("figure database %1: %2").arg(QDir::toNativeSeparators(m_path), reason);
    m_pending.clear();
    m_inConnection = false;
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
                                int errors, int timeouts) {
    if (!accepting("the end of a connection"))
        return;
    const QVariantList runValues{text(m_run.node),
                                 text(m_run.phone),
                                 text(m_run.port),
                                 pcTime(m_run.started),
                                 runResultText(result),
                                 serial ? QVariant(qlonglong(*serial)) : QVariant(),
                                 requests,
                                 errors,
                                 timeouts};
    if (writeConnection(runValues)) {
        m_pending.clear();
        m_inConnection = false;
    }
}

bool FigureStore::writeConnection(const QVariantList& runValues) {
    QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
    QSqlQuery query(db);
    // The write lock is asked for at once, so a file locked by another program fails here,
    // after the busy time-out, and not halfway through the rows.
    if (!query.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
        fail(QStringLiteral("cannot write the figures of the connection: ") +
             sqlErrorText(query.lastError()));
        return false;
    }
    QString error;
    const QString* prepared = nullptr;
    auto run = [&](const QString& statement, const QVariantList& values) {
        if (prepared != &statement) {
            if (!query.prepare(statement)) {
                error = sqlErrorText(query.lastError());
                return false;
            }
            prepared = &statement;
        }
        for (int i = 0; i < values.size(); ++i)
            query.bindValue(i, values[i]);
        if (!query.exec()) {
            error = sqlErrorText(query.lastError());
            return false;
        }
        return true;
    };
    bool ok = run(kInsertRun, runValues);
    const QVariant runId = query.lastInsertId();
    for (size_t i = 0; ok && i < m_pending.size(); ++i) {
        QVariantList values = m_pending[i].values;
        values << runId;
        ok = run(*m_pending[i].statement, values);
    }
    if (ok && !query.exec(QStringLiteral("COMMIT"))) {
        error = sqlErrorText(query.lastError());
        ok = false;
    }
    if (ok)
        return true;
    query.exec(QStringLiteral("ROLLBACK"));
    fail(QStringLiteral("cannot write the figures of the connection: ") + error);
    return false;
}

} // namespace rt570
