// "collect" as scripts run it: the rt570-cli executable dialling the nodes of a node list
// through the simulator's modem on a pseudo-terminal.

#include "CliProcess.h"
#include "cli/CliRun.h"

#include "archives/ArchiveReports.h"
#include "readings/CurrentValues.h"
#include "readings/OpeningRead.h"
#include "session/Connection.h"
#include "session/Session.h"
#include "sim/MeterModel.h"
#include "sim/MeterProtocol.h"
#include "store/FigureStore.h"
#include "support/FakeSerialLine.h"
#include "support/QStringPrinter.h"
#include "support/RecordingHost.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <map>
#include <memory>

namespace rt570::cli::test {
namespace {

// The application object QProcess and Qt SQL want is made by EndToEndTest.cpp, in this
// program too.

// The report files of a folder by name.
std::map<QString, QByteArray> filesIn(const QString& folder) {
    std::map<QString, QByteArray> files;
    for (const QString& name : QDir(folder).entryList(QDir::Files, QDir::Name)) {
        QFile file(folder + name);
        if (file.open(QIODevice::ReadOnly))
            files[name] = file.readAll();
    }
    return files;
}

// A report file's name without its stem: "_chas.txt".
QString suffixOf(const QString& name) {
    static const QRegularExpression suffix(QStringLiteral("_[a-z]+\\.txt$"));
    return suffix.match(name).captured();
}

// A home folder with its "arc/" and a node list of four nodes, named in Windows-1251: two
// meters, a number that is busy and one that gives no carrier.
struct CollectHome {
    CollectHome() {
        QDir(dir.path()).mkdir(QStringLiteral("arc"));
        QFile list(path() + QStringLiteral("gsm_csd.ini"));
        if (list.open(QIODevice::WriteOnly))
            list.write("[baza]\r\nkol_uzlov=4\r\n"
                       "tel_1=ATD+79001111111\r\nname_u1=\xD3\xE7\xE5\xEB 1\r\n"
                       "tel_2=ATD+79002222222\r\nname_u2=\xD3\xE7\xE5\xEB 2\r\n"
                       "tel_3=ATD+79003333333\r\nname_u3=\xD3\xE7\xE5\xEB 3\r\n"
                       "tel_4=ATD+79004444444\r\nname_u4=\xD3\xE7\xE5\xEB 4\r\n");
    }
    QString path() const { return dir.path() + QLatin1Char('/'); }
    QString arc() const { return dir.path() + QStringLiteral("/arc/"); }
    QTemporaryDir dir;
};

QStringList modemBank() {
    return {QStringLiteral("--seed"),
            QStringLiteral("570"),
            QStringLiteral("--baud"),
            QStringLiteral("0"),
            QStringLiteral("--modem-connect-ms"),
            QStringLiteral("100"),
            QStringLiteral("--modem-guard-ms"),
            QStringLiteral("50"),
            QStringLiteral("--number"),
            QStringLiteral("+79001111111=11"),
            QStringLiteral("--number"),
            QStringLiteral("+79002222222=22"),
            QStringLiteral("--number"),
            QStringLiteral("+79003333333=busy"),
            QStringLiteral("--number"),
            QStringLiteral("+79004444444=no-carrier")};
}

// What the window's handlers write for a meter of the seed reached directly: the report files
// by suffix, and the requests they made.
struct WindowRun {
    std::map<QString, QByteArray> reports;
    int requests = 0;
};

// The window's readout of the current values and the archives of `day` named (hourly, daily,
// monthly), in that order.
WindowRun windowRun(uint32_t seed, const QDate& day,
                    const QStringList& archives = {QStringLiteral("hourly"),
                                                   QStringLiteral("daily")}) {
    QTemporaryDir home;
    QDir(home.path()).mkdir(QStringLiteral("arc"));
    sim::MeterModel meter{seed};
    sim::MeterProtocol protocol{meter, 1};
    rt570::test::FakeSerialLine line;
    line.responder = [&](const QByteArray& sent) { return protocol.feed(sent); };
    rt570::test::RecordingHost host;
    WindowRun run;
    {
        Session session(line, host, home.path() + QLatin1Char('/'));
        loadRunState(session);
        resetCounters(session);
        openConnection(session, QStringLiteral("1"), QStringLiteral("3"), 4);
        session.runOperation([&] { openingRead(session); });
        session.runOperation([&] { readCurrentValues(session); });
        const std::pair<const char*, void (*)(RunState&, const QDate&)> reports[] = {
            {"hourly", hourlyReport}, {"daily", dailyReport}, {"monthly", monthlyReport}};
        for (const auto& [name, report] : reports) {
            if (!archives.contains(QLatin1String(name)))
                continue;
            selectArchiveDate(session, day);
            session.runOperation([&, report = report] { report(session, day); });
        }
        closeConnection(session);
        EXPECT_TRUE(host.errors.isEmpty());
        run.requests = session.link.RequestCount();
    }
    for (const auto& [name, bytes] : filesIn(home.path() + QStringLiteral("/arc/")))
        run.reports[suffixOf(name)] = bytes;
    return run;
}

// The summary lines of a run, each split at its tabs.
std::vector<QStringList> summary(const QString& out) {
    std::vector<QStringList> lines;
    for (const QString& line : out.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        lines.push_back(line.split(QLatin1Char('\t')));
    return lines;
}

// The figure store opened with Qt SQL under its own connection name.
class StoreReader {
public:
    explicit StoreReader(const QString& path) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), kName);
        db.setDatabaseName(path);
        m_open = db.open();
    }
    ~StoreReader() { QSqlDatabase::removeDatabase(kName); }
    StoreReader(const StoreReader&) = delete;
    StoreReader& operator=(const StoreReader&) = delete;

