#include "store/KeyedTables.h"

namespace rt570 {

namespace {

QStringList numbered(const char* name) {
    QStringList columns;
    for (int n = 1; n <= 4; ++n)
        columns << QLatin1String(name) + QString::number(n);
    return columns;
}

// A literal, not a global: the statements are made while other files' globals are initialised.
QString runColumn() {
    return QStringLiteral("run");
}

} // namespace

const std::vector<KeyedTable>& keyedTables() {
    static const QStringList archiveFigures = numbered("hours") << QStringLiteral("mains");
    static const QString serial = QStringLiteral("serial");
    static const QString date = QStringLiteral("date");
    static const std::vector<KeyedTable> tables{
        {QStringLiteral("hourly"),
         {serial, date, QStringLiteral("hour")},
         numbered("flow") + archiveFigures,
         {}},
        {QStringLiteral("daily"), {serial, date}, numbered("flow") + archiveFigures, {}},
        {QStringLiteral("monthly"),
         {serial, QStringLiteral("month")},
         numbered("volume") + archiveFigures,
         {QStringLiteral("reporting_day")}},
        {QStringLiteral("integrators"),
         {serial, QStringLiteral("at")},
         numbered("volume") + numbered("hours"),
         {}},
    };
    return tables;
}

const KeyedTable& keyedTable(const QString& name) {
    for (const KeyedTable& table : keyedTables())
        if (table.name == name)
            return table;
    return keyedTables().front();
}

QStringList keyedColumns(const KeyedTable& table) {
    return table.keys + table.figures + table.others;
}

QString upsertStatement(const KeyedTable& table, int rows) {
    const QStringList columns = keyedColumns(table) << runColumn();
    const QString row =
        QStringLiteral("(?%1)").arg(QStringLiteral(", ?").repeated(int(columns.size()) - 1));
    QStringList values;
    for (int i = 0; i < rows; ++i)
        values << row;
    QStringList updates;
    for (const QString& column : table.figures)
        updates << QStringLiteral("%1 = COALESCE(excluded.%1, %2.%1)").arg(column, table.name);
    for (const QString& column : table.others + QStringList{runColumn()})
        updates << QStringLiteral("%1 = excluded.%1").arg(column);
    return QStringLiteral("INSERT INTO %1 (%2) VALUES %3 ON CONFLICT (%4) DO UPDATE SET %5")
        .arg(table.name, columns.join(QStringLiteral(", ")), values.join(QStringLiteral(", ")),
             table.keys.join(QStringLiteral(", ")), updates.join(QStringLiteral(", ")));
}

} // namespace rt570
