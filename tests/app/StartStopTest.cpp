#include "FormFixture.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>

namespace rt570 {
namespace {

using test::FakeSerialLine;
using test::toHex;
using test::typeInto;
using Call = FakeSerialLine::Call;

class StartStop : public test::Form {
protected:
    void SetUp() override {
        open();
        line.clear();
    }
    QStringList memoLines() const {
        return ui().Memo1->toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    QStringList reportFiles() const {
        return QDir(home.filePath(QStringLiteral("arc"))).entryList(QDir::Files, QDir::Name);
    }
};

TEST_F(StartStop, DefaultStartOpensPortThreeAndRunsTheOpeningRead) {
    meterAnswers();
    ui().Button13->click();

    // Port 3 closed three times, then opened at 9600, 8 data bits, no parity, one stop bit.
    ASSERT_GE(line.calls.size(), 4u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(line.calls[size_t(i)].kind, Call::Close);
        EXPECT_EQ(line.calls[size_t(i)].port, 3);
    }
    const Call& opened = line.calls[3];
    EXPECT_EQ(opened.kind, Call::Open);
    EXPECT_EQ(opened.port, 3);
    EXPECT_EQ(opened.rate, 9600u);
    EXPECT_EQ(opened.dataBits, 8);
    EXPECT_EQ(opened.parity, 0);
    EXPECT_EQ(opened.stopBits, 0);
    EXPECT_EQ(line.count(Call::Open), 1);

    // The opening read: slots 0, 3, 10, 20, 30, 40 of meter 1, each answered at once.
    const auto frames = line.sentFrames();
    ASSERT_EQ(frames.size(), 6u);
    EXPECT_EQ(toHex(frames[0]), "23 01 05 00 00 00 00 00 00 36 0D");
    EXPECT_EQ(toHex(frames[1]), "23 01 05 03 00 00 00 00 00 39 0D");
    const uint8_t indexes[6] = {0, 3, 10, 20, 30, 40};
    for (size_t i = 0; i < frames.size(); ++i)
        EXPECT_EQ(uint8_t(frames[i][3]), indexes[i]);
    for (const Call& send : callsOf(Call::Send))
        EXPECT_EQ(send.port, 3);

    EXPECT_EQ(memoLines().value(0), "speed=4");
    EXPECT_EQ(memoLines().value(1), "OK=0");
    EXPECT_FALSE(ui().Button13->isEnabled());
    EXPECT_TRUE(ui().Button14->isEnabled());
    EXPECT_TRUE(ui().Button7->isEnabled());
    EXPECT_TRUE(ui().Button8->isEnabled()); // enabled by the end of the opening read
    EXPECT_TRUE(form->timer1()->isActive());
    EXPECT_EQ(form->session().link.DeviceAddress(), 1);
    EXPECT_EQ(form->session().link.PortNumber(), 3);
    EXPECT_EQ(ui().Label52->text(), "Параметры записаны");
    EXPECT_EQ(ui().Edit2->text(), form->session().display.reportStem);
    EXPECT_EQ(reportFiles().size(), 4);
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(StartStop, StopClosesPortAndFilesAndASecondStopIsHarmless) {
    meterAnswers();
    ui().Button13->click();
    ASSERT_EQ(form->session().reports.FilesOpen, 1);
    line.clear();

    ui().Button14->click();
    ASSERT_EQ(line.calls.size(), 1u);
    EXPECT_EQ(line.calls[0].kind, Call::Close);
    EXPECT_EQ(line.calls[0].port, 3);
    EXPECT_EQ(form->session().reports.FilesOpen, 0);
    for (const ReportFile& file : form->session().reports.ReportFiles)
        EXPECT_FALSE(file.isOpen());
    EXPECT_TRUE(ui().Button13->isEnabled());
    EXPECT_FALSE(ui().Button14->isEnabled());
    EXPECT_FALSE(ui().Button7->isEnabled());
    EXPECT_FALSE(ui().Button8->isEnabled());
    EXPECT_FALSE(form->timer1()->isActive());

    // Stop is disabled now; its handler run again closes the port and finds no files.
    form->Button14Click();
    EXPECT_EQ(line.count(Call::Close), 2);
    EXPECT_TRUE(messages.isEmpty());
    // Address, port and counters stay as they were.
    EXPECT_EQ(form->session().link.PortNumber(), 3);
    EXPECT_EQ(form->session().link.RequestCount(), 6);
}

TEST_F(StartStop, TypedRateTextSelectsNoItemAndOpensNothing) {
    meterAnswers();
    typeInto(ui().ComboBox10->lineEdit(), QStringLiteral("9600,N,8,1"));
    ASSERT_EQ(ui().ComboBox10->itemIndex(), -1);
    ui().Button13->click();
    EXPECT_EQ(memoLines().value(0), "speed=-1");
    EXPECT_EQ(line.count(Call::Open), 0);
    EXPECT_EQ(line.count(Call::Close), 3);
    // The opening read still runs, on a port that was not opened.
    EXPECT_EQ(line.sentFrames().size(), 6u);

    // Picking a line selects it again.
    ui().Button14->click();
    test::pickNextLine(ui().ComboBox10);
    EXPECT_EQ(ui().ComboBox10->itemIndex(), 5);
    line.clear();
    ui().Button13->click();
    ASSERT_EQ(callsOf(Call::Open).size(), 1u);
    EXPECT_EQ(callsOf(Call::Open)[0].rate, 19200u);
}

TEST_F(StartStop, AddressThatIsNoIntegerStopsStartAfterTheButtons) {
    meterAnswers();
    typeInto(ui().ComboBox11->lineEdit(), QStringLiteral("abc"));
    ui().Button13->click();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0], "'abc' is not a valid integer value");
    EXPECT_TRUE(line.calls.empty());
    EXPECT_FALSE(ui().Button13->isEnabled());
    EXPECT_TRUE(ui().Button14->isEnabled());
    EXPECT_TRUE(ui().Button7->isEnabled());
    EXPECT_TRUE(form->timer1()->isActive());
    EXPECT_TRUE(memoLines().isEmpty());