    bool open() const { return m_open; }
    // Every row of a query, its columns joined with "|".
    QStringList rows(const QString& sql) const {
        QStringList result;
        QSqlQuery query(QSqlDatabase::database(kName));
        if (!query.exec(sql)) {
            ADD_FAILURE() << sql.toStdString();
            return result;
        }
        while (query.next()) {
            QStringList columns;
            for (int i = 0; i < query.record().count(); ++i)
                columns << query.value(i).toString();
            result << columns.join(QLatin1Char('|'));
        }
        return result;
    }

private:
    static inline const QString kName = QStringLiteral("collect-end-to-end");
    bool m_open = false;
};

TEST(CollectEndToEnd, FourNodesGiveTwoReportSetsSummaryLinesAndKeyedFigures) {
    const QDate today = QDate::currentDate();
    const QDate yesterday = today.addDays(-1);
    CollectHome home;
    SimProcess sim(modemBank(), home.path() + QStringLiteral("com3"));
    ASSERT_TRUE(sim.running());
    const QString db = home.path() + QStringLiteral("f.db");
    const QString csv = home.path() + QStringLiteral("csv");
    ASSERT_TRUE(QDir(home.path()).mkdir(QStringLiteral("csv")));

    const CliResult first =
        runCli({QStringLiteral("collect"), QStringLiteral("values"), QStringLiteral("hourly"),
                QStringLiteral("yesterday"), QStringLiteral("daily"), QStringLiteral("yesterday"),
                QStringLiteral("--db"), db, QStringLiteral("--csv"), csv},
               home.path());
    if (QDate::currentDate() != today)
        GTEST_SKIP() << "the run crossed midnight: \"yesterday\" changed under it";
    EXPECT_EQ(first.exitCode, kExitLinkFailed) << first.err.toStdString();

    const WindowRun meter11 = windowRun(11, yesterday);
    const WindowRun meter22 = windowRun(22, yesterday);

    // One line per node in list order; the names come from the Windows-1251 list as UTF-8. A
    // node's requests are the window's and one more: the meter's clock, read for the figures
    // before the first archive.
    const std::vector<QStringList> lines = summary(first.out);
    ASSERT_EQ(lines.size(), 4u) << first.out.toStdString();
    const QStringList expected[] = {
        {QStringLiteral("Узел 1"), QStringLiteral("ATD+79001111111"), QStringLiteral("ok"),
         QStringLiteral("20011"), QString::number(meter11.requests + 1), QStringLiteral("0")},
        {QStringLiteral("Узел 2"), QStringLiteral("ATD+79002222222"), QStringLiteral("ok"),
         QStringLiteral("20022"), QString::number(meter22.requests + 1), QStringLiteral("0")},
        {QStringLiteral("Узел 3"), QStringLiteral("ATD+79003333333"), QStringLiteral("busy"),
         QString(), QStringLiteral("0"), QStringLiteral("0")},
        {QStringLiteral("Узел 4"), QStringLiteral("ATD+79004444444"), QStringLiteral("no carrier"),
         QString(), QStringLiteral("0"), QStringLiteral("0")},
    };
    for (size_t i = 0; i < lines.size(); ++i) {
        ASSERT_EQ(lines[i].size(), 8) << lines[i].join(QLatin1Char('|')).toStdString();
        EXPECT_EQ(lines[i][7], QStringLiteral("port 3"));
        EXPECT_EQ(lines[i].mid(0, 6), expected[i]) << lines[i].join(QLatin1Char('|')).toStdString();
    }

    // Two report sets named after the serial numbers, each the window's bytes for its meter.
    const auto reports = filesIn(home.arc());
    ASSERT_EQ(reports.size(), 8u);
    std::map<QString, int> compared;
    QStringList stems;
    for (const auto& [name, bytes] : reports) {
        const QString suffix = suffixOf(name);
        const bool of11 = name.startsWith(QStringLiteral("20011D"));
        ASSERT_TRUE(of11 || name.startsWith(QStringLiteral("20022D"))) << name.toStdString();
        const WindowRun& window = of11 ? meter11 : meter22;
        ASSERT_EQ(window.reports.count(suffix), 1u) << name.toStdString();
        EXPECT_TRUE(bytes == window.reports.at(suffix)) << name.toStdString();
        ++compared[suffix];
        const QString stem = name.left(name.size() - suffix.size());
        if (!stems.contains(stem))
            stems << stem;
    }
    EXPECT_EQ(compared, (std::map<QString, int>{{QStringLiteral("_chas.txt"), 2},
                                                {QStringLiteral("_mes.txt"), 2},
                                                {QStringLiteral("_par.txt"), 2},
                                                {QStringLiteral("_sut.txt"), 2}}));
    EXPECT_EQ(meter11.reports.at(QStringLiteral("_chas.txt")).count("\r\n"), 46);

    // A spreadsheet file beside each hourly and daily report, starting with the UTF-8 mark;
    // each row names the meter and its node.
    ASSERT_EQ(stems.size(), 2);
    for (const QString& stem : stems)
        for (const char* suffix : {"_chas.csv", "_sut.csv"}) {
            QFile file(csv + QLatin1Char('/') + stem + QLatin1String(suffix));
            ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
            EXPECT_TRUE(file.read(3) == "\xEF\xBB\xBF") << file.fileName().toStdString();
            const QStringList rows = QString::fromUtf8(file.readAll())
                                         .split(QStringLiteral("\r\n"), Qt::SkipEmptyParts)
                                         .mid(1);
            ASSERT_FALSE(rows.isEmpty()) << file.fileName().toStdString();
            const QString owner = stem.startsWith(QStringLiteral("20011D"))
                                      ? QStringLiteral("20011,Узел 1,")
                                      : QStringLiteral("20022,Узел 2,");
            EXPECT_EQ(rows.filter(QRegularExpression(QLatin1Char('^') + owner)).size(), rows.size())
                << file.fileName().toStdString();
        }

    // Again for the busy node and the second meter, named out of list order: their lines come
    // in list order, and the meter's hourly rows are replaced, not added.
    const CliResult second =
        runCli({QStringLiteral("--db"), db, QStringLiteral("collect"), QStringLiteral("--node"),
                QStringLiteral("Узел 3"), QStringLiteral("--node"), QStringLiteral("Узел 2"),
                QStringLiteral("hourly"), QStringLiteral("yesterday")},
               home.path());
    EXPECT_EQ(second.exitCode, kExitLinkFailed) << second.err.toStdString();
    const std::vector<QStringList> again = summary(second.out);
    ASSERT_EQ(again.size(), 2u) << second.out.toStdString();
    EXPECT_EQ(again[0].mid(0, 4), expected[1].mid(0, 4));
    EXPECT_EQ(again[1].mid(0, 4), expected[2].mid(0, 4));

    StoreReader store(db);
    ASSERT_TRUE(store.open());
    EXPECT_EQ(
        store.rows(QStringLiteral("SELECT node, phone, result, serial FROM runs ORDER BY id")),
        (QStringList{QStringLiteral("Узел 1|ATD+79001111111|ok|20011"),
                     QStringLiteral("Узел 2|ATD+79002222222|ok|20022"),
                     QStringLiteral("Узел 3|ATD+79003333333|busy|"),
                     QStringLiteral("Узел 4|ATD+79004444444|no carrier|"),
                     QStringLiteral("Узел 2|ATD+79002222222|ok|20022"),
                     QStringLiteral("Узел 3|ATD+79003333333|busy|")}));
    // Each connection names the operations as typed and the version the program reports.
    const QString version =
        runCli({QStringLiteral("--version")}, home.path()).out.trimmed().section(' ', 1);
    EXPECT_FALSE(version.isEmpty());
    EXPECT_EQ(
        store.rows(QStringLiteral("SELECT operations, version, COUNT(*) FROM runs "
                                  "GROUP BY operations, version ORDER BY MIN(id)")),
        (QStringList{QStringLiteral("values hourly yesterday daily yesterday|%1|4").arg(version),
                     QStringLiteral("hourly yesterday|%1|2").arg(version)}));
    // Each meter's day has its 24 hours once, the second meter's from the second run (id 5).
    const QString day = yesterday.toString(QStringLiteral("yyyy-MM-dd"));
    EXPECT_EQ(store.rows(QStringLiteral("SELECT serial, date, COUNT(*), MIN(run), MAX(run) "
                                        "FROM hourly GROUP BY serial, date ORDER BY serial")),
              (QStringList{QStringLiteral("20011|%1|24|1|1").arg(day),
                           QStringLiteral("20022|%1|24|5|5").arg(day)}));
    // The days of yesterday's month up to yesterday: today and later days have not ended.
    EXPECT_EQ(store.rows(QStringLiteral("SELECT serial, COUNT(*), MAX(date) FROM daily GROUP BY "
                                        "serial ORDER BY serial")),
              (QStringList{QStringLiteral("20011|%1|%2").arg(yesterday.day()).arg(day),
                           QStringLiteral("20022|%1|%2").arg(yesterday.day()).arg(day)}));
}

