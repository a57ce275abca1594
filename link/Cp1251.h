#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// The Windows-1251 code page: the report files, the node list and the modem's dial text use it.
namespace rt570::cp1251 {

// The bytes of `text`. Each code point the code page has no byte for becomes one '?';
// `*unmappable`, when given, tells whether that happened.
QByteArray encode(QStringView text, bool* unmappable = nullptr);
// The text of `bytes`; every byte stands for a character.
QString decode(QByteArrayView bytes);

// The same, always from the code page's own table, whatever converters Qt offers. encode() and
// decode() use these where Qt has no converter for the code page.
QByteArray encodeWithTable(QStringView text, bool* unmappable = nullptr);
QString decodeWithTable(QByteArrayView bytes);

} // namespace rt570::cp1251
