#pragma once

#include <QDate>
#include <set>
#include <vector>

namespace rt570 {

// The days a catch-up looks back over: from `days` days before today to yesterday.
struct CatchUpWindow {
    QDate first;
    QDate last;
};

CatchUpWindow catchUpWindow(const QDate& today, int days);

// What the figure store holds whole of one meter within a window: a period counts only when
// each of its rows is there with every figure (a NULL figure is one the meter never gave).
struct StoredPeriods {
    std::set<QDate> hourlyDays; // days with all 24 hourly rows
    std::set<QDate> dailyDays;  // days with their daily row
    std::set<QDate> months;     // months (their first day) with their monthly row
};

// What a catch-up reads, oldest first; months are given by their first day.
struct MissingPeriods {
    std::vector<QDate> hourlyDays;    // each day of the window without its 24 hourly rows
    std::vector<QDate> dailyMonths;   // each month a day without its daily row falls in
    std::vector<QDate> monthlyMonths; // each month of the window, before today's, without its row
};

// The periods of `window` that `stored` lacks. The month the window's last day is followed
// by (today's month) has no monthly row yet: it is never asked for.
MissingPeriods missingPeriods(const CatchUpWindow& window, const StoredPeriods& stored);

} // namespace rt570