// A store that holds the day before yesterday of the first meter (its hours and its day) and
// nothing of the second: "hourly missing" over two days reads yesterday of the first meter and
// both days of the second; the next night reads nothing, its daily rows too.
TEST(CollectEndToEnd, MissingDaysAreReadOnceAndThenNoMore) {
    const QDate today = QDate::currentDate();
    const QDate before = today.addDays(-2);
    const QString d2 = before.toString(Qt::ISODate);
    const QString d1 = today.addDays(-1).toString(Qt::ISODate);
    CollectHome home;
    const QString db = home.path() + QStringLiteral("f.db");
    {
        FigureStore seed(db);
        seed.beginConnection(RunInfo{});
        seed.reportSetOpened(20011, QString());
        std::vector<ArchiveRow> hours;
        for (int h = 0; h < 24; ++h)
            hours.push_back(ArchiveRow{before, h, {1.0, 1.0, 1.0, 1.0}, {1.0, 1.0, 1.0, 1.0}, 1.0});
        seed.archiveRows(ArchiveKind::Hourly, hours);
        seed.archiveRows(
            ArchiveKind::Daily,
            {ArchiveRow{before, -1, {1.0, 1.0, 1.0, 1.0}, {24.0, 24.0, 24.0, 24.0}, 24.0}});
        seed.endConnection(RunResult::Ok, 20011, 0, 0, 0);
        ASSERT_FALSE(seed.failed()) << seed.errorText().toStdString();
    }
    SimProcess sim(modemBank(), home.path() + QStringLiteral("com3"));
    ASSERT_TRUE(sim.running());
    auto night = [&](const QString& trace, const QStringList& operations) {
        return runCli(QStringList{QStringLiteral("--db"), db, QStringLiteral("--catch-up"),
                                  QStringLiteral("2"), QStringLiteral("--trace"),
                                  home.path() + trace, QStringLiteral("collect"),
                                  QStringLiteral("--node"), QStringLiteral("Узел 1"),
                                  QStringLiteral("--node"), QStringLiteral("Узел 2")} +
                          operations,
                      home.path());
    };
    const CliResult first =
        night(QStringLiteral("t1"), {QStringLiteral("hourly"), QStringLiteral("missing")});
    EXPECT_EQ(first.exitCode, kExitOk) << first.err.toStdString();
    const CliResult second =
        night(QStringLiteral("t2"), {QStringLiteral("hourly"), QStringLiteral("missing"),
                                     QStringLiteral("daily"), QStringLiteral("missing")});
    EXPECT_EQ(second.exitCode, kExitOk) << second.err.toStdString();
    if (QDate::currentDate() != today)
        GTEST_SKIP() << "the runs crossed midnight: the window moved under them";

    // The seeded day keeps its rows (connection 1); the first night (2, 3) wrote the rest.
    StoreReader store(db);
    ASSERT_TRUE(store.open());
    EXPECT_EQ(store.rows(QStringLiteral("SELECT serial, date, COUNT(*), MIN(run), MAX(run) "
                                        "FROM hourly GROUP BY serial, date ORDER BY serial, date")),
              (QStringList{QStringLiteral("20011|%1|24|1|1").arg(d2),
                           QStringLiteral("20011|%1|24|2|2").arg(d1),
                           QStringLiteral("20022|%1|24|3|3").arg(d2),
                           QStringLiteral("20022|%1|24|3|3").arg(d1)}));
    // The second night: each node ok, and no archive request at all.
    const std::vector<QStringList> lines = summary(second.out);
    ASSERT_EQ(lines.size(), 2u) << second.out.toStdString();
    for (const QStringList& line : lines)
        EXPECT_EQ(line.value(2), QStringLiteral("ok")) << line.join(QLatin1Char('|')).toStdString();
    QFile trace(home.path() + QStringLiteral("t2"));
    ASSERT_TRUE(trace.open(QIODevice::ReadOnly));
    const QString frames = QString::fromUtf8(trace.readAll());
    EXPECT_EQ(frames.count(QStringLiteral("# begin opening read")), 2);
    EXPECT_FALSE(frames.contains(QStringLiteral("# begin hourly")));
    EXPECT_FALSE(frames.contains(QStringLiteral("# begin daily")));
    EXPECT_EQ(store.rows(QStringLiteral("SELECT COUNT(*), MAX(run) FROM daily")),
              QStringList{QStringLiteral("4|3")});
}

