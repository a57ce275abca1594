// "Стоп" pressed while something else is under way: in a message pass of a running read, or
// while the hang-up wait runs. Stop closes the port at once; what was running goes on against
// the closed port.

#include "FormFixture.h"
#include "support/QStringPrinter.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMetaObject>
#include <algorithm>

namespace rt570 {
namespace {

using test::FakeSerialLine;
using test::toHex;
using Call = FakeSerialLine::Call;

// Runs the event loop until `done` holds or `ms` have passed; true when it held.
template <typename Condition> bool runEventsUntil(Condition done, int ms) {
    const QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired())
        test::runEventsFor(10);
    return done();
}

class StopMidway : public test::Form {
protected:
    // The meter answers on the fake line, and a read on a port that is not open finds nothing,
    // as on a real port: the replies of the meter do not reach a closed port.
    void meterAnswersWhileOpen() {
        meterAnswers();
        line.onRead = [this](int) {
            if (!portOpen(form->session().link.PortNumber()))
                line.pending.clear();
        };
    }
    bool portOpen(uint8_t port) const {
        for (auto call = line.calls.rbegin(); call != line.calls.rend(); ++call)
            if (call->port == port && (call->kind == Call::Open || call->kind == Call::Close))
                return call->kind == Call::Open;
        return false;
    }
    // A click on "Стоп" that arrives in the next message pass.
    void stopAtTheNextMessagePass() {
        QMetaObject::invokeMethod(ui().Button14, "click", Qt::QueuedConnection);
    }
    QStringList reportFiles() const {
        return QDir(home.filePath(QStringLiteral("arc"))).entryList(QDir::Files, QDir::Name);
    }
};

TEST_F(StopMidway, StopDuringStartsOpeningReadClosesThePortUnderItAndStartWorksAgain) {
    open();
    meterAnswersWhileOpen();
    stopAtTheNextMessagePass();
    ui().Button13->click();

    // Port 3 was closed while the first request waited for its reply.
    const auto first = std::find_if(line.calls.begin(), line.calls.end(),
                                    [](const Call& c) { return c.kind == Call::Send; });
    ASSERT_NE(first, line.calls.end());
    EXPECT_TRUE(std::any_of(first, line.calls.end(),
                            [](const Call& c) { return c.kind == Call::Close && c.port == 3; }));
    // The read went on with its six requests, each running out of its 11 attempts.
    EXPECT_EQ(line.sentFrames().size(), 6u * 11);
    EXPECT_TRUE(form->session().link.LinkFailed());
    EXPECT_EQ(form->session().reports.FilesOpen, 0);
    EXPECT_TRUE(reportFiles().isEmpty());
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_TRUE(ui().Button13->isEnabled());
    EXPECT_FALSE(ui().Button14->isEnabled());

    // A new Start opens the port again and its read makes the set.
    ui().Button13->click();
    EXPECT_FALSE(form->session().link.LinkFailed());
    EXPECT_EQ(form->session().reports.FilesOpen, 1);
    EXPECT_EQ(reportFiles().size(), 4);
    EXPECT_EQ(ui().Label52->text(), "Параметры записаны");
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(StopMidway, StopBetweenAnArchiveReportsReadsAndItsWritesIsError103) {
    open();
    meterAnswersWhileOpen();
    ui().Button13->click();
    ASSERT_EQ(form->session().reports.FilesOpen, 1);
    const QString monthly = form->session().reports.file(Report::Monthly).path();

    // The monthly report's ninth and last request brings the Stop: it arrives while that
    // request waits for its reply, before the first line is written.
    const auto answer = line.responder;
    line.responder = [this, answer](const QByteArray& sent) {
        if (uint8_t(sent[2]) == kCmdArchiveInteger && uint8_t(sent[3]) == 8 &&
            ui().Button14->isEnabled())
            stopAtTheNextMessagePass();
        return answer(sent);
    };
    ui().Button12->click();
    EXPECT_EQ(messages, QStringList{"I/O error 103"});
    EXPECT_EQ(ui().Label52->text(), "Считывание месячных архивов");
    EXPECT_TRUE(ui().Button13->isEnabled());
    EXPECT_EQ(QFileInfo(monthly).size(), 0);
    EXPECT_FALSE(form->session().busy());
}

// The window closed while the parameter report waits for its first reply: the report ends at
// that request instead of sending its other 123 to the closed port, and no message is shown.
TEST_F(StopMidway, CloseDuringAReadEndsItAtThatRequest) {
    open();
    meterAnswersWhileOpen();
    ui().Button13->click();
    ASSERT_EQ(form->session().reports.FilesOpen, 1);
    const QString parameters = form->session().reports.file(Report::Parameters).path();
    const size_t framesBefore = line.sentFrames().size();
    QMetaObject::invokeMethod(form.get(), "close", Qt::QueuedConnection);
    ui().Button15->click();
    EXPECT_EQ(line.sentFrames().size(), framesBefore + 1);
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_FALSE(form->session().busy());
    EXPECT_EQ(QFileInfo(parameters).size(), 0);
}

TEST_F(StopMidway, StopDuringTheHangUpWaitStillSendsAth) {
    TimerIntervals quick;
    quick.hangUpWaitMs = 50;
    open(quick);
    meterAnswers();
    ui().Button13->click(); // the opening read enables the hang-up button
    line.clear();
    ui().Button8->click();
    ui().Button14->click();
    ASSERT_EQ(line.calls.size(), 2u);
    EXPECT_EQ(toHex(line.calls[0].bytes), "2B 2B 2B");
    EXPECT_EQ(line.calls[1].kind, Call::Close);

    ASSERT_TRUE(runEventsUntil([this] { return ui().Label47->text() == "Завершено"; }, 5000));
    ASSERT_EQ(line.calls.size(), 3u);
    EXPECT_EQ(line.calls[2].kind, Call::Send);
    EXPECT_EQ(line.calls[2].port, 3);
    EXPECT_EQ(toHex(line.calls[2].bytes), "41 54 48 0D");
    EXPECT_FALSE(form->timer3()->isActive());
}

} // namespace
} // namespace rt570
