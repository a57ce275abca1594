// "collect" in this process: which nodes of the node list are called, and the lists and names
// that end the run before any port is touched.

#include "RunFixture.h"

#include "sim/MeterParameters.h"
#include "store/DatabaseProbe.h"
#include "support/QStringPrinter.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <map>

namespace rt570::cli::test {
namespace {

// Three nodes; the second one's name is Cyrillic in the list's Windows-1251 bytes.
const char kThreeNodes[] = "[baza]\r\n"
                           "kol_uzlov=3\r\n"
                           "tel_1=ATD111\r\n"
                           "name_u1=A\r\n"
                           "tel_2=ATD222\r\n"
                           "name_u2=\xCA\xEE\xF2\xE5\xEB\xFC\xED\xE0\xFF\r\n"
                           "tel_3=ATD333\r\n"
                           "name_u3=C\r\n";
const char kNoNodes[] = "[baza]\r\nkol_uzlov=0\r\n";
// A node for every answer the modem gives a dial (the numbers 91..95, see CliCollect), and
// phone texts that are not dialled: empty, and not a modem command. The last node answers, so
// the run's status must come from the nodes before it.
const char kEveryAnswer[] = "[baza]\r\nkol_uzlov=9\r\n"
                            "tel_1=ATD91\r\nname_u1=B\r\n"
                            "tel_2=ATD92\r\nname_u2=NC\r\n"
                            "tel_3=ATD93\r\nname_u3=NA\r\n"
                            "tel_4=ATD94\r\nname_u4=ND\r\n"
                            "tel_5=ATD95\r\nname_u5=E\r\n"
                            "tel_6=\r\nname_u6=Empty\r\n"
                            "tel_7=89001234567\r\nname_u7=Bare\r\n"
                            "tel_8=atd111\r\nname_u8=Lower\r\n"
                            "tel_9=ATD+7900123456789\r\nname_u9=Long\r\n";
// The first node's dial is answered BUSY, the others connect.
const char kBusyFirst[] = "[baza]\r\nkol_uzlov=3\r\n"
                          "tel_1=ATD91\r\nname_u1=A\r\n"
                          "tel_2=ATD222\r\nname_u2=B\r\n"
                          "tel_3=ATD333\r\nname_u3=C\r\n";
// A zero byte ends the list's text: the second node's phone and all after it are empty.
const char kCutByZero[] = "[baza]\r\nkol_uzlov=3\r\n"
                          "tel_1=ATD111\r\nname_u1=A\r\n"
                          "tel_2=\0ATD222\r\nname_u2=B\r\n"
                          "tel_3=ATD333\r\nname_u3=C\r\n";

struct NodeCase {
    QByteArray list;               // the node list's bytes; empty: no list
    std::vector<const char*> args; // "%" stands for the home folder
    int status;
    std::vector<QString> called;           // the names of the summary lines, in order
    const char* errWord;                   // stderr names this once (a refused run names the list)
    std::vector<const char*> results = {}; // the lines' result words; empty: every one "ok"
    int errCount = 1;                      // how often stderr names errWord
    bool pcClockRefused = false;           // the PC's clock in 2043: set-clock is refused
};

// A modem on the scripted line answers its commands and connects every call to the meter,
// but for the numbers 91..95, which it answers with each of its other results.
class ModemLine : public CliRunFixture {
protected:
    void SetUp() override {
        CliRunFixture::SetUp();
        auto meterAnswer = line.responder;
        line.responder = [meterAnswer](const QByteArray& sent) {
            const std::map<QByteArray, QByteArray> failing = {{"ATD91\r", "\r\nBUSY\r\n"},
                                                              {"ATD92\r", "\r\nNO CARRIER\r\n"},
                                                              {"ATD93\r", "\r\nNO ANSWER\r\n"},
                                                              {"ATD94\r", "\r\nNO DIALTONE\r\n"},
                                                              {"ATD95\r", "\r\nERROR\r\n"}};
            if (failing.count(sent))
                return failing.at(sent);
            if (sent.toUpper().startsWith("ATD"))
                return QByteArray("\r\nCONNECT 9600\r\n");
            if (sent == "AT\r" || sent == "+++" || sent == "ATH\r")
                return QByteArray("\r\nOK\r\n");
            return meterAnswer(sent);
        };
    }
};

class CliCollect : public ModemLine, public ::testing::WithParamInterface<NodeCase> {};

// The same, with the node list of three nodes written.
class CliCollectStore : public ModemLine {
protected:
    void SetUp() override {
        ModemLine::SetUp();
        QFile file(home.path() + QStringLiteral("/gsm_csd.ini"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(kThreeNodes);
    }
};

TEST_P(CliCollect, CallsTheChosenNodesInListOrder) {
    const NodeCase& c = GetParam();
    if (c.pcClockRefused)
        pcClock = [] { return QDateTime(QDate(2043, 1, 1), QTime(0, 0, 0)); };
    const QString listPath = home.path() + QStringLiteral("/gsm_csd.ini");
    if (!c.list.isEmpty()) {
        QFile file(listPath);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(c.list);
    }
    QStringList args;
    for (const char* a : c.args)
        args << QString::fromUtf8(a).replace(QLatin1Char('%'), home.path());
    EXPECT_EQ(run(args), c.status);

    const QStringList lines = outText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(size_t(lines.size()), c.called.size()) << outText().toStdString();
    QStringList dials, expectedDials;
    for (const QByteArray& frame : line.sentFrames())
        if (frame.toUpper().startsWith("ATD"))
            dials << QString::fromLatin1(frame);
    const QString serial = QString::number(sim::defaultSerial(570));
    int connections = 0;
    for (size_t i = 0; i < c.called.size(); ++i) {
        const QStringList fields = lines[int(i)].split(QLatin1Char('\t'));
        ASSERT_EQ(fields.size(), 8) << lines[int(i)].toStdString();
        EXPECT_EQ(fields[0], c.called[i]);
        EXPECT_EQ(fields[7], QStringLiteral("port 3")); // the one line: the default port
        const QString result = c.results.empty() ? QStringLiteral("ok") : c.results[i];
        EXPECT_EQ(fields[2], result) << fields[0].toStdString();
        EXPECT_EQ(fields[3], result == QLatin1String("ok") ? serial : QString());
        if (result == QLatin1String("bad phone"))
            continue;
        // What is dialled: the text's first 15 characters, once more after an "ERROR".
        ++connections;
        const QString dial = fields[1].left(15) + QLatin1Char('\r');
        expectedDials << dial;
        if (result == QLatin1String("modem error"))
            expectedDials << dial;
    }
    EXPECT_EQ(dials, expectedDials);
    // A phone text that is not dialled leaves the port alone: no report files can follow.
    EXPECT_EQ(line.count(rt570::test::FakeSerialLine::Call::Open), connections);
    const QString stderrText = errText();
    const QString errWord = QString::fromUtf8(c.errWord).replace(QLatin1Char('%'), home.path());
    if (!errWord.isEmpty()) {
        EXPECT_EQ(stderrText.count(errWord), c.errCount) << stderrText.toStdString();
    }
}

// Told to stop in the middle of the second node's readout: the call is hung up, that node's
// figures are dropped while the first node's stay stored, and no later node is called.
TEST_F(ModemLine, CollectToldToStopEndsAfterTheInterruptedNode) {
    QFile list(home.path() + QStringLiteral("/gsm_csd.ini"));
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    list.write(kThreeNodes);
    list.close();
    const QString db = home.path() + QStringLiteral("/f.db");
    FigureOutputs stored(db, QString(), QLatin1Char('.'));
    outputs = &stored;
    // Ten requests into the second call.
    stopRequested = [this] {
        int dials = 0, requests = 0;
        for (const QByteArray& frame : line.sentFrames()) {
            dials += frame.startsWith("ATD");
            requests += dials == 2 && frame.startsWith('#');
        }
        return requests >= 10;
    };
    EXPECT_EQ(run({"collect", "values"}), kExitLinkFailed);

    const QStringList lines = outText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << outText().toStdString();
    EXPECT_EQ(lines[0].split(QLatin1Char('\t')).mid(0, 3), (QStringList{"A", "ATD111", "ok"}));
    EXPECT_EQ(lines[1].split(QLatin1Char('\t')).mid(0, 3),
              (QStringList{QStringLiteral("Котельная"), "ATD222", "interrupted"}));
    std::vector<QByteArray> modemCommands;
    for (const QByteArray& frame : line.sentFrames())
        if (!frame.startsWith('#'))
            modemCommands.push_back(frame);
    EXPECT_EQ(modemCommands,
              (std::vector<QByteArray>{"AT\r", "ATH\r", "ATD111\r", "+++", "ATH\r", "AT\r", "ATH\r",
                                       "ATD222\r", "+++", "ATH\r"}));
    outputs = nullptr;
    {
        QSqlDatabase store = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "stopped");
        store.setDatabaseName(db);
        ASSERT_TRUE(store.open());
        QSqlQuery query(store);
        ASSERT_TRUE(query.exec("SELECT node, result, (SELECT COUNT(*) FROM current_values) "
                               "FROM runs"));
        ASSERT_TRUE(query.next());
        EXPECT_EQ(query.value(0).toString(), QStringLiteral("A"));
        EXPECT_EQ(query.value(1).toString(), QStringLiteral("ok"));
        EXPECT_EQ(query.value(2).toInt(), 1);
        EXPECT_FALSE(query.next());
    }
    QSqlDatabase::removeDatabase(QStringLiteral("stopped"));
}

// A modem line that fails for good takes no further node: with one line, the node it failed
// on keeps its result and the rest are not called, in list order, with no line named.
TEST_F(ModemLine, CollectLineThatFailsForGoodLeavesTheRestUncalled) {
    QFile list(home.path() + QStringLiteral("/gsm_csd.ini"));
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    list.write(kThreeNodes);
    list.close();
    const auto modemAnswer = line.responder;
    const struct {
        const char* what;
        QByteArray answerToAt;   // empty: "OK"
        int lostAfterRequests;   // the device goes away after this many meter requests; 0: never
        const char* firstResult; // the first node's
        const char* errWord;     // stderr says it
    } cases[] = {
        {"the modem answers ERROR to AT", "\r\nERROR\r\n", 0, "modem error", "leaves the pool"},
        {"the modem is silent", "-", 0, "modem silent", "does not answer \"AT\""},
        {"the device goes away", "", 3, "link failed", "was lost"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        line.responder = [&](const QByteArray& sent) {
            if (sent == "AT\r" && !c.answerToAt.isEmpty())
                return c.answerToAt == "-" ? QByteArray() : c.answerToAt;
            return modemAnswer(sent);
        };
        deviceLost = [&](uint8_t) {
            int requests = 0;
            for (const QByteArray& frame : line.sentFrames())
                requests += frame.startsWith('#');
            return c.lostAfterRequests > 0 && requests >= c.lostAfterRequests;
        };
        EXPECT_EQ(run({"collect", "values"}), kExitLinkFailed);
        const QStringList lines = outText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        ASSERT_GE(lines.size(), 3) << outText().toStdString();
        const QStringList expected[] = {{"A", c.firstResult, "port 3"},
                                        {QStringLiteral("Котельная"), "not called", ""},
                                        {"C", "not called", ""}};
        for (int i = 0; i < 3; ++i) {
            const QStringList fields = lines[lines.size() - 3 + i].split(QLatin1Char('\t'));
            ASSERT_EQ(fields.size(), 8);
            EXPECT_EQ((QStringList{fields[0], fields[2], fields[7]}), expected[i]);
        }
        EXPECT_TRUE(errText().contains(QLatin1String(c.errWord))) << errText().toStdString();
        // One dial at most: the line took no node after its failure.
        int dials = 0;
        for (const QByteArray& frame : line.sentFrames())
            dials += frame.startsWith("ATD");
        EXPECT_LE(dials, 1);
        line.clear();
    }
}

// The first call drops ("NO CARRIER" in place of the tenth reply): that connection ends at the
// next attempt's message pass as a failed link, the modem, still there, is hung up, and the
// other nodes are called.
TEST_F(CliCollectStore, CallLostEndsItsConnectionAndIsHungUp) {
    auto modem = line.responder;
    int meterFrames = 0;
    line.responder = [&](const QByteArray& sent) {
        if (sent.startsWith('#') && ++meterFrames == 10)
            return QByteArray("\r\nNO CARRIER\r\n");
        return modem(sent);
    };
    EXPECT_EQ(run({"collect", "values"}), kExitLinkFailed);

    const QStringList lines = outText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3) << outText().toStdString();
    EXPECT_EQ(lines[0].split(QLatin1Char('\t')).mid(0, 3),
              (QStringList{"A", "ATD111", "link failed"}));
    EXPECT_EQ(lines[1].split(QLatin1Char('\t'))[2], QStringLiteral("ok"));
    EXPECT_EQ(lines[2].split(QLatin1Char('\t'))[2], QStringLiteral("ok"));
    EXPECT_TRUE(errText().contains(QStringLiteral("NO CARRIER"))) << errText().toStdString();
    std::vector<QByteArray> firstCall;
    for (const QByteArray& frame : line.sentFrames()) {
        if (frame == "AT\r" && !firstCall.empty())
            break;
        firstCall.push_back(frame.startsWith('#') ? QByteArray("#") : frame);
    }
    std::vector<QByteArray> expected{"AT\r", "ATH\r", "ATD111\r"};
    expected.insert(expected.end(), 11, "#"); // ten requests and the tenth's second attempt
    expected.insert(expected.end(), {"+++", "ATH\r"});
    EXPECT_EQ(firstCall, expected);
}

const QString kCyrillic = QStringLiteral("Котельная");

INSTANTIATE_TEST_SUITE_P(
    NodeLists, CliCollect,
    ::testing::Values(
        NodeCase{kThreeNodes, {"collect", "set-clock"}, kExitOk, {"A", kCyrillic, "C"}, ""},
        NodeCase{kThreeNodes,
                 {"collect", "--node", "C", "--node", "Котельная", "set-clock"},
                 kExitOk,
                 {kCyrillic, "C"},
                 ""},
        NodeCase{kThreeNodes,
                 {"collect", "--nodes", "%/gsm_csd.ini", "--node", "A", "set-clock"},
                 kExitOk,
                 {"A"},
                 ""},
        NodeCase{kThreeNodes, {"collect", "--node", "D", "set-clock"}, kExitUsage, {}, "'D'"},
        NodeCase{kThreeNodes,
                 {"collect", "--node", "A", "--node", "D", "set-clock"},
                 kExitUsage,
                 {},
                 "'D'"},
        NodeCase{{}, {"collect", "set-clock"}, kExitUsage, {}, "%/gsm_csd.ini"},
        NodeCase{kThreeNodes,
                 {"collect", "--nodes", "%/other.ini", "set-clock"},
                 kExitUsage,
                 {},
                 "%/other.ini"},
        NodeCase{kNoNodes, {"collect", "set-clock"}, kExitUsage, {}, "%/gsm_csd.ini"},
        NodeCase{kEveryAnswer,
                 {"collect", "set-clock"},
                 kExitLinkFailed,
                 {"B", "NC", "NA", "ND", "E", "Empty", "Bare", "Lower", "Long"},
                 "\"ATD+79001234567\" is dialled",
                 {"busy", "no carrier", "no answer", "no dialtone", "modem error", "bad phone",
                  "bad phone", "ok", "ok"}},
        NodeCase{kEveryAnswer,
                 {"collect", "--node", "Bare", "set-clock"},
                 kExitLinkFailed,
                 {"Bare"},
                 "\"89001234567\" does not begin with \"AT\"",
                 {"bad phone"}},
        NodeCase{QByteArray::fromRawData(kCutByZero, sizeof kCutByZero - 1),
                 {"collect", "set-clock"},
                 kExitLinkFailed,
                 {"A", "", ""},
                 "the phone text is empty",
                 {"ok", "bad phone", "bad phone"},
                 2},
        // The run's status is the worst of all nodes, wherever the failing one stands; a
        // refused set-clock ranks below a failed node, and is no file error.
        NodeCase{kThreeNodes,
                 {"collect", "set-clock"},
                 kExitRefused,
                 {"A", kCyrillic, "C"},
                 "",
                 {},
                 1,
                 true},
        NodeCase{kBusyFirst,
                 {"collect", "set-clock"},
                 kExitLinkFailed,
                 {"A", "B", "C"},
                 "",
                 {"busy", "ok", "ok"},
                 1,
                 true}));

// The figure store's write lock is held by another program from before the run; it lets go when
// `releaseAt` is dialled, or never. Figures held back wait for a later write; what is still held
// back at the end is lost, said on stderr, with exit status 3.
TEST_F(CliCollectStore, FiguresALockHeldBackLandLaterOrAreLost) {
    struct Case {
        std::vector<const char*> args;
        const char* releaseAt; // null: the lock is held to the end; "": never taken
        int status;
        QStringList runs; // node, operations, version, finished after started
        const char* errPart;
    };
    const Case cases[] = {
        {{"collect", "values"},
         "ATD222",
         kExitOk,
         {"A|values|9.8.7|1", "Котельная|values|9.8.7|1", "C|values|9.8.7|1"},
         ""},
        {{"collect", "values"},
         nullptr,
         kExitFileError,
         {},
         "the figures of 3 connection(s) could not be written and are lost (nodes A, Котельная, "
         "C): database is locked"},
        {{"values", "set-clock"}, nullptr, kExitFileError, {}, "the figures of 1 connection(s)"},
        {{"values", "set-clock"}, "", kExitOk, {"|values set-clock|9.8.7|1"}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.front());
        SCOPED_TRACE(c.releaseAt ? c.releaseAt : "held");
        // Each case's messages on their own.
        std::fclose(err);
        err = std::tmpfile();
        QTemporaryDir dir;
        const QString db = dir.filePath(QStringLiteral("figures.db"));
        FigureOutputs stored(db, QString(), QLatin1Char('.'), 50);
        outputs = &stored;
        int calls = 0;
        pcClock = [&calls] { return fixedNow().addSecs(calls++); };
        auto other = std::make_unique<rt570::test::DatabaseProbe>(db);
        if (!c.releaseAt || *c.releaseAt != '\0')
            other->exec(QStringLiteral("BEGIN IMMEDIATE"));
        auto answer = line.responder;
        line.responder = [&](const QByteArray& sent) {
            if (c.releaseAt && *c.releaseAt != '\0' && other && sent.startsWith(c.releaseAt))
                other.reset(); // ends its transaction
            return answer(sent);
        };
        QStringList args;
        for (const char* a : c.args)
            args << QString::fromUtf8(a);
        EXPECT_EQ(run(args), c.status) << errText().toStdString();
        line.responder = answer;
        other.reset();
        EXPECT_EQ(
            rt570::test::DatabaseProbe(db).rows(QStringLiteral(
                "SELECT node, operations, version, finished > started FROM runs ORDER BY id")),
            c.runs);
        if (*c.errPart == '\0')
            EXPECT_FALSE(errText().contains(QLatin1String("figure database")))
                << errText().toStdString();
        else
            EXPECT_TRUE(errText().contains(QString::fromUtf8(c.errPart)))
                << errText().toStdString();
        outputs = nullptr;
    }
}

} // namespace
} // namespace rt570::cli::test
