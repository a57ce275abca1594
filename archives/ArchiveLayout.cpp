#include "archives/ArchiveLayout.h"

#include "state/NumberText.h"

namespace rt570 {

namespace {

constexpr int kHoursWidth = 4;
constexpr int kHoursDecimals = 2;
constexpr int kSerialWidth = 6;
constexpr int kIntegratorWidth = 11;

// Column order of a row: the four channels, the four operating times, then the mains time.
constexpr std::array<int, kArchiveQuantities> kColumnOrder{0, 1, 2, 3, 5, 6, 7, 8, 4};

const QString kCellEnd = QStringLiteral(" | ");

const std::array<QString, kArchiveQuantities> kIntegratorLabels{
    QStringLiteral("V1 , м3 : "),  QStringLiteral("V2 , м3 : "),  QStringLiteral("V3 , м3 : "),
    QStringLiteral("V4 , м3 : "),  QStringLiteral("В1 , час : "), QStringLiteral("В2 , час : "),
    QStringLiteral("В3 , час : "), QStringLiteral("В4 , час : "), QStringLiteral("ТC , час : ")};

QString channelText(double value, const ChannelFormat& format, ChannelCells kind) {
    return formatFixed(channelFigure(value, format, kind), format.width, format.decimals);
}

} // namespace

QString RuleLine() {
    return QString(kRuleLength, QLatin1Char('_'));
}

QString hoursText(double units) {
    return formatFixed(hoursFigure(units), kHoursWidth, kHoursDecimals);
}

QString recordCells(const ArchiveRecord& record, const ChannelFormats& formats, ChannelCells kind) {
    QString cells;
    for (int q : kColumnOrder) {
        const double value = record[size_t(q)];
        cells +=
            q < kMainsQuantity ? channelText(value, formats[size_t(q)], kind) : hoursText(value);
        cells += kCellEnd;
    }
    return cells;
}

QString tableRow(int label, const ArchiveRecord& record, const ChannelFormats& formats,
                 ChannelCells kind) {
    return QStringLiteral("| ") + formatZeroPadded(label, 2) + QStringLiteral(": | ") +
           recordCells(record, formats, kind);
}

QString flowUnitsHead() {
    // "м3/ч", "ч" Cyrillic.
    return QStringLiteral(
        "|     |  м3/ч  |  м3/ч  |  м3/ч  |  м3/ч  |   ч  |   ч  |   ч  |   ч  |   ч  |");
}

QStringList headerBlock(const QString& title, const QString& deviceLine, const QString& head1,
                        const QString& head2) {
    return {title, deviceLine, QStringLiteral(" "), RuleLine(), head1, head2, RuleLine()};
}

QString deviceLine(double serial, bool blankAfterColon) {
    QString line = QStringLiteral("Расходомер RT570-4: серийный №:");
    if (blankAfterColon)
        line += QLatin1Char(' ');
    return line + formatFixedLeft(serial, kSerialWidth, 0);
}

QString titleMonth(int yy, int month) {
    return formatZeroPadded(yy + 2000, 4) + QLatin1Char('.') + formatZeroPadded(month, 2);
}

QString titleDay(int yy, int month, int day) {
    return titleMonth(yy, month) + QLatin1Char('.') + formatZeroPadded(day, 2);
}

QString integratorLine(const QString& label, double value, int decimals) {
    return label + formatFixed(value, kIntegratorWidth, decimals) + QStringLiteral("  ");
}

QStringList integratorLines(const ArchiveRecord& values, const ChannelFormats& formats) {
    QStringList lines;
    for (int q : kColumnOrder) {
        const QString& label = kIntegratorLabels[size_t(lines.size())];
        const double value = values[size_t(q)];
        if (q < kMainsQuantity) {
            const ChannelFormat& format = formats[size_t(q)];
            lines << integratorLine(label, channelFigure(value, format, ChannelCells::Volume),
                                    format.decimals);
        } else {
            lines << integratorLine(label, hoursFigure(value), kHoursDecimals);
        }
    }
    return lines;
}

} // namespace rt570
