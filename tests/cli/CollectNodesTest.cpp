// "collect" in this process: which nodes of the node list are called, and the lists and names
// that end the run before any port is touched.

#include "RunFixture.h"

#include "sim/MeterParameters.h"
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
    std::vector<QString> called;    // the names called, in order
    const char* errWord;            // stderr names this when the run is refused
    const char* busyDial = nullptr; // the modem answers this dial with BUSY: its node is "busy"
    bool pcClockRefused = false;    // the PC's clock in 2043: every node's set-clock is refused
};

// A modem on the scripted line answers its commands and connects every call to the meter.
class CliCollect : public CliRunFixture, public ::testing::WithParamInterface<NodeCase> {
protected:
    void SetUp() override {
        CliRunFixture::SetUp();
        auto meterAnswer = line.responder;
        busyDial = GetParam().busyDial;
        line.responder = [meterAnswer, this](const QByteArray& sent) {
            if (sent.startsWith("ATD"))
                return QByteArray(busyDial && sent == QByteArray(busyDial) + '\r'
                                      ? "\r\nBUSY\r\n"
                                      : "\r\nCONNECT 9600\r\n");
            if (sent == "AT\r" || sent == "+++" || sent == "ATH\r")
                return QByteArray("\r\nOK\r\n");
            return meterAnswer(sent);
        };
        if (GetParam().pcClockRefused)
            pcClock = [] { return QDateTime(QDate(2043, 1, 1), QTime(0, 0, 0)); };
    }
    const char* busyDial = nullptr;
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
        const bool busy = c.busyDial && fields[1] == QLatin1String(c.busyDial);
        EXPECT_EQ(fields[2], busy ? QStringLiteral("busy") : QStringLiteral("ok"));
        EXPECT_EQ(fields[3], busy ? QString() : serial);
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
        NodeCase{kNoNodes, {"collect", "set-clock"}, kExitUsage, {}, "%/gsm_csd.ini"},
        // The run's status is the worst of all nodes, wherever the failing one stands; a
        // refused set-clock ranks below a failed node, and is no file error.
        NodeCase{kThreeNodes,
                 {"collect", "set-clock"},
                 kExitRefused,
                 {"A", kCyrillic, "C"},
                 "",
                 nullptr,
                 true},
        NodeCase{kThreeNodes,
                 {"collect", "set-clock"},
                 kExitLinkFailed,
                 {"A", kCyrillic, "C"},
                 "",
                 "ATD111",
                 true}));

} // namespace
} // namespace rt570::cli::test
