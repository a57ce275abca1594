#include "cli/CliOptions.h"
#include "support/QStringPrinter.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace rt570::cli {
namespace {

ParsedArguments parse(std::initializer_list<const char*> args,
                      const QDate& today = QDate::currentDate()) {
    QStringList list;
    for (const char* a : args)
        list << QString::fromUtf8(a);
    return parseArguments(list, today);
}

TEST(CliOptions, DefaultsAreTheWindowsStartUpSelections) {
    const ParsedArguments p = parse({"values"});
    ASSERT_TRUE(p.ok()) << p.error.toStdString();
    EXPECT_EQ(p.options.port, 3);
    EXPECT_EQ(p.options.rateItem, 4); // "9600,N,8,1"
    EXPECT_EQ(p.options.address, 1);
    EXPECT_TRUE(p.options.device.isEmpty());
    EXPECT_FALSE(p.options.gsm());
    EXPECT_TRUE(p.options.tracePath.isEmpty());
    EXPECT_FALSE(p.options.noProgress);
    ASSERT_EQ(p.options.operations.size(), 1u);
    EXPECT_EQ(p.options.operations[0].kind, CliOperation::Values);
}

TEST(CliOptions, EveryOptionWithSeparateOrJoinedValue) {
    const ParsedArguments p =
        parse({"--port", "7", "--device=/dev/pts/5", "--rate", "115200", "--address=255", "--gsm",
               "+79001234567", "--trace", "t.log", "--no-progress", "set-clock"});
    ASSERT_TRUE(p.ok()) << p.error.toStdString();
    EXPECT_EQ(p.options.port, 7);
    EXPECT_EQ(p.options.device, QStringLiteral("/dev/pts/5"));
    EXPECT_EQ(p.options.rateItem, 8);
    EXPECT_EQ(p.options.address, 255);
    EXPECT_EQ(p.options.gsmPhone, QStringLiteral("+79001234567"));
    EXPECT_TRUE(p.options.gsm());
    EXPECT_EQ(p.options.tracePath, QStringLiteral("t.log"));
    EXPECT_TRUE(p.options.noProgress);
}

TEST(CliOptions, EveryRateOfTheSelectorMapsToItsItem) {
    const char* rates[] = {"600",   "1200",  "2400",  "4800",  "9600",
                           "19200", "38400", "57600", "115200"};
    for (int item = 0; item < 9; ++item) {
        const ParsedArguments p = parse({"--rate", rates[item], "values"});
        ASSERT_TRUE(p.ok()) << rates[item];
        EXPECT_EQ(p.options.rateItem, item) << rates[item];
    }
}

TEST(CliOptions, OperationsKeepTheirOrderAndDates) {
    const ParsedArguments p = parse({"hourly", "2014-01-05", "values", "monthly", "2042-12-31",
                                     "params", "daily", "2000-01-01", "hourly", "2012-02-29"},
                                    QDate(2042, 12, 31));
    ASSERT_TRUE(p.ok()) << p.error.toStdString();
    const auto& ops = p.options.operations;
    ASSERT_EQ(ops.size(), 6u);
    EXPECT_EQ(ops[0].kind, CliOperation::Hourly);
    EXPECT_EQ(ops[0].date, QDate(2014, 1, 5));
    EXPECT_EQ(ops[1].kind, CliOperation::Values);
    EXPECT_EQ(ops[2].kind, CliOperation::Monthly);
    EXPECT_EQ(ops[2].date, QDate(2042, 12, 31));
    EXPECT_EQ(ops[3].kind, CliOperation::Params);
    EXPECT_EQ(ops[4].kind, CliOperation::Daily);
    EXPECT_EQ(ops[4].date, QDate(2000, 1, 1));
    EXPECT_EQ(ops[5].date, QDate(2012, 2, 29));
}

TEST(CliOptions, BadUsageIsRefusedWithAReason) {
    const std::vector<std::vector<const char*>> bad{
        {},                          // no operation
        {"--verbose", "values"},     // unknown option
        {"value"},                   // unknown operation
        {"values", "--port"},        // option without its value
        {"--port", "256", "values"}, // out of range
        {"--port", "-1", "values"},
        {"--port", "3x", "values"},
        {"--port", "", "values"},
        {"--address", "300", "values"},
        {"--address", "+1", "values"},
        {"--address", " 1", "values"},
        {"--rate", "9601", "values"}, // not an item of the selector
        {"--rate", "9600,N,8,1", "values"},
        {"--gsm", "", "values"},
        {"--gsm", "+7900漢字", "values"}, // the modem's code page cannot carry it
        {"--trace", "", "values"},
        {"--device", "", "values"},
        {"hourly"},                // date missing
        {"hourly", "1999-12-31"},  // before 2000
        {"daily", "2043-01-01"},   // after 2042
        {"monthly", "2014-13-01"}, // no such month
        {"hourly", "2013-02-29"},  // no such day
        {"hourly", "2014-1-5"},    // not YYYY-MM-DD
        {"hourly", "05.01.2014"},
        {"hourly", "2014-01-05T00:00"},
        {"hourly", "values"},
    };
    for (const auto& args : bad) {
        QStringList list;
        for (const char* a : args)
            list << QString::fromUtf8(a);
        const ParsedArguments p = parseArguments(list);
        EXPECT_FALSE(p.ok()) << list.join(QLatin1Char(' ')).toStdString();
        EXPECT_FALSE(p.error.isEmpty());
    }
}

TEST(CliOptions, HelpAndVersionNeedNoOperation) {
    const struct {
        std::initializer_list<const char*> args;
        bool help, version;
    } cases[] = {
        {{"--help"}, true, false},
        {{"-h"}, true, false},
        {{"--version"}, false, true},
    };
    for (const auto& c : cases) {
        const ParsedArguments p = parse(c.args);
        ASSERT_TRUE(p.ok()) << *c.args.begin() << ": " << p.error.toStdString();
        EXPECT_EQ(p.options.help, c.help) << *c.args.begin();
        EXPECT_EQ(p.options.version, c.version) << *c.args.begin();
    }
}

// "today" and "yesterday" are the PC's local date and the day before, and must still be dates
// the archive date code can address. A date after the PC's date is refused, naming it: none of
// its hours, days or months has ended.
TEST(CliOptions, DateWordsFollowTheInjectedDate) {
    const struct {
        QDate today;
        const char* word;
        QDate expected; // invalid: refused
    } cases[] = {
        {QDate(2014, 1, 5), "today", QDate(2014, 1, 5)},
        {QDate(2014, 1, 5), "yesterday", QDate(2014, 1, 4)},
        {QDate(2014, 1, 1), "yesterday", QDate(2013, 12, 31)},
        {QDate(2012, 3, 1), "yesterday", QDate(2012, 2, 29)},
        {QDate(2000, 1, 1), "today", QDate(2000, 1, 1)},
        {QDate(2000, 1, 1), "yesterday", QDate()},
        {QDate(2043, 1, 1), "yesterday", QDate(2042, 12, 31)},
        {QDate(2043, 1, 1), "today", QDate()},
        {QDate(2014, 1, 5), "Today", QDate()},
        {QDate(2014, 1, 5), "tomorrow", QDate()},
        {QDate(2026, 12, 10), "2026-12-10", QDate(2026, 12, 10)},
        {QDate(2026, 12, 10), "2026-12-09", QDate(2026, 12, 9)},
        {QDate(2026, 12, 10), "2026-12-11", QDate()},
        {QDate(2026, 12, 31), "2027-01-01", QDate()},
        {QDate(2014, 1, 5), "2042-12-31", QDate()},
    };
    for (const auto& c : cases) {
        const std::string what = c.today.toString(Qt::ISODate).toStdString() + " " + c.word;
        const ParsedArguments p =
            parseArguments({QStringLiteral("daily"), QString::fromLatin1(c.word)}, c.today);
        if (!c.expected.isValid()) {
            EXPECT_FALSE(p.ok()) << what;
            EXPECT_TRUE(p.error.contains(QString::fromLatin1(c.word))) << p.error.toStdString();
            continue;
        }
        ASSERT_TRUE(p.ok()) << what << ": " << p.error.toStdString();
        ASSERT_EQ(p.options.operations.size(), 1u) << what;
        EXPECT_EQ(p.options.operations[0].date, c.expected) << what;
    }
}

TEST(CliOptions, CollectTakesItsNodeOptionsAfterTheWord) {
    const ParsedArguments p =
        parse({"--port", "4", "collect", "--nodes", "/tmp/n.ini", "--node", "Котельная 2",
               "--blind-dial", "--node", "A", "monthly", "2014-01-01", "set-clock"});
    ASSERT_TRUE(p.ok()) << p.error.toStdString();
    EXPECT_TRUE(p.options.collect);
    EXPECT_FALSE(p.options.gsm());
    EXPECT_EQ(p.options.port, 4);
    EXPECT_EQ(p.options.nodesPath, QStringLiteral("/tmp/n.ini"));
    EXPECT_EQ(p.options.nodeNames, QStringList({QStringLiteral("Котельная 2"), "A"}));
    EXPECT_TRUE(p.options.blindDial);
    ASSERT_EQ(p.options.operations.size(), 2u);
    EXPECT_EQ(p.options.operations[0].kind, CliOperation::Monthly);
    EXPECT_EQ(p.options.operations[1].kind, CliOperation::SetClock);
}

// Options that only make sense together: each refused combination beside an accepted one that
// differs by one argument.
TEST(CliOptions, CombinationsOfModemAndCollectOptions) {
    const struct {
        std::vector<const char*> args;
        bool ok;
    } cases[] = {
        {{"collect", "values"}, true},
        {{"collect"}, false}, // no operation
        {{"collect", "--gsm", "+79001234567", "values"}, false},
        {{"--gsm", "+79001234567", "values"}, true},
        {{"--node", "A", "values"}, false},
        {{"collect", "--node", "A", "values"}, true},
        {{"--nodes", "n.ini", "values"}, false},
        {{"collect", "--nodes", "n.ini", "values"}, true},
        {{"--blind-dial", "values"}, false},
        {{"--blind-dial", "--gsm", "+79001234567", "values"}, true},
        {{"--blind-dial", "collect", "values"}, true},
        {{"values", "collect"}, false}, // the word comes before the operations
        // Several modem lines: collect only, by --device or by --port, each named once.
        {{"--device", "/dev/a", "--device", "/dev/b", "collect", "values"}, true},
        {{"--device", "/dev/a", "--device", "/dev/b", "values"}, false},
        {{"--device", "/dev/a", "--device", "/dev/a", "collect", "values"}, false},
        {{"--port", "3", "--port", "4", "collect", "values"}, true},
        {{"--port", "3", "--port", "4", "--gsm", "+79001234567", "values"}, false},
        {{"--port", "3", "--port", "3", "collect", "values"}, false},
        {{"--port", "3", "--device", "/dev/a", "--device", "/dev/b", "collect", "values"}, true},
        {{"--port", "3", "--port", "4", "--device", "/dev/a", "collect", "values"}, false},
        {{"--db", "f.db", "import", "pc.db"}, true},
        {{"import", "pc.db"}, false}, // into what
        {{"--db", "f.db", "import"}, false},
        {{"--db", "f.db", "import", "pc.db", "values"}, false},
        {{"--db", "postgresql://c@h/f", "values"}, true},
        {{"--db", "postgresql://c:pw@h/f", "values"}, false}, // the password belongs in ~/.pgpass
    };
    for (const auto& c : cases) {
        QStringList list;
        for (const char* a : c.args)
            list << QString::fromUtf8(a);
        const ParsedArguments p = parseArguments(list);
        EXPECT_EQ(p.ok(), c.ok) << list.join(QLatin1Char(' ')).toStdString() << ": "
                                << p.error.toStdString();
        EXPECT_EQ(p.error.isEmpty(), c.ok);
    }
}

// A link to a device and the device are one line.
TEST(CliOptions, SameDeviceThroughALink) {
    QTemporaryDir dir;
    const QString device = dir.filePath(QStringLiteral("ttyX"));
    const QString link = dir.filePath(QStringLiteral("modem"));
    QFile file(device);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_TRUE(QFile::link(device, link));
    EXPECT_TRUE(sameDevice(link, device));
    EXPECT_FALSE(sameDevice(link, dir.filePath(QStringLiteral("ttyY"))));
    const ParsedArguments p =
        parseArguments({QStringLiteral("--device"), device, QStringLiteral("--device"), link,
                        QStringLiteral("collect"), QStringLiteral("values")});
    EXPECT_TRUE(p.error.contains(QStringLiteral("named twice"))) << p.error.toStdString();
}

TEST(CliOptions, DialTextGetsTheDialCommandUnlessItIsOne) {
    EXPECT_EQ(dialText(QStringLiteral("+79001234567")), QStringLiteral("ATD+79001234567"));
    EXPECT_EQ(dialText(QStringLiteral("ATD+79001234567")), QStringLiteral("ATD+79001234567"));
    EXPECT_EQ(dialText(QStringLiteral("atdt123")), QStringLiteral("atdt123"));
    EXPECT_EQ(dialText(QStringLiteral("8 900 123")), QStringLiteral("ATD8 900 123"));
}

TEST(CliOptions, ArchiveDateRangeEdges) {
    EXPECT_EQ(parseArchiveDate(QStringLiteral("2000-01-01")), QDate(2000, 1, 1));
    EXPECT_EQ(parseArchiveDate(QStringLiteral("2042-12-31")), QDate(2042, 12, 31));
    EXPECT_FALSE(parseArchiveDate(QStringLiteral("1999-12-31")).isValid());
    EXPECT_FALSE(parseArchiveDate(QStringLiteral("2043-01-01")).isValid());
    EXPECT_FALSE(parseArchiveDate(QStringLiteral("")).isValid());
}

} // namespace
} // namespace rt570::cli
