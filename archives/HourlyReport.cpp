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

constexpr int kHoursPerDay = 24;
constexpr int kHourProgressStep = 4;
// The dump of the hourly flows uses the copies of the flow formats.
constexpr int kDumpChannels = 4;

const QString kTitle =
    QStringLiteral("Среднечасовые значения расходов и прирост интеграторов за час: ");
// "G", "B" Latin; "Час", "Тс" Cyrillic.
const QString kHead1 = QStringLiteral(
    "| Час |   G1,  |   G2,  |   G3,  |   G4,  |  B1, |  B2, |  B3, |  B4, |  Тс, |");
// Latin "C", Cyrillic "ут".
const QString kDayTotalOpening = QStringLiteral("|Cут. : ");
const QString kSixBlanks = QStringLiteral("      ");
// Latin "Toc".
const QString kMainsOffLabel = QStringLiteral("Время отсутствия сети Toc ,час : ");
const QString kIntegratorTitle = QStringLiteral("Значение интеграторов на 23 час 59 мин 59 сек");

} // namespace

void hourlyReport(RunState& session, const QDate& picked) {
    const ArchiveDateParts date = takeArchiveDate(session, picked);
    session.setStatusText(QStringLiteral("Считывание часовых архивов"));
    Link& link = session.link;
    ArchiveState& archive = session.archive;

    for (int h = 0; h < kHoursPerDay; ++h) {
        ReadFlowRecord(
            link, archive,
            {kKindHourly, archiveDateCode(date.year, date.month, date.day, h), uint16_t(h)});
        session.setProgress(h * kHourProgressStep);
    }
    session.setProgress(kProgressDone);

    const ChannelFormats formats = channelFormats(session);
    const QDate day = archiveDay(date.year, date.month, date.day);
    if (session.figures) {
        std::vector<ArchiveRow> rows;
        for (int h = 0; h < kHoursPerDay; ++h)
            rows.push_back(archiveRow(archive, h, formats, ChannelCells::Flow, day, h));
        reportArchiveRows(session, ArchiveKind::Hourly, rows);
    }

    ReportFile& file = session.reports.file(Report::Hourly);
    const QStringList header = headerBlock(kTitle + titleDay(date.year, date.month, date.day),
                                           deviceLine(link.values()[0]), kHead1, flowUnitsHead());
    for (const QString& line : header)
        file.appendLine(line);
    for (int h = 0; h < kHoursPerDay; ++h)
        file.appendLine(tableRow(h, archive.record(h), formats, ChannelCells::Flow));
    file.appendLine(RuleLine());

    // The day's record and then its end-of-day integrators land in the slot of the day, after
    // the hour rows were written; each is printed before the next read overwrites it.
    ReadFlowRecord(
        link, archive,
        {kKindDaily, archiveDateCode(date.year, date.month, date.day, kDayRecordHour), date.day});
    // The day's record is the row the daily report prints for that day.
    reportArchiveRows(session, ArchiveKind::Daily,
                      {archiveRow(archive, date.day, formats, ChannelCells::Flow, day)});
    const ArchiveRecord dayRecord = archive.record(date.day);
    file.appendLine(kDayTotalOpening + recordCells(dayRecord, formats, ChannelCells::Flow));
    file.appendLine(kSixBlanks);
    // The day's mains time counts the hours with mains present; the rest of 24 h it was off.
    file.appendLine(kMainsOffLabel + hoursText(kFullDay - dayRecord[kMainsQuantity]) +
                    QStringLiteral("  "));
    file.appendLine(kSixBlanks);

    const ArchiveRecord integrators =
        readDayEndIntegrators(session, date.year, date.month, date.day);
    file.appendLine(kIntegratorTitle);
    for (const QString& line : integratorLines(integrators, formats))
        file.appendLine(line);

    // Written only once the lines are on disk: a failed write-back keeps the reading text.
    file.flush();
    session.setStatusText(QStringLiteral("Архивы записаны"));
}

void dumpHourlyFlows(RunState& session) {
    ReportFile& file = session.reports.file(Report::Hourly);
    const auto& tables = session.archive.ArchiveTables;
    for (int h = 0; h < kHoursPerDay; ++h) {
        QString line = formatZeroPadded(h, 2);
        for (int q = 0; q < kDumpChannels; ++q) {
            const FormatPair& format = session.formats.ValueFormats[size_t(kDumpFormatBase + q)];
            line += formatFixed(tables[size_t(q)][size_t(h)], format.width, format.precision);
            line += QLatin1Char(' ');
        }
        file.appendLine(line);
    }
    file.flush();
}

} // namespace rt570
