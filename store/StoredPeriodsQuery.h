#pragma once

#include "store/CatchUpWindow.h"

#include <QString>

class QSqlDatabase;

namespace rt570 {

// Reads from the figure database what it holds whole of meter `serial` within `window` (see
// StoredPeriods): the same statements on SQLite and PostgreSQL. Empty on success, else the
// database's reason on one line.
QString readStoredPeriods(const QSqlDatabase& db, qint64 serial, const CatchUpWindow& window,
                          StoredPeriods& stored);

} // namespace rt570
