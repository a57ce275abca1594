#include "figures/FigureTable.h"

#include "store/CsvText.h"

namespace rt570 {

namespace {

constexpr int kHoursDecimals = 2;

QString slotDay(const Period& period, int slot) {
    const QDate date = slotDate(period, slot);
    return period.kind == PeriodKind::Year ? date.toString(QStringLiteral("yyyy-MM"))
                                           : date.toString(Qt::ISODate);
}

// The columns of the command line's CSV files of the same archive.
QStringList csvTitles(const Period& period) {
    QStringList titles{QStringLiteral("serial"), QStringLiteral("node")};
    titles << (period.kind == PeriodKind::Year ? QStringLiteral("month") : QStringLiteral("date"));
    if (period.kind == PeriodKind::Day)
        titles << QStringLiteral("hour");
    for (int n = 1; n <= 4; ++n)
        titles << (showsVolumes(period) ? QStringLiteral("V%1, m3") : QStringLiteral("G%1, m3/h"))
                      .arg(n);
    for (int n = 1; n <= 4; ++n)
        titles << QStringLiteral("B%1, h").arg(n);
    titles << QStringLiteral("Tc, h");
    return titles;
}

QList<QStringList> csvRows(const PeriodFigures& figures, const QString& node, QChar decimal) {
    QList<QStringList> rows;
    rows << csvTitles(figures.period);
    const bool volumes = showsVolumes(figures.period);
    for (int slot = 0; slot < int(figures.rows.size()); ++slot) {
        const FigureSlot& row = figures.rows[size_t(slot)];
        QStringList fields{QString::number(figures.serial), node, slotDay(figures.period, slot)};
        if (figures.period.kind == PeriodKind::Day)
            fields << QString::number(slot);
        for (const auto& value : row.channels)
            fields << (!value    ? QString()
                       : volumes ? csvNumber(*value, decimal)
                                 : csvSingle(*value, decimal));
        for (const auto& value : row.hours)
            fields << (value ? csvNumber(*value, decimal) : QString());
        fields << (row.mains ? csvNumber(*row.mains, decimal) : QString());
        rows << fields;
    }
    return rows;
}

QString fixed(const std::optional<double>& value, int decimals) {
    return value ? QString::number(*value, 'f', decimals) : QString();
}

} // namespace

QStringList tableTitles(const Period& period) {
    QStringList titles{QStringLiteral("Дата")};
    if (period.kind == PeriodKind::Day)
        titles << QStringLiteral("Час");
    for (int n = 1; n <= 4; ++n)
        titles << (showsVolumes(period) ? QStringLiteral("V%1, м3") : QStringLiteral("G%1, м3/ч"))
                      .arg(n);
    for (int n = 1; n <= 4; ++n)
        titles << QStringLiteral("В%1, ч").arg(n);
    titles << QStringLiteral("ТС, ч");
    return titles;
}

QList<QStringList> tableRows(const PeriodFigures& figures) {
    QList<QStringList> rows;
    for (int slot = 0; slot < int(figures.rows.size()); ++slot) {
        const FigureSlot& row = figures.rows[size_t(slot)];
        QStringList cells{slotDay(figures.period, slot)};
        if (figures.period.kind == PeriodKind::Day)
            cells << QStringLiteral("%1").arg(slot, 2, 10, QLatin1Char('0'));
        for (size_t n = 0; n < 4; ++n)
            cells << fixed(row.channels[n], figures.decimals[n]);
        for (const auto& value : row.hours)
            cells << fixed(value, kHoursDecimals);
        cells << fixed(row.mains, kHoursDecimals);
        rows << cells;
    }
    return rows;
}

QByteArray csvFile(const PeriodFigures& figures, const QString& node, QChar decimal) {
    const QChar separator = csvFieldSeparator(decimal);
    QByteArray text = QByteArrayLiteral("\xEF\xBB\xBF");
    for (const QStringList& fields : csvRows(figures, node, decimal))
        text += (csvLine(fields, separator) + QStringLiteral("\r\n")).toUtf8();
    return text;
}

QString tabText(const PeriodFigures& figures, const QString& node, QChar decimal) {
    QString text;
    for (const QStringList& fields : csvRows(figures, node, decimal))
        text += fields.join(QLatin1Char('\t')) + QLatin1Char('\n');
    return text;
}

} // namespace rt570
