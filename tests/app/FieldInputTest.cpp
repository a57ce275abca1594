// Whatever the operator types into the window's editable fields: the port selector, the rate
// selector and the phone field. Each text gives the result the window defines for it or a clear
// message, and the window stays usable afterwards.

#include "FormFixture.h"

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>

namespace rt570 {
namespace {

using test::FakeSerialLine;
using test::toHex;
using test::typeInto;
using Call = FakeSerialLine::Call;

struct PortCase {
    const char* text;
    int port; // -1: the conversion message
};

class PortText : public test::Form, public ::testing::WithParamInterface<PortCase> {
protected:
    void SetUp() override {
        open();
        line.clear();
        ui().CheckBox2->setChecked(true); // the opening read would only repeat the port's calls
    }
};

TEST_P(PortText, IsCutToItsLowByteOrRefusedAndStopRecovers) {
    const PortCase c = GetParam();
    const QString text = QString::fromUtf8(c.text);
    typeInto(ui().ComboBox1->lineEdit(), text);
    ui().Button13->click();
    if (c.port < 0) {
        EXPECT_EQ(messages,
                  QStringList{QStringLiteral("'%1' is not a valid integer value").arg(text)});
        EXPECT_TRUE(line.calls.empty());
        // Start stopped after the buttons; the address was already taken.
        EXPECT_FALSE(ui().Button13->isEnabled());
        EXPECT_TRUE(ui().Button14->isEnabled());
        EXPECT_EQ(form->session().link.PortNumber(), 0);
        EXPECT_TRUE(ui().Memo1->toPlainText().isEmpty());
    } else {
        EXPECT_TRUE(messages.isEmpty());
        EXPECT_EQ(form->session().link.PortNumber(), c.port);
        ASSERT_EQ(line.calls.size(), 4u);
        for (const Call& call : line.calls)
            EXPECT_EQ(call.port, c.port);
        EXPECT_EQ(line.calls[3].kind, Call::Open);
    }
    // Stop brings the idle state back and a Start with a good port works.
    ui().Button14->click();
    EXPECT_TRUE(ui().Button13->isEnabled());
    line.clear();
    messages.clear();
    typeInto(ui().ComboBox1->lineEdit(), QStringLiteral("4"));
    ui().Button13->click();
    EXPECT_TRUE(messages.isEmpty());
    ASSERT_EQ(line.count(Call::Open), 1);
    EXPECT_EQ(line.calls.back().port, 4);
}

INSTANTIATE_TEST_SUITE_P(Form, PortText,
                         ::testing::Values(PortCase{"", -1}, PortCase{"-1", 255},
                                           PortCase{"256", 0}, PortCase{"300", 44},
                                           PortCase{"99999999999", -1}, PortCase{"   ", -1},
                                           PortCase{" 5", 5}, PortCase{"5 ", -1},
                                           PortCase{"три", -1},
                                           PortCase{"З", -1},  // Cyrillic Ze, not the digit 3
                                           PortCase{"３", -1}, // a full-width digit
                                           PortCase{"-2147483648", 0}, PortCase{"2147483648", -1}));

struct RateCase {
    const char* name;
    QString text;
};

class RateText : public test::Form, public ::testing::WithParamInterface<RateCase> {};

TEST_P(RateText, TypedTextSelectsNoRateAndOpensNothing) {
    open();
    line.clear();
    meterAnswers();
    typeInto(ui().ComboBox10->lineEdit(), GetParam().text);
    ui().Button13->click();
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(ui().Memo1->toPlainText().split('\n').value(0), "speed=-1");
    EXPECT_EQ(line.count(Call::Close), 3);
    EXPECT_EQ(line.count(Call::Open), 0);
    // The typed text stays in the selector and is not added to its lines.
    EXPECT_EQ(ui().ComboBox10->currentText(), GetParam().text);
    EXPECT_EQ(ui().ComboBox10->count(), 9);
}

INSTANTIATE_TEST_SUITE_P(Form, RateText,
                         ::testing::Values(RateCase{"Empty", QString()},
                                           RateCase{"Letters", QStringLiteral("abc")},
                                           RateCase{"BareRate", QStringLiteral("115200")},
                                           RateCase{"Cyrillic", QStringLiteral("девять шестьсот")},
                                           RateCase{"FullWidth", QStringLiteral("９６００,N,8,1")},
                                           RateCase{"Long", QString(300, QLatin1Char('9'))}),
                         [](const ::testing::TestParamInfo<RateCase>& param) {
                             return std::string(param.param.name);
                         });

class PhoneText : public test::Form {
protected:
    void SetUp() override {
        open();
        ui().CheckBox2->setChecked(true);
        ui().Button13->click();
        line.clear();
    }
    // The dial with the field set as a paste would set it.
    void dialWith(const QString& text) {
        ui().Edit1->setText(text);
        ui().Button7->click();
    }
    QByteArray sent() const {
        return line.calls.size() == 1 ? line.calls[0].bytes : QByteArray("<none>");
    }
};

TEST_F(PhoneText, HundredCharactersSendTheFirstFifteen) {
    QString phone;
    for (int i = 0; i < 100; ++i)
        phone += QChar(u'0' + i % 10);
    dialWith(phone);
    EXPECT_EQ(sent(), QByteArray("012345678901234\r"));
    EXPECT_TRUE(form->timer2()->isActive());
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(PhoneText, CodePageLettersAndSignsGoAsTheirBytes) {
    dialWith(QStringLiteral("т№€\t+7"));
    EXPECT_EQ(toHex(sent()), "F2 B9 88 09 2B 37 0D");
}

TEST_F(PhoneText, CharacterBeyondTheFifteenSentDoesNotMatter) {
    dialWith(QStringLiteral("+79001234567890\U0001F4DE"));
    EXPECT_EQ(sent(), QByteArray("+79001234567890\r"));
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(PhoneText, EmojiAmongTheFifteenRefusesTheDial) {
    // The fifteenth character is the emoji, counted once though it takes two code units.
    const QString phone = QStringLiteral("+7900123456789\U0001F4DE");
    dialWith(phone);
    EXPECT_TRUE(line.calls.empty());
    EXPECT_FALSE(form->timer2()->isActive());
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(phone)) << qPrintable(messages[0]);
    EXPECT_EQ(ui().Label47->text(), "Статус:");
    // The window stays usable: a good number dials.
    dialWith(QStringLiteral("+79001234567"));
    EXPECT_EQ(sent(), QByteArray("+79001234567\r"));
}

TEST_F(PhoneText, BrokenTextIsRefusedToo) {
    // A lone half of a surrogate pair, as a bad paste can leave.
    dialWith(QStringLiteral("12") + QChar(0xD83D) + QStringLiteral("34"));
    EXPECT_TRUE(line.calls.empty());
    EXPECT_EQ(messages.size(), 1);
    dialWith(QString(QChar(0xDC00)));
    EXPECT_TRUE(line.calls.empty());
    EXPECT_EQ(messages.size(), 2);
}

} // namespace
} // namespace rt570
