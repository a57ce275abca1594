#include "store/ImportRows.h"

#include <QDateTime>

namespace rt570::storeimport {

const QStringList kRunColumns{
    QStringLiteral("node"),     QStringLiteral("phone"),      QStringLiteral("port"),
    QStringLiteral("started"),  QStringLiteral("result"),     QStringLiteral("serial"),
    QStringLiteral("requests"), QStringLiteral("errors"),     QStringLiteral("timeouts"),
    QStringLiteral("finished"), QStringLiteral("operations"), QStringLiteral("version")};
const QStringList kCurrentColumns{
    QStringLiteral("serial"),     QStringLiteral("read_at"), QStringLiteral("flow1"),
    QStringLiteral("flow2"),      QStringLiteral("flow3"),   QStringLiteral("flow4"),
    QStringLiteral("volume1"),    QStringLiteral("volume2"), QStringLiteral("volume3"),
    QStringLiteral("volume4"),    QStringLiteral("hours1"),  QStringLiteral("hours2"),
    QStringLiteral("hours3"),     QStringLiteral("hours4"),  QStringLiteral("mains"),
    QStringLiteral("meter_clock")};
const QStringList kParameterColumns{QStringLiteral("serial"), QStringLiteral("read_at"),
                                    QStringLiteral("slot"), QStringLiteral("name"),
                                    QStringLiteral("value")};

// A connection's columns (kRunColumns' order) as one text that is the same whichever engine
// they were read from: the PC's times as UTC instants, NULL apart from any text.
QString runKey(const QVariantList& values) {
    static const int started = int(kRunColumns.indexOf(QStringLiteral("started")));
    static const int finished = int(kRunColumns.indexOf(QStringLiteral("finished")));
    QStringList parts;
    for (int i = 0; i < values.size(); ++i) {
        const QVariant& value = values[i];
        QString part = value.isNull() ? QStringLiteral("\u0001") : value.toString();
        if (!value.isNull() && (i == started || i == finished)) {
            const QDateTime at = value.typeId() == QMetaType::QDateTime
                                     ? value.toDateTime()
                                     : QDateTime::fromString(part, Qt::ISODate);
            if (at.isValid())
                part = at.toUTC().toString(Qt::ISODateWithMs);
        }
        parts << part;
    }
    return parts.join(QChar(0x1f));
}

namespace {

QString placeholders(int count) {
    return QStringLiteral("?") + QStringLiteral(", ?").repeated(count - 1);
}

} // namespace

QString insertText(const QString& table, const QStringList& columns) {
    return QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
        .arg(table, columns.join(QStringLiteral(", ")), placeholders(int(columns.size())));
}

} // namespace rt570::storeimport
