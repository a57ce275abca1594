#pragma once

#include "store/SchemaSteps.h"

namespace rt570 {

// The figure database's schema on a PostgreSQL server, step by step: the same tables, columns,
// keys and steps as figureSchemaSteps(), in the server's own types. Times of the PC's clock are
// `timestamptz`, the meter's wall times `timestamp` (it carries no zone), days `date`, months
// text ("2026-12"), figures `double precision`; serial numbers and run ids are `bigint`.
const std::vector<SchemaStep>& postgresSchemaSteps();

// As upgradeSchema() for SQLite: brings the database from the version it holds to
// steps.size() in one transaction. The version is kept in a table of its own, `schema_version`
// (one row). Two programs that upgrade the same database at the same moment take turns: the
// steps run under a transaction-level advisory lock, and the version is read again under it.
// A database that already holds the latest version is only read.
QString upgradePostgresSchema(QSqlDatabase& db, const std::vector<SchemaStep>& steps);

// The version a PostgreSQL database holds (0 when it has no version table), or -1 with `error`.
int postgresSchemaVersion(QSqlDatabase& db, QString& error);

} // namespace rt570
