#pragma once

#include <QSqlError>
#include <QString>

namespace rt570 {

// The reason a statement failed, on one line, as the database put it ("database is locked", "file
// is not a database"), else as the driver did.
QString sqlErrorText(const QSqlError& error);

} // namespace rt570
