#pragma once

#include <QByteArray>
#include <QDate>
#include <QString>
#include <ostream>

// Test failures show texts as UTF-8 rather than as arrays of 16-bit units.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toUtf8().toStdString() << '"';
}

// Dates as 2026-12-08.
inline void PrintTo(const QDate& date, std::ostream* out) {
    *out << date.toString(Qt::ISODate).toStdString();
}
