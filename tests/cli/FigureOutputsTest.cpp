// The outputs of a run's figures: one filter in front of both the store and the CSV files.

#include "cli/FigureOutputs.h"
#include "cli/CliRun.h"
#include "store/DatabaseProbe.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimeZone>
#include <gtest/gtest.h>

namespace rt570::cli::test {
namespace {

ArchiveRow hourRow(const QDate& day, int hour) {
    ArchiveRow row;
    row.date = day;
    row.hour = hour;
    row.channels = {0.16, 0.0, 0.0, 0.0};
    row.hours = {1.0, 1.0, 1.0, 1.0};
    row.mains = 1.0;
    return row;
}

// Two connections of one run: a node whose meter's clock was read at 14:30 on the day read,
// then one whose clock read failed.
TEST(FigureOutputsTest, StoreAndCsvKeepTheSameFiguresAndTheCsvNamesTheNode) {
    QTemporaryDir dir;
    const QString db = dir.filePath(QStringLiteral("figures.db"));
    const QString csv = dir.filePath(QStringLiteral("csv"));
    const QDate day(2026, 12, 10);
    const QDateTime started(day, QTime(14, 31));
    {
        FigureOutputs outputs(db, csv, QLatin1Char(','));
        QStringList notes;
        outputs.setNoteHandler([&notes](const QString& note) { notes << note; });
        ASSERT_TRUE(outputs.errors().isEmpty()) << outputs.errors().join(' ').toStdString();
        FigureSink& sink = *outputs.sink();

        outputs.beginConnection(RunInfo{QStringLiteral("Узел 1"),
                                        QStringLiteral("ATD1"),
                                        QStringLiteral("port 3"),
                                        started,
                                        {},
                                        {}});
        sink.reportSetOpened(1001, QStringLiteral("arc/1001D1012261431"));
        sink.meterClock(QDateTime(day, QTime(14, 30), QTimeZone::utc()));
        sink.archiveRows(ArchiveKind::Hourly, {hourRow(day, 13), hourRow(day, 14)});
        sink.parameters(started, {{1, QStringLiteral("Пароль на изм."), 4321},
                                  {10, QStringLiteral("G макс."), 12.5}});
        ConnectionOutcome outcome;
        outcome.serial = 1001;
        outputs.endConnection(outcome, QDateTime());
        EXPECT_TRUE(notes.isEmpty());

        outputs.beginConnection(RunInfo{QStringLiteral("Узел 2"),
                                        QStringLiteral("ATD2"),
                                        QStringLiteral("port 3"),
                                        started,
                                        {},
                                        {}});
        sink.reportSetOpened(1002, QStringLiteral("arc/1002D1012261432"));
        sink.meterClock(QDateTime());
        sink.archiveRows(ArchiveKind::Daily, {hourRow(QDate(2020, 1, 1), -1)});
        outcome.serial = 1002;
        outputs.endConnection(outcome, QDateTime());

        EXPECT_TRUE(outputs.errors().isEmpty()) << outputs.errors().join(' ').toStdString();
        ASSERT_EQ(notes.size(), 1);
        EXPECT_TRUE(notes[0].startsWith(QStringLiteral("Узел 2: the meter's clock could not be "
                                                       "read")))
            << notes[0].toStdString();
    }

    const auto csvFile = [&](const char* name) {
        QFile file(csv + QLatin1Char('/') + QLatin1String(name));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    };
    const QStringList hourly =
        csvFile("1001D1012261431_chas.csv").split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(hourly.size(), 2);
    EXPECT_EQ(hourly[1], QStringLiteral("1001;Узел 1;2026-12-10;13;0,16;0;0;0;1;1;1;1;1"));
    EXPECT_EQ(
        csvFile("1001D1012261431_par.csv").split(QStringLiteral("\r\n"), Qt::SkipEmptyParts).mid(1),
        QStringList{QStringLiteral("1001;Узел 1;2026-12-10 14:31:00;10;G макс.;12,5")});
    EXPECT_EQ(QDir(csv).entryList(QDir::Files),
              (QStringList{"1001D1012261431_chas.csv", "1001D1012261431_par.csv"}));

    rt570::test::DatabaseProbe probe(db);
    EXPECT_EQ(probe.rows(QStringLiteral("SELECT serial, date, hour FROM hourly")),
              QStringList{QStringLiteral("1001|2026-12-10|13")});
    EXPECT_EQ(probe.rows(QStringLiteral("SELECT slot FROM parameters")),
              QStringList{QStringLiteral("10")});
    EXPECT_EQ(probe.rows(QStringLiteral("SELECT count(*) FROM daily")),
              QStringList{QStringLiteral("0")});
}

} // namespace
} // namespace rt570::cli::test
