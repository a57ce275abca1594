#include "support/QStringPrinter.h"

#include "store/CsvWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

using namespace rt570;

namespace {

const QDate kDay(2026, 12, 8);

ArchiveRow hourRow(int hour, std::optional<double> g1, std::optional<double> b4) {
    ArchiveRow row;
    row.date = kDay;
    row.hour = hour;
    row.channels = {g1, double(0.5f), 1250.0, 0.0};
    row.hours = {1.0, 1.0, 0.25, b4};
    row.mains = 1.0;
    return row;
}

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArrayLiteral("<no file>");
    return file.readAll();
}

// A set's hourly report of two hours, a second hourly report of one, a parameter report, and
// the figures that write no file.
void writeSet(CsvWriter& writer, const QString& stem) {
    writer.beginConnection(QStringLiteral("Узел 1"));
    writer.reportSetOpened(1001, stem);
    writer.currentValues(CurrentFigures{});
    writer.archiveRows(ArchiveKind::Hourly,
                       {hourRow(0, double(12.3456f), 0.5), hourRow(1, std::nullopt, 0.0)});
    writer.integrators(IntegratorFigures{QDateTime(kDay, QTime(23, 59, 59)), {1.0, 2.0, 3.0, 4.0}});
    writer.archiveRows(ArchiveKind::Hourly, {hourRow(2, double(7.25f), std::nullopt)});
    writer.parameters(QDateTime(QDate(2026, 12, 9), QTime(2, 3, 0)),
                      {{10, QStringLiteral("G макс., м3/час"), double(0.3f)},
                       {50, QStringLiteral("Вес \"импульса\""), 1.0}});
}

