// A selector's line typed by hand, letter for letter, and then Enter or a move to another
// field. Typed text selects no line, even when it equals one: no port opens for a typed rate,
// and a typed node name fills in no phone.

#include "link/Cp1251.h"
#include "FormFixture.h"
#include "support/QStringPrinter.h"

#include <QCheckBox>
#include <QFile>
#include <QPlainTextEdit>
#include <QTest>

namespace rt570 {
namespace {

struct TypedCase {
    const char* selector;
    const char* text;
    const char* speedLine; // what Start logs afterwards
    const char* phone;     // the phone field afterwards
};

// Types the text letter by letter, as key presses; letters beyond ASCII come with no key code
// of their own, as from a keyboard layout.
void typeLetters(QWidget* widget, const QString& text) {
    for (const QChar letter : text) {
        if (letter.unicode() < 0x80)
            QTest::keyClick(widget, char(letter.unicode()));
        else
            QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(letter),
                                Qt::NoModifier);
    }
}

class TypedSelector : public test::Form, public ::testing::WithParamInterface<TypedCase> {
protected:
    void SetUp() override {
        QFile file(home.filePath(QStringLiteral("gsm_csd.ini")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(cp1251::encode(
            QStringLiteral("[baza]\r\nkol_uzlov=2\r\ntel_1=+79001112233\r\nname_u1=Котельная\r\n"
                           "tel_2=+79004445566\r\nname_u2=Школа\r\n")));
        file.close();
        open();
        form->show();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }
};

TEST_P(TypedSelector, EnterAndLeavingTheFieldKeepTheTextTyped) {
    const TypedCase c = GetParam();
    const QString text = QString::fromUtf8(c.text);
    auto* box = form->findChild<SelectorBox*>(QString::fromLatin1(c.selector));
    ASSERT_NE(box, nullptr);
    QList<int> changes;
    QObject::connect(box, &SelectorBox::changedByUser, [&](int index) { changes << index; });

    box->setFocus();
    box->lineEdit()->selectAll();
    typeLetters(box, text);
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(box->itemIndex(), -1);
    EXPECT_EQ(box->currentText(), text);
    ui().CheckBox2->setFocus(); // leaves the field
    ASSERT_FALSE(box->hasFocus());
    EXPECT_EQ(box->itemIndex(), -1);
    EXPECT_EQ(box->currentText(), text);
    EXPECT_EQ(changes, QList<int>(text.size(), -1)); // one edit per letter, no pick

    EXPECT_EQ(ui().Edit1->text(), QString::fromUtf8(c.phone));
    ui().CheckBox2->setChecked(true); // Start only opens the port
    ui().Button13->click();
    EXPECT_EQ(ui().Memo1->toPlainText().split('\n').value(0), c.speedLine);
    EXPECT_TRUE(messages.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Form, TypedSelector,
                         ::testing::Values(TypedCase{"ComboBox10", "19200,N,8,1", "speed=-1",
                                                     "+79000000000"},
                                           TypedCase{"ComboBox11", "5", "speed=4", "+79000000000"},
                                           TypedCase{"ComboBox1", "4", "speed=4", "+79000000000"},
                                           TypedCase{"ComboBox3", "Школа", "speed=4", ""}));

} // namespace
} // namespace rt570
