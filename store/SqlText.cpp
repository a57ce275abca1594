#include "store/SqlText.h"

namespace rt570 {

QString sqlErrorText(const QSqlError& error) {
    const QString database = error.databaseText().trimmed();
    if (!database.isEmpty())
        return database;
    const QString driver = error.driverText().trimmed();
    return driver.isEmpty() ? QStringLiteral("unknown database error") : driver;
}

} // namespace rt570
