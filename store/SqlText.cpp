#include "store/SqlText.h"

namespace rt570 {

QString sqlErrorText(const QSqlError& error) {
    const QString database = error.databaseText().simplified();
    if (!database.isEmpty())
        return database;
    const QString driver = error.driverText().simplified();
    return driver.isEmpty() ? QStringLiteral("unknown database error") : driver;
}

} // namespace rt570
