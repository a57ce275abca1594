#include "figures/PeriodFigures.h"

#include "link/Protocol.h"
#include "state/Formats.h"
#include "store/SqlText.h"

#include <QSqlError>
#include <QSqlQuery>

namespace rt570 {

namespace {

// Each statement yields what names the slot (the hour, the day, the month "yyyy-MM": a day is
// an SQLite text and a server's date, so the slot is taken from it here), the four channel
// figures, the four operating times and the mains time.
const QString kHourly =
    QStringLiteral("SELECT hour, flow1, flow2, flow3, flow4, hours1, hours2, hours3, hours4, mains "
                   "FROM hourly WHERE serial = ? AND date = ?");
const QString kDaily = QStringLiteral(
    "SELECT date, flow1, flow2, flow3, flow4, "
    "hours1, hours2, hours3, hours4, mains FROM daily WHERE serial = ? AND date BETWEEN ? AND ?");
const QString kMonthly = QStringLiteral("SELECT month, volume1, volume2, volume3, volume4, "
                                        "hours1, hours2, hours3, hours4, mains FROM monthly "
                                        "WHERE serial = ? AND month BETWEEN ? AND ?");
// The maximum flows of the meter's channels, the latest run's last.
const QString kMaximumFlows =
    QStringLiteral("SELECT slot, value FROM parameters WHERE serial = ? AND slot IN (?, ?, ?, ?) "
                   "ORDER BY run");

std::optional<double> figure(const QVariant& value) {
    if (value.isNull())
        return std::nullopt;
    return value.toDouble();
}

// The 0-based slot that a row's first column names.
int slotOf(PeriodKind kind, const QVariant& value) {
    switch (kind) {
    case PeriodKind::Day:
        return value.toInt();
    case PeriodKind::Month: {
        const QDate day = value.toDate();
        return day.isValid() ? day.day() - 1 : -1;
    }
    case PeriodKind::Year: {
        bool read = false;
        const int month = value.toString().mid(5, 2).toInt(&read);
        return read ? month - 1 : -1;
    }
    }
    return -1;
}

void prepareRows(QSqlQuery& query, qint64 serial, const Period& period) {
    const QDate last = slotDate(period, slotCount(period) - 1);
    switch (period.kind) {
    case PeriodKind::Day:
        query.prepare(kHourly);
        query.addBindValue(serial);
        query.addBindValue(period.start.toString(Qt::ISODate));
        return;
    case PeriodKind::Month:
        query.prepare(kDaily);
        query.addBindValue(serial);
        query.addBindValue(period.start.toString(Qt::ISODate));
        query.addBindValue(last.toString(Qt::ISODate));
        return;
    case PeriodKind::Year:
        query.prepare(kMonthly);
        query.addBindValue(serial);
        query.addBindValue(period.start.toString(QStringLiteral("yyyy-MM")));
        query.addBindValue(last.toString(QStringLiteral("yyyy-MM")));
        return;
    }
}

} // namespace

std::optional<double> mainsOffHours(const PeriodFigures& figures, int slot) {
    const std::optional<double>& mains = figures.rows[size_t(slot)].mains;
    if (!mains)
        return std::nullopt;
    return slotHours(figures.period, slot) - *mains;
}

bool readPeriod(const QSqlDatabase& db, qint64 serial, const Period& period, PeriodFigures& figures,
                QString& error) {
    figures = PeriodFigures{};
    figures.serial = serial;
    figures.period = period;
    figures.rows.assign(size_t(slotCount(period)), FigureSlot{});

    QSqlQuery query(db);
    query.setForwardOnly(true);
    prepareRows(query, serial, period);
    if (!query.exec()) {
        error = sqlErrorText(query.lastError());
        return false;
    }
    while (query.next()) {
        const int slot = slotOf(period.kind, query.value(0));
        if (slot < 0 || slot >= int(figures.rows.size()))
            continue;
        FigureSlot& row = figures.rows[size_t(slot)];
        row.stored = true;
        for (size_t n = 0; n < 4; ++n) {
            row.channels[n] = figure(query.value(int(1 + n)));
            row.hours[n] = figure(query.value(int(5 + n)));
        }
        row.mains = figure(query.value(9));
    }

    query.prepare(kMaximumFlows);
    query.addBindValue(serial);
    for (int k = 1; k <= 4; ++k)
        query.addBindValue(gmaxSlot(k));
    if (!query.exec()) {
        error = sqlErrorText(query.lastError());
        return false;
    }
    while (query.next()) {
        const int channel = query.value(0).toInt() / 10;
        if (channel >= 1 && channel <= 4 && !query.value(1).isNull())
            figures.decimals[size_t(channel - 1)] = ChannelPrecision(query.value(1).toDouble());
    }
    return true;
}

QStringList periodStatements() {
    return {kHourly, kDaily, kMonthly, kMaximumFlows};
}

} // namespace rt570
