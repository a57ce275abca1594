// The window's own handlers, from "Старт" to "Стоп", against the simulated meter on a
// pseudo-terminal through the Qt serial backend: once on a direct cable, and through the
// simulated GSM modem with the window's waits shortened, once with the call coming up and once
// with the line busy.
#include "ModemLog.h"
#include "SimOnPty.h"
#include "WatchedLine.h"
#include "app/TForm1.h"
#include "link/qt/QtSerialLine.h"
#include "sim/HayesModem.h"
#include "sim/MeterModel.h"
#include "state/NumberText.h"
#include "support/QStringPrinter.h"

#include <QApplication>
#include <QCheckBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

namespace rt570 {
namespace {

constexpr int kPort = 3;
constexpr int kSeed = 570;

void ensureApplication() {
    static int argc = 1;
    static char name[] = "tests_e2e";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        new QApplication(argc, argv);
}

// Runs the event loop until `done` holds or `ms` have passed; true when it held.
template <typename Condition> bool runEventsUntil(Condition done, int ms) {
    QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired()) {
        QEventLoop loop;
        QTimer::singleShot(20, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return done();
}

QStringList reportFiles(const QString& home) {
    return QDir(home + QStringLiteral("/arc")).entryList(QDir::Files, QDir::Name);
}

// Lines of a report file, each ended by CR LF; -1 when the file ends inside a line.
int linesOf(const QString& home, const QString& name) {
    QFile file(home + QStringLiteral("/arc/") + name);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray bytes = file.readAll();
    if (!bytes.isEmpty() && !bytes.endsWith("\r\n"))
        return -1;
    return int(bytes.count("\r\n"));
}

class WindowOverPty : public ::testing::Test {
protected:
    void SetUp() override {
        ensureApplication();
        ASSERT_TRUE(home.isValid());
        ASSERT_TRUE(QDir(home.path()).mkdir(QStringLiteral("arc")));
        setDecimalSeparator(QLatin1Char(','));
    }

    TForm1& open(const TimerIntervals& intervals = {}) {
        line = std::make_unique<QtSerialLine>(home.path());
        form = std::make_unique<TForm1>(*line, home.path(), intervals);
        form->messageBox = [this](const QString& text) { messages << text; };
        return *form;
    }

    QTemporaryDir home;
    std::unique_ptr<QtSerialLine> line;
    std::unique_ptr<TForm1> form;
    QStringList messages;
};

TEST_F(WindowOverPty, StartReadReportAndStopOnACable) {
    test::SimOnPty meter(test::quickMeter(), home.path(), kPort);
    ASSERT_TRUE(meter.isOpen());
    TForm1& w = open();
    const TForm1Controls& ui = w.controls();

    // Default selections: port 3, 9600 baud, address 1, "gsm" not ticked.
    w.Button13Click();
    const QStringList files = reportFiles(home.path());
    ASSERT_EQ(files.size(), 4) << files.join(' ').toStdString();
    const QString serial = QString::number(qRound(sim::MeterModel(kSeed).parameter(0)));
    const QString stem = serial + QLatin1Char('D') + ui.Edit3->text();
    EXPECT_EQ(ui.Edit2->text(), stem);
    for (const char* suffix : {"_chas.txt", "_mes.txt", "_par.txt", "_sut.txt"})
        EXPECT_TRUE(files.contains(stem + QLatin1String(suffix))) << suffix;
    EXPECT_FALSE(w.session().link.LinkFailed());
    EXPECT_EQ(w.session().link.RequestCount(), 6);
    EXPECT_TRUE(ui.Button8->isEnabled());
    EXPECT_EQ(ui.Label52->text(), QStringLiteral("Параметры записаны"));

    w.Button4Click();
    EXPECT_EQ(ui.Label52->text(), QStringLiteral("Параметры считаны"));
    EXPECT_TRUE(ui.Label2->text().startsWith(QStringLiteral("G1,м3/час: ")));
    EXPECT_TRUE(ui.Label40->text().startsWith(QStringLiteral("Дата:  20")));
    EXPECT_EQ(w.session().link.ErrorCount(), 0);

    w.Button15Click();
    w.Button12Click();
    EXPECT_EQ(ui.Label52->text(), QStringLiteral("Архивы записаны"));
    EXPECT_EQ(linesOf(home.path(), stem + "_par.txt"), 33);
    EXPECT_EQ(linesOf(home.path(), stem + "_mes.txt"), 9);
    EXPECT_EQ(linesOf(home.path(), stem + "_chas.txt"), 0);

    // The monitor's panels after a tick.
    w.Timer1Timer();
    EXPECT_EQ(ui.Label49->text(), QStringLiteral("№ запроса=%1").arg(6 + 18 + 124 + 9));
    EXPECT_EQ(ui.Label51->text(), QStringLiteral("Кол.ошибок=0"));

    w.Button14Click();
    EXPECT_EQ(w.session().reports.FilesOpen, 0);
    EXPECT_TRUE(ui.Button13->isEnabled());
    EXPECT_FALSE(ui.Button8->isEnabled());
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
}

TEST_F(WindowOverPty, DialThroughTheModemReadsOverTheCallAndHangsUp) {
    sim::SimOptions options = test::quickMeter();
    options.link = QStringLiteral("%1/com%2").arg(home.path()).arg(kPort);
    sim::Simulator simulator(options);
    sim::ModemSettings settings;
    settings.connectMs = 0;
    settings.guardMs = 200;
    sim::HayesModem modem(simulator.meter(), settings);
    // Each arrival of bytes counts as a second after the one before: the call is up for the
    // opening read and the guard times around "+++" are kept, whatever the scheduling.
    modem.clock = test::steppingClock(1000);
    auto logDevice = std::make_unique<test::ModemLog>(modem);
    const test::ModemLog& log = *logDevice;
    simulator.putInFront(std::move(logDevice));
    QString error;
    ASSERT_TRUE(simulator.open(&error)) << error.toStdString();
    std::atomic<bool> stop{false};
    std::thread serving([&] { simulator.run([&] { return stop.load(); }); });
    // Ended on every way out of the test, a failed assertion's included.
    const auto endServing = qScopeGuard([&] {
        stop = true;
        if (serving.joinable())
            serving.join();
    });

    TimerIntervals intervals;
    intervals.connectWaitMs = 100;
    intervals.hangUpWaitMs = 100;
    TForm1& w = open(intervals);
    const TForm1Controls& ui = w.controls();
    ui.CheckBox2->setChecked(true);
    w.Button13Click();
    EXPECT_TRUE(reportFiles(home.path()).isEmpty());
    EXPECT_EQ(w.session().link.RequestCount(), 0);

    ui.Edit1->setText(QStringLiteral("ATD+79001234567"));
    w.Button7Click();
    EXPECT_EQ(ui.Label47->text(), QStringLiteral("Соединение ~30c"));
    // The connect wait runs out only once the modem has taken the dial; it then runs the opening
    // read over the call.
    ASSERT_TRUE(log.waitUntilTaken("ATD+79001234567\r"));
    ASSERT_TRUE(runEventsUntil([&] { return reportFiles(home.path()).size() == 4; }, 10000));
    EXPECT_FALSE(w.session().link.LinkFailed());
    EXPECT_TRUE(ui.Button8->isEnabled());
    EXPECT_FALSE(w.timer2()->isActive());

    // Hang up: "+++" at once, "ATH" when the hang-up wait elapses, which it does only after the
    // modem has taken "+++"; Stop once the modem has hung up.
    w.Button8Click();
    EXPECT_EQ(ui.Label47->text(), QStringLiteral("Разрыв  ~5c "));
    ASSERT_TRUE(log.waitUntilTaken("+++"));
    ASSERT_TRUE(
        runEventsUntil([&] { return ui.Label47->text() == QStringLiteral("Завершено"); }, 5000));
    ASSERT_TRUE(log.waitUntilTaken("ATH\r"));
    w.Button14Click();

    stop = true;
    serving.join();
    EXPECT_EQ(modem.dials, 1);
    EXPECT_EQ(modem.escapes, 1);
    EXPECT_EQ(modem.hangUps, 1);
    EXPECT_FALSE(modem.callUp());
    EXPECT_EQ(modem.state(), sim::HayesModem::State::Command);
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
}

TEST_F(WindowOverPty, BusyLineTheModemsEchoIsNotTakenForTheMetersReplies) {
    sim::SimOptions options = test::quickMeter();
    options.link = QStringLiteral("%1/com%2").arg(home.path()).arg(kPort);
    sim::Simulator simulator(options);
    sim::ModemSettings settings;
    settings.connectMs = 300;
    settings.answer = sim::DialAnswer::Busy;
    auto modemDevice = std::make_unique<sim::HayesModem>(simulator.meter(), settings);
    const sim::HayesModem& modem = *modemDevice;
    simulator.putInFront(std::move(modemDevice));
    QString error;
    ASSERT_TRUE(simulator.open(&error)) << error.toStdString();
    std::atomic<bool> stop{false};
    std::thread serving([&] { simulator.run([&] { return stop.load(); }); });
    const auto stopServing = qScopeGuard([&] {
        stop = true;
        if (serving.joinable())
            serving.join();
    });

    TimerIntervals intervals;
    intervals.connectWaitMs = 1000; // "BUSY" comes 300 ms after the dial
    intervals.monitorMs = 50;
    QtSerialLine qtLine(home.path());
    test::WatchedLine watched(qtLine);
    TForm1 w(watched, home.path(), intervals);
    w.messageBox = [this](const QString& text) { messages << text; };
    const TForm1Controls& ui = w.controls();
    ui.CheckBox2->setChecked(true);
    w.Button13Click();
    ui.Edit1->setText(QStringLiteral("ATD+79001234567"));
    w.Button7Click();
    // The connect wait elapses; the opening read runs against the modem in command mode, which
    // answered "BUSY" and echoes every request: each attempt counts as unanswered.
    ASSERT_TRUE(runEventsUntil([&] { return ui.Button8->isEnabled(); }, 20000));
    EXPECT_EQ(watched.reads[0].bytes, QByteArray("ATD+79001234567\r\r\nBUSY\r\n"));
    EXPECT_TRUE(w.session().link.LinkFailed());
    EXPECT_EQ(w.session().reports.FilesOpen, 0);
    EXPECT_TRUE(reportFiles(home.path()).isEmpty());
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();

    w.Button14Click();
    stop = true;
    serving.join();
    EXPECT_EQ(modem.dials, 1);
    EXPECT_FALSE(modem.callUp());
    EXPECT_EQ(modem.state(), sim::HayesModem::State::Command);
}

} // namespace
} // namespace rt570