// A port whose far end ignores "AT" (a meter without a modem): the run ends after the check
// and its one escape, with the reason on stderr and no report files.
TEST(CollectEndToEnd, ModemThatNeverAnswersOkEndsTheRunWithoutFiles) {
    CollectHome home;
    SimProcess sim({QStringLiteral("--seed"), QStringLiteral("570"), QStringLiteral("--baud"),
                    QStringLiteral("0")},
                   home.path() + QStringLiteral("com3"));
    ASSERT_TRUE(sim.running());
    const CliResult result =
        runCli({QStringLiteral("--gsm"), QStringLiteral("+79001111111"), QStringLiteral("values")},
               home.path());
    EXPECT_EQ(result.exitCode, kExitLinkFailed);
    EXPECT_TRUE(result.err.contains(QStringLiteral("does not answer \"AT\" with \"OK\"")))
        << result.err.toStdString();
    EXPECT_TRUE(result.out.isEmpty());
    EXPECT_TRUE(filesIn(home.arc()).empty());
}

// The carrier drops two seconds into the call, in the middle of the hourly report's reads. The
// modem is then back in command mode and echoes every request; an echo passes the reply check,
// so the run must end at the "NO CARRIER" instead of storing the echoes' zeros as figures.
TEST(CollectEndToEnd, CallLostMidReportEndsTheRunWithoutEchoedFigures) {
    CollectHome home;
    SimProcess sim({QStringLiteral("--modem"), QStringLiteral("--seed"), QStringLiteral("11"),
                    QStringLiteral("--modem-connect-ms"), QStringLiteral("100"),
                    QStringLiteral("--modem-drop-after"), QStringLiteral("2")},
                   home.path() + QStringLiteral("com3"));
    ASSERT_TRUE(sim.running());
    const QString db = home.path() + QStringLiteral("f.db");
    const CliResult result =
        runCli({QStringLiteral("--gsm"), QStringLiteral("+79001111111"), QStringLiteral("--db"), db,
                QStringLiteral("hourly"), QStringLiteral("yesterday")},
               home.path());
    EXPECT_EQ(result.exitCode, kExitLinkFailed);
    EXPECT_TRUE(result.err.contains(QStringLiteral("NO CARRIER"))) << result.err.toStdString();
    const StoreReader store(db);
    ASSERT_TRUE(store.open());
    EXPECT_EQ(store.rows(QStringLiteral("SELECT result FROM runs")),
              QStringList{QStringLiteral("link failed")});
    EXPECT_EQ(store.rows(QStringLiteral("SELECT COUNT(*) FROM hourly")),
              QStringList{QStringLiteral("0")});
}

