#include "store/CatchUpWindow.h"

namespace rt570 {

namespace {

QDate monthOf(const QDate& day) {
    return QDate(day.year(), day.month(), 1);
}

// Adds the month of `day` unless it is the last one added: the days come in order.
void addMonth(std::vector<QDate>& months, const QDate& day) {
    const QDate month = monthOf(day);
    if (months.empty() || months.back() != month)
        months.push_back(month);
}

} // namespace

CatchUpWindow catchUpWindow(const QDate& today, int days) {
    return CatchUpWindow{today.addDays(-days), today.addDays(-1)};
}

MissingPeriods missingPeriods(const CatchUpWindow& window, const StoredPeriods& stored) {
    MissingPeriods missing;
    const QDate currentMonth = monthOf(window.last.addDays(1));
    for (QDate day = window.first; day <= window.last; day = day.addDays(1)) {
        if (stored.hourlyDays.count(day) == 0)
            missing.hourlyDays.push_back(day);
        if (stored.dailyDays.count(day) == 0)
            addMonth(missing.dailyMonths, day);
        const QDate month = monthOf(day);
        if (month < currentMonth && stored.months.count(month) == 0)
            addMonth(missing.monthlyMonths, day);
    }
    return missing;
}

} // namespace rt570
