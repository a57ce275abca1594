#include "store/FigureStore.h"

#include "store/StoreDatabase.h"

#include <QDir>
#include <QSqlDatabase>
#include <atomic>
#include <exception>

namespace rt570 {

namespace {

QString uniqueConnectionName() {
    static std::atomic<int> counter{0};
    return QStringLiteral("rt570-figures-%1").arg(++counter);
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

} // namespace rt570