    ui().Button14->click();
    EXPECT_TRUE(ui().Button13->isEnabled());
    EXPECT_FALSE(ui().Button14->isEnabled());
    EXPECT_FALSE(form->timer1()->isActive());
}

TEST_F(StartStop, PortThatIsNoIntegerShowsItsText) {
    typeInto(ui().ComboBox1->lineEdit(), QStringLiteral("COM3"));
    ui().Button13->click();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0], "'COM3' is not a valid integer value");
    EXPECT_TRUE(line.calls.empty());
}

struct AddressCase {
    const char* text;
    int address; // -1: conversion error
};

class AddressText : public test::Form, public ::testing::WithParamInterface<AddressCase> {};

TEST_P(AddressText, IsCutToItsLowByteOrRefused) {
    open();
    line.clear();
    line.responder = [](const QByteArray&) { return QByteArray(); };
    const AddressCase c = GetParam();
    form->controls().CheckBox2->setChecked(true); // no opening read: only the conversion
    typeInto(form->controls().ComboBox11->lineEdit(), QString::fromUtf8(c.text));
    form->controls().Button13->click();
    if (c.address < 0) {
        ASSERT_EQ(messages.size(), 1);
        EXPECT_EQ(
            messages[0],
            QStringLiteral("'%1' is not a valid integer value").arg(QString::fromUtf8(c.text)));
        EXPECT_EQ(line.count(Call::Open), 0);
    } else {
        EXPECT_TRUE(messages.isEmpty());
        EXPECT_EQ(form->session().link.DeviceAddress(), c.address);
        EXPECT_EQ(line.count(Call::Open), 1);
    }
}

INSTANTIATE_TEST_SUITE_P(Form, AddressText,
                         ::testing::Values(AddressCase{"256", 0}, AddressCase{"300", 44},
                                           AddressCase{"-1", 255}, AddressCase{"+7", 7},
                                           AddressCase{" 12", 12}, AddressCase{"12 ", -1},
                                           AddressCase{"1 2", -1}, AddressCase{"", -1},
                                           AddressCase{"99999999999", -1},
                                           AddressCase{"2147483647", 255}, AddressCase{"0x10", -1},
                                           AddressCase{"абв", -1}, AddressCase{"1е2", -1}));

TEST_F(StartStop, GsmTickedStartOpensThePortAndSendsNothing) {
    meterAnswers();
    ui().CheckBox2->setChecked(true);
    ui().Button13->click();
    EXPECT_EQ(line.count(Call::Open), 1);
    EXPECT_EQ(line.count(Call::Send), 0);
    EXPECT_EQ(line.count(Call::Receive), 0);
    EXPECT_FALSE(ui().Button8->isEnabled());
    EXPECT_TRUE(ui().Button7->isEnabled());
}

TEST_F(StartStop, PortOneIsClosedThreeTimesAndOpenedAgain) {
    ui().CheckBox2->setChecked(true);
    typeInto(ui().ComboBox1->lineEdit(), QStringLiteral("1"));
    ui().ComboBox10->selectItem(8);
    ui().Button13->click();
    ASSERT_EQ(line.calls.size(), 4u);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(line.calls[size_t(i)].port, 1);
    EXPECT_EQ(line.calls[3].kind, Call::Open);
    EXPECT_EQ(line.calls[3].port, 1);
    EXPECT_EQ(line.calls[3].rate, 115200u);
}

TEST_F(StartStop, StartAfterStopWithAnotherPort) {
    ui().CheckBox2->setChecked(true);
    ui().Button13->click();
    ui().Button14->click();
    line.clear();
    typeInto(ui().ComboBox1->lineEdit(), QStringLiteral("5"));
    ui().Button13->click();
    ASSERT_EQ(line.calls.size(), 4u);
    EXPECT_EQ(line.calls[0].port, 5);
    EXPECT_EQ(line.calls[3].kind, Call::Open);
    EXPECT_EQ(line.calls[3].port, 5);
    EXPECT_EQ(memoLines(), QStringList({"speed=4", "speed=4"}));
}

TEST_F(StartStop, CloseDuringAConnectionClosesItsPortAndFiles) {
    meterAnswers();
    ui().Button13->click();
    const QString parameters = form->session().reports.ReportFiles[0].path();
    ASSERT_EQ(form->session().reports.FilesOpen, 1);
    line.clear();
    form->close();
    ASSERT_EQ(line.calls.size(), 1u);
    EXPECT_EQ(line.calls[0].kind, Call::Close);
    EXPECT_EQ(line.calls[0].port, 3);
    EXPECT_EQ(form->session().reports.FilesOpen, 0);
    EXPECT_FALSE(form->session().reports.ReportFiles[0].isOpen());
    EXPECT_TRUE(QFile::exists(parameters));
    EXPECT_FALSE(form->timer1()->isActive());
}

} // namespace
} // namespace rt570
