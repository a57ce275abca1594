#pragma once

#include <QDate>
#include <QString>

namespace rt570 {

// What the chart and the table show: a day of 24 hourly rows, a month of daily rows, or a
// year of monthly rows, each from the archive of that kind.
enum class PeriodKind { Day, Month, Year };

struct Period {
    PeriodKind kind = PeriodKind::Day;
    QDate start; // the day; the first of the month; the first of January

    bool operator==(const Period& other) const {
        return kind == other.kind && start == other.start;
    }
};

// The period of that kind that holds `date`.
Period periodHolding(PeriodKind kind, const QDate& date);
// The period `steps` periods later (earlier when negative).
Period shiftedPeriod(const Period& period, int steps);
// Its rows: 24, the month's days, 12.
int slotCount(const Period& period);
// The date of row `slot`: the day itself, the slot's day, the slot's month's first day.
QDate slotDate(const Period& period, int slot);
// The hours row `slot` lasts: 1, 24, the month's days times 24.
double slotHours(const Period& period, int slot);
// The period in words for the window: "29.11.2026", "ноябрь 2026", "2026 год".
QString periodTitle(const Period& period);
// Row `slot` in words, with its date: "29.11.2026 07:00", "03.11.2026", "ноябрь 2026".
QString slotTitle(const Period& period, int slot);

} // namespace rt570
