#include "gsm/NodeListReader.h"

#include "link/Cp1251.h"

#include <QFile>
#include <QHash>
#include <QStringView>
#include <cstdint>

namespace rt570 {

namespace {

// The node list: Windows-1251 text, section [baza] with kol_uzlov, tel_<n> and name_u<n>.
const QString kSection = QStringLiteral("baza");
const QString kCountKey = QStringLiteral("kol_uzlov");
const QString kPhonePrefix = QStringLiteral("tel_");
const QString kNamePrefix = QStringLiteral("name_u");

// A node list is a few kilobytes; anything larger than this is not one and is not read.
constexpr qint64 kMaxFileSize = 16 * 1024 * 1024;

// A UTF-8 byte order mark: a file saved as UTF-8 by an editor is read as UTF-8.
const QByteArray kUtf8Bom("\xEF\xBB\xBF");

bool isBlankOrControl(QChar c) {
    const char16_t u = c.unicode();
    return u <= 0x20 || (u >= 0x7F && u <= 0x9F);
}

QStringView trimmed(QStringView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlankOrControl(text[begin]))
        ++begin;
    while (end > begin && isBlankOrControl(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

QString decode(QByteArray bytes) {
    // A zero byte ends the text.
    const qsizetype zero = bytes.indexOf('\0');
    if (zero >= 0)
        bytes.truncate(zero);
    if (bytes.startsWith(kUtf8Bom))
        return QString::fromUtf8(bytes.constData() + kUtf8Bom.size(),
                                 bytes.size() - kUtf8Bom.size());
    return cp1251::decode(bytes);
}

// The keys of the last [baza] section, folded to lower case, each with its last value.
QHash<QString, QString> sectionKeys(const QString& text) {
    QHash<QString, QString> keys;
    bool inSection = false;
    qsizetype pos = 0;
    const qsizetype size = text.size();
    while (pos < size) {
        qsizetype end = pos;
        while (end < size && text[end] != QLatin1Char('\r') && text[end] != QLatin1Char('\n'))
            ++end;
        const QStringView line = trimmed(QStringView(text).mid(pos, end - pos));
        pos = end + 1;
        if (line.isEmpty() || line.front() == QLatin1Char(';'))
            continue;
        if (line.size() >= 2 && line.front() == QLatin1Char('[') &&
            line.back() == QLatin1Char(']')) {
            const QString name = trimmed(line.mid(1, line.size() - 2)).toString().toLower();
            inSection = name == kSection;
            // A later section of the same name replaces the earlier one.
            if (inSection)
                keys.clear();
            continue;
        }
        if (!inSection)
            continue;
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals < 0)
            continue;
        const QString key = trimmed(line.left(equals)).toString().toLower();
        keys.insert(key, trimmed(line.mid(equals + 1)).toString());
    }
    return keys;
}

int digitValue(QChar c, int base) {
    const char16_t u = c.unicode();
    int v = 99;
    if (u >= '0' && u <= '9')
        v = u - '0';
    else if (u >= 'a' && u <= 'f')
        v = u - 'a' + 10;
    else if (u >= 'A' && u <= 'F')
        v = u - 'A' + 10;
    return v < base ? v : -1;
}

} // namespace

int parseNodeCount(QStringView text) {
    int base = 10;
    bool negative = false;
    qsizetype pos = 0;
    if (text.startsWith(QLatin1String("0x")) || text.startsWith(QLatin1String("0X"))) {
        base = 16;
        pos = 2;
    } else if (!text.isEmpty() && (text[0] == QLatin1Char('+') || text[0] == QLatin1Char('-'))) {
        negative = text[0] == QLatin1Char('-');
        pos = 1;
    }
    if (pos == text.size())
        return 0;
    // The count is a 32-bit signed number: a value beyond its range is not one.
    const int64_t limit = negative ? int64_t(INT32_MAX) + 1 : int64_t(INT32_MAX);
    int64_t value = 0;
    for (; pos < text.size(); ++pos) {
        const int digit = digitValue(text[pos], base);
        if (digit < 0)
            return 0;
        value = value * base + digit;
        if (value > limit)
            return 0;
    }
    return static_cast<int>(negative ? -value : value);
}

NodeDirectory parseNodeList(const QByteArray& bytes) {
    NodeDirectory nodes;
    const QHash<QString, QString> keys = sectionKeys(decode(bytes));
    const int count = parseNodeCount(keys.value(kCountKey));
    if (count <= 0)
        return nodes;
    // Room for 255 nodes: a larger count loads the first 255.
    nodes.loaded = count < kMaxNodes ? count : kMaxNodes;
    for (int n = 1; n <= nodes.loaded; ++n) {
        const QString number = QString::number(n);
        nodes.entries[n].phone = keys.value(kPhonePrefix + number);
        nodes.entries[n].name = keys.value(kNamePrefix + number);
    }
    return nodes;
}

NodeDirectory LoadNodeDirectory(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxFileSize)
        return {};
    const QByteArray bytes = file.read(kMaxFileSize + 1);
    if (file.error() != QFileDevice::NoError || bytes.size() > kMaxFileSize)
        return {};
    return parseNodeList(bytes);
}

QString NodeDirectory::phoneAt(int position) const {
    const int entry = position + 1;
    if (entry < 0 || entry >= kNodeEntries)
        return {};
    return entries[static_cast<size_t>(entry)].phone;
}

} // namespace rt570
