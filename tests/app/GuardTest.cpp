#include "FormFixture.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QLabel>
#include <QMetaObject>
#include <QThread>

namespace rt570 {
namespace {

using test::runEventsFor;

class FormGuard : public test::Form {};

TEST_F(FormGuard, ClickDuringTheOpeningReadIsIgnored) {
    open();
    meterAnswers();
    // Queued: the click arrives in the first message pass of Start's opening read.
    QMetaObject::invokeMethod(ui().Button15, "click", Qt::QueuedConnection);
    ui().Button13->click();
    EXPECT_EQ(line.sentFrames().size(), 6u);
    EXPECT_TRUE(ui().Button15->isEnabled());
    EXPECT_TRUE(messages.isEmpty());
    // Once the read is over the same button works.
    ui().Button15->click();
    EXPECT_GT(line.sentFrames().size(), 100u);
}

TEST_F(FormGuard, ConnectWaitElapsingDuringAReadRunsTheOpeningReadAfterIt) {
    TimerIntervals quick;
    quick.connectWaitMs = 1;
    open(quick);
    ui().CheckBox2->setChecked(true);
    ui().Button13->click();
    meterAnswers();
    ui().Button7->click();
    ASSERT_TRUE(form->timer2()->isActive());
    line.onRead = [](int) { QThread::msleep(2); };
    const size_t dial = line.sentFrames().size();
    ui().Button4->click(); // current values: commands 4, 8 and the clock read 1
    const auto frames = line.sentFrames();
    EXPECT_FALSE(form->timer2()->isActive());
    ASSERT_EQ(framesWithCommand(kCmdParameter), 6);
    // Every parameter frame comes after the last frame of the current values.
    size_t lastOther = 0, firstParameter = frames.size();
    for (size_t i = dial; i < frames.size(); ++i) {
        if (uint8_t(frames[i][2]) == kCmdParameter)
            firstParameter = std::min(firstParameter, i);
        else
            lastOther = i;
    }
    EXPECT_GT(firstParameter, lastOther);
    EXPECT_EQ(ui().Label52->text(), "Параметры записаны");
}

TEST_F(FormGuard, ArchiveButtonTakesThePickersDateAtThePress) {
    open();
    meterAnswers();
    ui().Button13->click();
    ui().DateTimePicker1->setDate(QDate(2012, 2, 10));
    EXPECT_EQ(form->session().SelectedDate.date(), QDate(2012, 2, 10));
    line.clear();
    ui().Button12->click();
    // The monthly record's request carries the picked year and month in its date code.
    const auto frames = line.sentFrames();
    ASSERT_FALSE(frames.empty());
    const QByteArray& first = frames.front();
    EXPECT_EQ(uint8_t(first[2]), kCmdArchiveInteger);
    const uint32_t dateCode = uint32_t(uint8_t(first[5])) | uint32_t(uint8_t(first[6])) << 8 |
                              uint32_t(uint8_t(first[7])) << 16 | uint32_t(uint8_t(first[8])) << 24;
    EXPECT_EQ(dateCode / 100000000u, 12u);
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(ui().Label52->text(), "Архивы записаны");
}

} // namespace
} // namespace rt570

namespace rt570 {
namespace {

TEST_F(FormGuard, ClosingTheWindowEndsTheRunningOperationAtItsMessagePass) {
    open();
    ui().CheckBox2->setChecked(true);
    ui().Button13->click();
    meterAnswers();
    form->show();
    // The close arrives in the first message pass of the parameter report.
    QMetaObject::invokeMethod(form.get(), "close", Qt::QueuedConnection);
    line.clear();
    ui().Button15->click();
    EXPECT_EQ(line.sentFrames().size(), 1u);
    EXPECT_FALSE(form->session().busy());
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_FALSE(form->isVisible());
    // The port was closed by the window's close, before the operation ended.
    ASSERT_FALSE(line.calls.empty());
    EXPECT_EQ(line.count(test::FakeSerialLine::Call::Close), 1);
}

} // namespace
} // namespace rt570
