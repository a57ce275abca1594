#include "archives/ArchiveDate.h"
#include "archives/ArchiveFigures.h"
#include "archives/ArchiveLayout.h"
#include "archives/ArchiveReports.h"
#include "archives/ArchiveRequests.h"
#include "link/Protocol.h"
#include "state/RunState.h"

namespace rt570 {

namespace {

constexpr uint16_t kMonthSlot = 23;

const QString kTitle = QStringLiteral("Прирост интеграторов за месяц:");
// "V", "B" Latin; "Сут", "Тс", "м3", "ч" Cyrillic. The third head has no comma.
const QString kHead1 = QStringLiteral(
    "| Сут |   V1,  |   V2,  |   V3   |   V4,  |  B1, |  B2, |  B3, |  B4, |  Тс, |");
const QString kHead2 = QStringLiteral(
    "|     |   м3   |   м3   |   м3   |   м3   |   ч  |   ч  |   ч  |   ч  |   ч  |");

} // namespace

void monthlyReport(RunState& session, const QDate& picked) {
    ArchiveDateParts date = takeArchiveDate(session, picked);
    session.setStatusText(QStringLiteral("Считывание месячных архивов"));
    Link& link = session.link;
    ArchiveState& archive = session.archive;

    // The monthly record is addressed by the meter's reporting day, not the day picked.
    const int day = reportingDay(link.values()[kReportingDaySlot]);
    date.day = uint16_t(day);
    archive.ArchiveDate = date;
    ReadMonthRecord(
        link, archive,
        {kKindMonthly, archiveDateCode(date.year, date.month, day, kDayRecordHour), kMonthSlot});
    session.setProgress(kProgressDone);

    const ChannelFormats formats = channelFormats(session);
    // The row is the integrators' increase over the month the title names, the accounting
    // month that closes on the reporting day; its figures are dated that month's first day and
    // carry the reporting day the report prints as the row's label.
    ArchiveRow row = archiveRow(archive, kMonthSlot, formats, ChannelCells::Volume,
                                archiveDay(date.year, date.month, 1));
    row.reportingDay = day;
    reportArchiveRows(session, ArchiveKind::Monthly, {row});

    ReportFile& file = session.reports.file(Report::Monthly);
    for (const QString& line : headerBlock(kTitle + titleMonth(date.year, date.month),
                                           deviceLine(link.values()[0], false), kHead1, kHead2))
        file.appendLine(line);
    file.appendLine(tableRow(day, archive.record(kMonthSlot), formats, ChannelCells::Volume));
    file.appendLine(QStringLiteral(" "));

    // Written only once the lines are on disk: a failed write-back keeps the reading text.
    file.flush();
    session.setStatusText(QStringLiteral("Архивы записаны"));
}

} // namespace rt570
