#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace rt570 {

// A table whose rows are keyed by meter and period: hourly, daily, monthly, integrators.
struct KeyedTable {
    QString name;
    QStringList keys;    // serial first
    QStringList figures; // a NULL keeps the stored figure
    QStringList others;  // replaced as they come
};

const std::vector<KeyedTable>& keyedTables();
// The keyed table of that name; the first one when there is none.
const KeyedTable& keyedTable(const QString& name);

// Every column but `run`, in the order the statements bind them: keys, figures, others.
QStringList keyedColumns(const KeyedTable& table);

// Inserts `rows` rows of values bound in the order keys, figures, others, run. A row whose key
// is stored already replaces it: each figure that the new row has, and keeps the stored one
// where the new row has none (NULL); the other columns and the run are replaced. The same key
// must not come twice in one statement. The same text for SQLite and PostgreSQL.
QString upsertStatement(const KeyedTable& table, int rows = 1);

} // namespace rt570
