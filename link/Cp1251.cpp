#include "link/Cp1251.h"

#include <QHash>
#include <QStringDecoder>
#include <QStringEncoder>
#include <array>

namespace rt570::cp1251 {

namespace {

const char kName[] = "windows-1251";
constexpr char kUnmappable = '?';
constexpr int kFirstUpper = 0x80;

// The characters of the bytes 0x80..0xFF; the bytes below stand for the same code points
// (ASCII). Qt's converters are looked up by name, and one for this code page exists only in the
// Qt builds that carry a full set of code pages; this table makes the code page work on every
// build. 0x98 has no letter: it stands for the control character U+0098, as Qt's converter
// reads it too.
constexpr std::array<char16_t, 128> kUpperHalf{
    // 0x80
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, //
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F, //
    // 0x90
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, //
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, //
    // 0xA0
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, //
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, //
    // 0xB0
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, //
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, //
    // 0xC0
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417, //
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F, //
    // 0xD0
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427, //
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F, //
    // 0xE0
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437, //
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F, //
    // 0xF0
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447, //
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F, //
};

const QHash<char16_t, char>& upperBytes() {
    static const QHash<char16_t, char> bytes = [] {
        QHash<char16_t, char> map;
        for (int i = 0; i < int(kUpperHalf.size()); ++i)
            map.insert(kUpperHalf[size_t(i)], char(kFirstUpper + i));
        return map;
    }();
    return bytes;
}

// The length in UTF-16 units of the code point at `i`: 2 for a surrogate pair, else 1.
qsizetype codePointLength(QStringView text, qsizetype i) {
    return text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2 : 1;
}

void flag(bool* unmappable, bool value) {
    if (unmappable)
        *unmappable = value;
}

} // namespace

QByteArray encodeWithTable(QStringView text, bool* unmappable) {
    QByteArray bytes;
    bytes.reserve(text.size());
    bool missing = false;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype length = codePointLength(text, i);
        const char16_t unit = text[i].unicode();
        const auto upper = upperBytes().constFind(unit);
        if (length == 1 && unit < kFirstUpper) {
            bytes += char(unit);
        } else if (length == 1 && upper != upperBytes().constEnd()) {
            bytes += *upper;
        } else {
            bytes += kUnmappable;
            missing = true;
        }
        i += length;
    }
    flag(unmappable, missing);
    return bytes;
}

QString decodeWithTable(QByteArrayView bytes) {
    QString text;
    text.reserve(bytes.size());
    for (const char byte : bytes) {
        const auto value = uchar(byte);
        text += QChar(value < kFirstUpper ? char16_t(value) : kUpperHalf[value - kFirstUpper]);
    }
    return text;
}

QByteArray encode(QStringView text, bool* unmappable) {
    QStringEncoder encoder(kName);
    if (!encoder.isValid())
        return encodeWithTable(text, unmappable);
    QByteArray bytes = encoder.encode(text);
    flag(unmappable, encoder.hasError());
    if (!encoder.hasError())
        return bytes;
    // Qt's converter puts its own substitute byte for a character it cannot write; encode one
    // code point at a time and put '?' for each one that fails.
    bytes.clear();
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype length = codePointLength(text, i);
        QStringEncoder single(kName);
        const QByteArray piece = single.encode(text.mid(i, length));
        bytes += single.hasError() || piece.isEmpty() ? QByteArray(1, kUnmappable) : piece;
        i += length;
    }
    return bytes;
}

QString decode(QByteArrayView bytes) {
    QStringDecoder decoder(kName);
    if (!decoder.isValid())
        return decodeWithTable(bytes);
    return decoder.decode(bytes);
}

} // namespace rt570::cp1251
