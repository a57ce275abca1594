#include "figures/Period.h"

#include <QStringList>

namespace rt570 {

namespace {

constexpr int kHoursPerDay = 24;
constexpr int kMonthsPerYear = 12;

QString monthName(int month) {
    static const QStringList names{
        QStringLiteral("январь"),  QStringLiteral("февраль"), QStringLiteral("март"),
        QStringLiteral("апрель"),  QStringLiteral("май"),     QStringLiteral("июнь"),
        QStringLiteral("июль"),    QStringLiteral("август"),  QStringLiteral("сентябрь"),
        QStringLiteral("октябрь"), QStringLiteral("ноябрь"),  QStringLiteral("декабрь")};
    return names.value(month - 1);
}

} // namespace

Period periodHolding(PeriodKind kind, const QDate& date) {
    switch (kind) {
    case PeriodKind::Day:
        return {kind, date};
    case PeriodKind::Month:
        return {kind, QDate(date.year(), date.month(), 1)};
    case PeriodKind::Year:
        return {kind, QDate(date.year(), 1, 1)};
    }
    return {kind, date};
}

Period shiftedPeriod(const Period& period, int steps) {
    switch (period.kind) {
    case PeriodKind::Day:
        return {period.kind, period.start.addDays(steps)};
    case PeriodKind::Month:
        return {period.kind, period.start.addMonths(steps)};
    case PeriodKind::Year:
        return {period.kind, period.start.addYears(steps)};
    }
    return period;
}

int slotCount(const Period& period) {
    switch (period.kind) {
    case PeriodKind::Day:
        return kHoursPerDay;
    case PeriodKind::Month:
        return period.start.daysInMonth();
    case PeriodKind::Year:
        return kMonthsPerYear;
    }
    return 0;
}

QDate slotDate(const Period& period, int slot) {
    switch (period.kind) {
    case PeriodKind::Day:
        return period.start;
    case PeriodKind::Month:
        return period.start.addDays(slot);
    case PeriodKind::Year:
        return period.start.addMonths(slot);
    }
    return period.start;
}

double slotHours(const Period& period, int slot) {
    switch (period.kind) {
    case PeriodKind::Day:
        return 1;
    case PeriodKind::Month:
        return kHoursPerDay;
    case PeriodKind::Year:
        return double(kHoursPerDay) * slotDate(period, slot).daysInMonth();
    }
    return 0;
}

QString periodTitle(const Period& period) {
    switch (period.kind) {
    case PeriodKind::Day:
        return period.start.toString(QStringLiteral("dd.MM.yyyy"));
    case PeriodKind::Month:
        return QStringLiteral("%1 %2")
            .arg(monthName(period.start.month()))
            .arg(period.start.year());
    case PeriodKind::Year:
        return QStringLiteral("%1 год").arg(period.start.year());
    }
    return QString();
}

QString slotTitle(const Period& period, int slot) {
    const QDate date = slotDate(period, slot);
    switch (period.kind) {
    case PeriodKind::Day:
        return date.toString(QStringLiteral("dd.MM.yyyy ")) +
               QStringLiteral("%1:00").arg(slot, 2, 10, QLatin1Char('0'));
    case PeriodKind::Month:
        return date.toString(QStringLiteral("dd.MM.yyyy"));
    case PeriodKind::Year:
        return QStringLiteral("%1 %2").arg(monthName(date.month())).arg(date.year());
    }
    return QString();
}

} // namespace rt570