// The phone texts dialled in a trace file ("send" lines beginning with "ATD"), by count.
std::map<QString, int> dialsIn(const QString& path) {
    std::map<QString, int> dials;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return dials;
    static const QRegularExpression send(QStringLiteral("send  port \\d+: (41 54 44 [0-9A-F ]+)$"));
    for (const QString& line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        const QRegularExpressionMatch match = send.match(line);
        if (match.hasMatch())
            ++dials[QString::fromLatin1(
                        QByteArray::fromHex(match.captured(1).remove(QLatin1Char(' ')).toLatin1()))
                        .trimmed()];
    }
    return dials;
}

// Six nodes over two modem lines, the simulator's modem bank twice with the same numbers: four
// meters, one busy, one without carrier. Each node is dialled once, on one line or the other;
// the summary keeps list order and names the line; each report set is the window's bytes.
TEST(CollectEndToEnd, SixNodesOnTwoLinesEachDialledOnceInListOrder) {
    const QDate today = QDate::currentDate();
    const QDate yesterday = today.addDays(-1);
    CollectHome home;
    QFile list(home.path() + QStringLiteral("gsm_csd.ini"));
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    list.write("[baza]\r\nkol_uzlov=6\r\n"
               "tel_1=ATD+79001111111\r\nname_u1=n1\r\ntel_2=ATD+79002222222\r\nname_u2=n2\r\n"
               "tel_3=ATD+79003333333\r\nname_u3=n3\r\ntel_4=ATD+79005555555\r\nname_u4=n4\r\n"
               "tel_5=ATD+79004444444\r\nname_u5=n5\r\ntel_6=ATD+79006666666\r\nname_u6=n6\r\n");
    list.close();
    const QStringList bank =
        modemBank() + QStringList{QStringLiteral("--number"), QStringLiteral("+79005555555=33"),
                                  QStringLiteral("--number"), QStringLiteral("+79006666666=44")};
    const QString l1 = home.path() + QStringLiteral("l1");
    const QString l2 = home.path() + QStringLiteral("l2");
    SimProcess sim1(bank, l1);
    SimProcess sim2(bank, l2);
    ASSERT_TRUE(sim1.running() && sim2.running());
    const QString db = home.path() + QStringLiteral("f.db");
    const QString trace = home.path() + QStringLiteral("trace");

    const CliResult run = runCli({QStringLiteral("--device"), l1, QStringLiteral("--device"), l2,
                                  QStringLiteral("--trace"), trace, QStringLiteral("--db"), db,
                                  QStringLiteral("collect"), QStringLiteral("values"),
                                  QStringLiteral("monthly"), QStringLiteral("yesterday")},
                                 home.path());
    if (QDate::currentDate() != today)
        GTEST_SKIP() << "the run crossed midnight: \"yesterday\" changed under it";
    EXPECT_EQ(run.exitCode, kExitLinkFailed) << run.err.toStdString();

    // List order; the first two nodes go to the first and the second line, both free at the start.
    const std::vector<QStringList> lines = summary(run.out);
    ASSERT_EQ(lines.size(), 6u) << run.out.toStdString();
    const QStringList expected[] = {{"n1", "ok", "20011"},    {"n2", "ok", "20022"},
                                    {"n3", "busy", ""},       {"n4", "ok", "20033"},
                                    {"n5", "no carrier", ""}, {"n6", "ok", "20044"}};
    QStringList served;
    for (size_t i = 0; i < lines.size(); ++i) {
        ASSERT_EQ(lines[i].size(), 8) << lines[i].join(QLatin1Char('|')).toStdString();
        EXPECT_EQ((QStringList{lines[i][0], lines[i][2], lines[i][3]}), expected[i]);
        served << lines[i][7];
    }
    EXPECT_EQ(served[0], l1);
    EXPECT_EQ(served[1], l2);
    EXPECT_EQ(served.filter(QRegularExpression(QStringLiteral("^(") + l1 + '|' + l2 + ")$")).size(),
              6);

    // Each number dialled once, each in the trace of the line the summary names.
    std::map<QString, int> dials;
    for (int line = 1; line <= 2; ++line)
        for (const auto& [dial, count] : dialsIn(trace + QStringLiteral(".%1").arg(line))) {
            dials[dial] += count;
            for (size_t i = 0; i < lines.size(); ++i)
                if (lines[i][1] == dial) {
                    EXPECT_EQ(served[int(i)], line == 1 ? l1 : l2) << dial.toStdString();
                }
        }
    EXPECT_EQ(dials.size(), 6u);
    for (const auto& [dial, count] : dials)
        EXPECT_EQ(count, 1) << dial.toStdString();

    // Four report sets, each the window's bytes for its meter.
    const auto reports = filesIn(home.arc());
    EXPECT_EQ(reports.size(), 16u);
    std::map<QString, WindowRun> windows;
    for (const uint32_t seed : {11u, 22u, 33u, 44u})
        windows[QStringLiteral("200%1D").arg(seed)] =
            windowRun(seed, yesterday, {QStringLiteral("monthly")});
    for (const auto& [name, bytes] : reports) {
        const WindowRun& window = windows[name.left(6)];
        ASSERT_EQ(window.reports.count(suffixOf(name)), 1u) << name.toStdString();
        EXPECT_TRUE(bytes == window.reports.at(suffixOf(name))) << name.toStdString();
    }

    // Both lines wrote to one store: every node's connection, with the line as its port.
    StoreReader store(db);
    ASSERT_TRUE(store.open());
    QStringList runs;
    for (size_t i = 0; i < lines.size(); ++i)
        runs << QStringList{lines[i][0], lines[i][2], lines[i][7]}.join(QLatin1Char('|'));
    EXPECT_EQ(store.rows(QStringLiteral("SELECT node, result, port FROM runs ORDER BY node")),
              runs);
    EXPECT_EQ(store.rows(QStringLiteral("SELECT COUNT(DISTINCT serial) FROM current_values")),
              QStringList{QStringLiteral("4")});
}

} // namespace
} // namespace rt570::cli::test