TEST(CsvWriterTest, OneHeaderThenRowsInTheRegionsNotation) {
    struct Case {
        char decimal;
        const char* hourly;
        const char* parameters;
    };
    const Case cases[] = {
        {',',
         "\xEF\xBB\xBF"
         "serial;node;date;hour;G1, m3/h;G2, m3/h;G3, m3/h;G4, m3/h;B1, h;B2, h;B3, h;B4, h;"
         "Tc, h\r\n"
         "1001;Узел 1;2026-12-08;0;12,3456;0,5;1250;0;1;1;0,25;0,5;1\r\n"
         "1001;Узел 1;2026-12-08;1;;0,5;1250;0;1;1;0,25;0;1\r\n"
         "1001;Узел 1;2026-12-08;2;7,25;0,5;1250;0;1;1;0,25;;1\r\n",
         "\xEF\xBB\xBF"
         "serial;node;read at;slot;name;value\r\n"
         "1001;Узел 1;2026-12-09 02:03:00;10;G макс., м3/час;0,3\r\n"
         "1001;Узел 1;2026-12-09 02:03:00;50;\"Вес \"\"импульса\"\"\";1\r\n"},
        {'.',
         "\xEF\xBB\xBF"
         "serial,node,date,hour,\"G1, m3/h\",\"G2, m3/h\",\"G3, m3/h\",\"G4, m3/h\","
         "\"B1, h\",\"B2, h\",\"B3, h\",\"B4, h\",\"Tc, h\"\r\n"
         "1001,Узел 1,2026-12-08,0,12.3456,0.5,1250,0,1,1,0.25,0.5,1\r\n"
         "1001,Узел 1,2026-12-08,1,,0.5,1250,0,1,1,0.25,0,1\r\n"
         "1001,Узел 1,2026-12-08,2,7.25,0.5,1250,0,1,1,0.25,,1\r\n",
         "\xEF\xBB\xBF"
         "serial,node,read at,slot,name,value\r\n"
         "1001,Узел 1,2026-12-09 02:03:00,10,\"G макс., м3/час\",0.3\r\n"
         "1001,Узел 1,2026-12-09 02:03:00,50,\"Вес \"\"импульса\"\"\",1\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.decimal);
        QTemporaryDir parent;
        // The folder is made, as it is missing and its parent exists.
        const QDir dir(parent.filePath(QStringLiteral("csv")));
        CsvWriter writer(dir.path(), QLatin1Char(c.decimal));
        // The stem names the text reports' folder; the spreadsheet files go to their own.
        writeSet(writer, QStringLiteral("/srv/rt570/arc/1001D0812260200"));
        EXPECT_FALSE(writer.failed()) << writer.errorText().toStdString();
        EXPECT_EQ(fileBytes(dir.filePath(QStringLiteral("1001D0812260200_chas.csv"))),
                  QByteArray(c.hourly));
        EXPECT_EQ(fileBytes(dir.filePath(QStringLiteral("1001D0812260200_par.csv"))),
                  QByteArray(c.parameters));
        // Current values and integrators make no file; neither do kinds never reported; the
        // check that the folder takes files leaves nothing.
        EXPECT_EQ(dir.entryList(QDir::Files | QDir::Hidden),
                  (QStringList{"1001D0812260200_chas.csv", "1001D0812260200_par.csv"}));
    }
}

TEST(CsvWriterTest, EachKindHasItsColumnsAndEachSetItsFiles) {
    QTemporaryDir dir;
    CsvWriter writer(dir.path(), QLatin1Char(','));
    writer.reportSetOpened(1001, QStringLiteral("arc/1001D0812260200"));
    ArchiveRow day;
    day.date = QDate(2026, 12, 31);
    day.channels = {1.5, std::nullopt, 0.0, 0.0};
    day.hours = {24.0, 23.5, 0.0, 0.0};
    day.mains = 24.0;
    writer.archiveRows(ArchiveKind::Daily, {day});
    ArchiveRow month;
    month.date = QDate(2026, 11, 1);
    month.channels = {2147483.647, 0.0, 0.0, 21474836470.0};
    month.hours = {720.0, 0.0, 0.0, 214748.3647};
    writer.archiveRows(ArchiveKind::Monthly, {month});
    // A second set in the same run: its files start with their own header.
    writer.reportSetOpened(1001, QStringLiteral("arc/1001D0812260215"));
    writer.archiveRows(ArchiveKind::Daily, {day});
    EXPECT_FALSE(writer.failed()) << writer.errorText().toStdString();

    const QByteArray dailyFile = "\xEF\xBB\xBF"
                                 "serial;node;date;G1, m3/h;G2, m3/h;G3, m3/h;G4, m3/h;B1, h;"
                                 "B2, h;B3, h;B4, h;Tc, h\r\n"
                                 "1001;;2026-12-31;1,5;;0;0;24;23,5;0;0;24\r\n";
    EXPECT_EQ(fileBytes(dir.filePath(QStringLiteral("1001D0812260200_sut.csv"))), dailyFile);
    EXPECT_EQ(fileBytes(dir.filePath(QStringLiteral("1001D0812260215_sut.csv"))), dailyFile);
    EXPECT_EQ(fileBytes(dir.filePath(QStringLiteral("1001D0812260200_mes.csv"))),
              QByteArray("\xEF\xBB\xBF"
                         "serial;node;month;V1, m3;V2, m3;V3, m3;V4, m3;B1, h;B2, h;B3, h;"
                         "B4, h;Tc, h\r\n"
                         "1001;;2026-11;2147483,647;0;0;21474836470;720;0;0;214748,3647;\r\n"));
}

TEST(CsvWriterTest, FailuresAreKeptAsTextAndTheWriterGoesQuiet) {
    struct Case {
        const char* name;
        const char* folder; // inside the test folder, unless it begins with "/"
        std::function<void(const QString& dir)> prepare;
        std::function<void(CsvWriter&)> use;
        const char* errorPart; // after the test folder's path
    };
    const auto noop = [](const QString&) {};
    const auto write = [](CsvWriter& w) { writeSet(w, QStringLiteral("arc/1001D0812260200")); };
    const Case cases[] = {
        // Only the last component is made, as mkdir does.
        {"a folder whose parent does not exist", "missing/csv", noop, write,
         "/missing/csv: its parent folder "},
        {"a file in the folder's place", "csv",
         [](const QString& d) { QFile(d + QStringLiteral("/csv")).open(QIODevice::WriteOnly); },
         write, "/csv: it is not a folder"},
        // Even the superuser cannot make a file there.
        {"a folder that takes no files", "/proc", noop, write, "/proc: no file can be made in it"},
        {"a folder in the hourly file's place", "csv",
         [](const QString& d) { QDir(d).mkpath(QStringLiteral("csv/1001D0812260200_chas.csv")); },
         write, "/csv/1001D0812260200_chas.csv: "},
        {"rows before a report set", "csv",
         [](const QString& d) { QDir(d).mkdir(QStringLiteral("csv")); },
         [](CsvWriter& w) { w.archiveRows(ArchiveKind::Daily, {}); },
         "/csv: figures arrived before a report set was named"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        c.prepare(dir.path());
        const bool absolute = c.folder[0] == '/';
        CsvWriter writer(absolute ? QString::fromUtf8(c.folder)
                                  : dir.filePath(QLatin1String(c.folder)),
                         QLatin1Char(','));
        c.use(writer);
        const QString first = writer.errorText();
        EXPECT_TRUE(
            first.contains((absolute ? QString() : dir.path()) + QLatin1String(c.errorPart)))
            << first.toStdString();
        EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("missing"))));
        write(writer);
        EXPECT_EQ(writer.errorText(), first);
    }
}

} // namespace
