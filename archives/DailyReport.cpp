#include "archives/ArchiveDate.h"
#include "archives/ArchiveFigures.h"
#include "archives/ArchiveLayout.h"
#include "archives/ArchiveReports.h"
#include "archives/ArchiveRequests.h"
#include "archives/DayEndIntegrators.h"
#include "state/NumberText.h"
#include "state/RunState.h"

namespace rt570 {

namespace {

constexpr int kDayProgressStep = 3;
constexpr int kClosingLength = 157;
constexpr int kMonthsPerYear = 12;

const QString kTitle =
    QStringLiteral("Среднечасовые значения расходов и прирост интеграторов за день: ");
// "G", "B" Latin; "День", "Тс" Cyrillic. The third head has no comma.
const QString kHead1 = QStringLiteral(
    "| День|   G1,  |   G2,  |   G3   |   G4,  |  B1, |  B2, |  B3, |  B4, |  Тс, |");
const QString kEndOfMonth = QStringLiteral("Значение интеграторов на конец месяца:");
const QString kEndOfDay = QStringLiteral("Значение интеграторов на 23 час 59 мин 59 сек ");
const QString kIncreaseOfMonth = QStringLiteral("Прирост интеграторов за месяц:");
// The lone "c" is Latin.
const QString kIncreaseToDay =
    QStringLiteral("Прирост интеграторов c начала месяца на 23 час 59 мин 59 сек ");
const QString kOfDay = QStringLiteral(" числа:");

ArchiveRecord difference(const ArchiveRecord& end, const ArchiveRecord& start) {
    ArchiveRecord increase{};
    for (size_t q = 0; q < increase.size(); ++q)
        increase[q] = end[q] - start[q];
    return increase;
}

} // namespace

void dailyReport(RunState& session, const QDate& picked) {
    const ArchiveDateParts date = takeArchiveDate(session, picked);
    session.setStatusText(QStringLiteral("Считывание суточных архивов"));
    Link& link = session.link;
    ArchiveState& archive = session.archive;
    const int yy = date.year;
    const int pickedDay = date.day;
    const int days = daysInMonth(yy + kFirstArchiveYear, date.month);
    archive.DaysInArchiveMonth = uint8_t(days);

    for (int d = 1; d <= days; ++d) {
        ReadFlowRecord(
            link, archive,
            {kKindDaily, archiveDateCode(yy, date.month, d, kDayRecordHour), uint16_t(d)});
        session.setProgress(d * kDayProgressStep);
    }
    session.setProgress(kProgressDone);

    const ChannelFormats formats = channelFormats(session);
    if (session.figures) {
        std::vector<ArchiveRow> rows;
        for (int d = 1; d <= days; ++d)
            rows.push_back(
                archiveRow(archive, d, formats, ChannelCells::Flow, archiveDay(yy, date.month, d)));
        reportArchiveRows(session, ArchiveKind::Daily, rows);
    }

    ReportFile& file = session.reports.file(Report::Daily);
    for (const QString& line : headerBlock(kTitle + titleMonth(yy, date.month),
                                           deviceLine(link.values()[0]), kHead1, flowUnitsHead()))
        file.appendLine(line);
    for (int d = 1; d <= days; ++d)
        file.appendLine(tableRow(d, archive.record(d), formats, ChannelCells::Flow));
    file.appendLine(RuleLine());

    // In the running month the period ends with the day before the picked one (day 0 on the
    // 1st); in any other month with its last day.
    const QDate today = session.clock().date();
    const bool currentMonth = date.month == today.month() && yy == today.year() % 100;
    const int endDay = currentMonth ? pickedDay - 1 : days;
    // Kept apart: the start record may land in the same slot (31 for August and July).
    const ArchiveRecord endValues = readDayEndIntegrators(session, yy, date.month, endDay);
    const QString dayText = formatZeroPadded(pickedDay - 1, 2) + kOfDay;
    file.appendLine(QStringLiteral(" "));
    file.appendLine(currentMonth ? kEndOfDay + dayText : kEndOfMonth);
    for (const QString& line : integratorLines(endValues, formats))
        file.appendLine(line);

    // The start of the period: the end of the last day of the month before.
    int startYy = yy;
    int startMonth = date.month - 1;
    if (startMonth < 1) {
        startMonth = kMonthsPerYear;
        --startYy;
    }
    const int startDay = daysInMonth(startYy + kFirstArchiveYear, startMonth);
    const ArchiveRecord startValues = readDayEndIntegrators(session, startYy, startMonth, startDay);
    file.appendLine(QStringLiteral(" "));
    file.appendLine(currentMonth ? kIncreaseToDay + dayText : kIncreaseOfMonth);
    for (const QString& line : integratorLines(difference(endValues, startValues), formats))
        file.appendLine(line);
    file.appendLine(QString(kClosingLength, QLatin1Char('_')));

    // Written only once the lines are on disk: a failed write-back keeps the reading text.
    file.flush();
    session.setStatusText(QStringLiteral("Архивы записаны"));
}

} // namespace rt570
