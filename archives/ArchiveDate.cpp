#include "archives/ArchiveDate.h"

#include "archives/ArchiveReports.h"
#include "link/DateCode.h"
#include "link/OperationError.h"
#include "state/RunState.h"

#include <cmath>
#include <limits>

namespace rt570 {

namespace {

void setSelectedDate(RunState& session, const QDate& picked) {
    // The picker holds a date and a time; only the date changes.
    const QTime time = session.SelectedDate.isValid() ? session.SelectedDate.time() : QTime(0, 0);
    session.SelectedDate = QDateTime(picked, time);
}

} // namespace

uint32_t archiveDateCode(int yy, int month, int day, int hour) {
    return packDateCode(yy, month, day, hour, 0);
}

int daysInMonth(int year, int month) {
    const QDate first(year, month, 1);
    return first.isValid() ? first.daysInMonth() : 0;
}

int reportingDay(double value) {
    // Truncated toward zero. A value no integer can hold (the meter sent garbage, or NaN) is
    // taken as 0, as when the opening read delivered nothing.
    if (!std::isfinite(value) || value <= double(std::numeric_limits<int32_t>::min()) - 1 ||
        value >= double(std::numeric_limits<int32_t>::max()) + 1)
        return 0;
    return int(std::trunc(value));
}

bool archiveDateInRange(const QDate& date) {
    return date.isValid() && date >= QDate(kFirstArchiveYear, 1, 1) &&
           date <= QDate(kLastArchiveYear, 12, 31);
}

ArchiveDateParts takeArchiveDate(RunState& session, const QDate& picked) {
    if (!archiveDateInRange(picked))
        throw OperationError(
            QStringLiteral("Дата архива должна быть в пределах 01.01.2000 - 31.12.2042"));
    setSelectedDate(session, picked);
    ArchiveDateParts date;
    date.year = uint16_t(picked.year() - kFirstArchiveYear);
    date.month = uint16_t(picked.month());
    date.day = uint16_t(picked.day());
    session.archive.ArchiveDate = date;
    return date;
}

void selectArchiveDate(RunState& session, const QDate& picked) {
    if (!picked.isValid())
        return;
    setSelectedDate(session, picked);
    ArchiveDateParts& date = session.archive.ArchiveDate;
    date.year = uint16_t(picked.year());
    date.month = uint16_t(picked.month());
    date.day = uint16_t(picked.day());
    session.archive.DaysInArchiveMonth = uint8_t(picked.daysInMonth());
}

} // namespace rt570
