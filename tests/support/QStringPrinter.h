#pragma once

#include <QByteArray>
#include <QString>
#include <ostream>

// Test failures show texts as UTF-8 rather than as arrays of 16-bit units.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toUtf8().toStdString() << '"';
}
