// "collect" in this process: which nodes of the node list are called, and the lists and names
// that end the run before any port is touched.

#include "RunFixture.h"

#include "sim/MeterParameters.h"
#include "store/DatabaseProbe.h"
#include "support/QStringPrinter.h"

#include <QFile>

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

struct NodeCase {
    const char* list;              // the node list's bytes; null: no list
    std::vector<const char*> args; // "%" stands for the home folder
    int status;
    std::vector<QString> called; // the names called, in order
    const char* errWord;         // stderr names this when the run is refused
};

// A modem on the scripted line answers its commands and connects every call to the meter.
class CliCollect : public CliRunFixture, public ::testing::WithParamInterface<NodeCase> {
protected:
    void SetUp() override {
        CliRunFixture::SetUp();
        auto meterAnswer = line.responder;
        line.responder = [meterAnswer](const QByteArray& sent) {
            if (sent.startsWith("ATD"))
                return QByteArray("\r\nCONNECT 9600\r\n");
            if (sent == "AT\r" || sent == "+++" || sent == "ATH\r")
                return QByteArray("\r\nOK\r\n");
            return meterAnswer(sent);
        };
    }
};

// The same, with the node list of three nodes written.
class CliCollectStore : public CliCollect {
protected:
    void SetUp() override {
        CliCollect::SetUp();
        QFile file(home.path() + QStringLiteral("/gsm_csd.ini"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(kThreeNodes);
    }
};

TEST_P(CliCollect, CallsTheChosenNodesInListOrder) {
    const NodeCase& c = GetParam();
    const QString listPath = home.path() + QStringLiteral("/gsm_csd.ini");
    if (c.list) {
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
    QStringList dials;
    for (const QByteArray& frame : line.sentFrames())
        if (frame.startsWith("ATD"))
            dials << QString::fromLatin1(frame);
    ASSERT_EQ(size_t(dials.size()), c.called.size());
    const QString serial = QString::number(sim::defaultSerial(570));
    for (size_t i = 0; i < c.called.size(); ++i) {
        const QStringList fields = lines[int(i)].split(QLatin1Char('\t'));
        ASSERT_EQ(fields.size(), 7) << lines[int(i)].toStdString();
        EXPECT_EQ(fields[0], c.called[i]);
        EXPECT_EQ(dials[int(i)], fields[1] + QLatin1Char('\r'));
        EXPECT_EQ(fields[2], QStringLiteral("ok"));
        EXPECT_EQ(fields[3], serial);
    }
    if (c.status == kExitUsage) {
        EXPECT_TRUE(line.calls.empty()); // no port was opened
        EXPECT_TRUE(
            errText().contains(QString::fromUtf8(c.errWord).replace(QLatin1Char('%'), home.path())))
            << errText().toStdString();
    }
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
        NodeCase{nullptr, {"collect", "set-clock"}, kExitUsage, {}, "%/gsm_csd.ini"},
        NodeCase{kThreeNodes,
                 {"collect", "--nodes", "%/other.ini", "set-clock"},
                 kExitUsage,
                 {},
                 "%/other.ini"},
        NodeCase{kNoNodes, {"collect", "set-clock"}, kExitUsage, {}, "%/gsm_csd.ini"}));

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
        FigureOutputs figures(db, QString(), QLatin1Char('.'), 50);
        outputs = &figures;
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
