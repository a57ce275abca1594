#pragma once

#include <QString>
#include <QStringList>
#include <vector>

class QSqlDatabase;

namespace rt570 {

// The statements that take a database schema from version N to version N + 1; step i of a list
// makes version i + 1. A later version appends a step and never edits an earlier one, so a
// database of any earlier version reaches the latest by running the steps it lacks, in order.
using SchemaStep = QStringList;

// Brings the database from the version it holds (PRAGMA user_version, 0 for a new file) to
// steps.size(): runs the missing steps in order and stores the new version, all in one
// transaction, so a failing step leaves the database as it was. A database that holds a later
// version than the steps know is left untouched. Returns an empty text on success, else the
// reason (the database's own message, or the versions that do not match).
QString upgradeSchema(QSqlDatabase& db, const std::vector<SchemaStep>& steps);

// The version the database holds, or -1 with `error` set when it cannot be read.
int schemaVersion(QSqlDatabase& db, QString& error);

} // namespace rt570
