#pragma once

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariantList>

class QSqlDatabase;

// The rows an import reads from the source and writes to the target.
namespace rt570::storeimport {

extern const QStringList kRunColumns;
extern const QStringList kCurrentColumns;
extern const QStringList kParameterColumns;

// A connection's columns (kRunColumns' order) as one text that is the same whichever engine
// they were read from: the PC's times as UTC instants, NULL apart from any text.
QString runKey(const QVariantList& values);

// An INSERT of `columns` into `table`, one placeholder for each.
QString insertText(const QString& table, const QStringList& columns);

// The rows of a source table in the order of their connection, read alongside the runs.
class RunRows {
public:
    RunRows(QSqlDatabase& db, const QString& table, const QStringList& columns)
        : m_query(db), m_columns(int(columns.size())) {
        m_query.setForwardOnly(true);
        m_ok = m_query.exec(QStringLiteral("SELECT %1, run FROM %2 ORDER BY run, rowid")
                                .arg(columns.join(QStringLiteral(", ")), table));
        m_has = m_ok && m_query.next();
    }
    bool ok() const { return m_ok; }
    QSqlError error() const { return m_query.lastError(); }
    // Calls `take` with the values of each row of connection `run`, skipping rows of earlier
    // connections that have no row in `runs`; false when `take` fails.
    template <typename Take> bool rowsOf(qlonglong run, Take take) {
        while (m_has && m_query.value(m_columns).toLongLong() < run)
            m_has = m_query.next();
        while (m_has && m_query.value(m_columns).toLongLong() == run) {
            QVariantList values;
            for (int i = 0; i < m_columns; ++i)
                values << m_query.value(i);
            if (!take(values))
                return false;
            m_has = m_query.next();
        }
        return true;
    }

private:
    QSqlQuery m_query;
    int m_columns;
    bool m_ok = false;
    bool m_has = false;
};

} // namespace rt570::storeimport
