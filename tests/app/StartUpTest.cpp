#include "FormFixture.h"
#include "link/Cp1251.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QTextEdit>

namespace rt570 {
namespace {

using test::FakeSerialLine;
using test::pickNextLine;
using test::runEventsFor;
using test::typeInto;
using Call = FakeSerialLine::Call;

class StartUp : public test::Form {};

QStringList itemsOf(const QComboBox* box) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    return items;
}

TEST_F(StartUp, WindowCaptionSizeAndTitleBar) {
    TForm1& f = open();
    EXPECT_EQ(f.windowTitle(), "RT570-4X АРХИВ V1.0");
    EXPECT_EQ(f.size(), QSize(646, 545));
    EXPECT_FALSE(f.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(f.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_TRUE(f.windowFlags().testFlag(Qt::WindowSystemMenuHint));
}

TEST_F(StartUp, SelectorsHoldTheirItemsAndSelections) {
    open();
    EXPECT_EQ(itemsOf(ui().ComboBox10),
              QStringList({"600,N,8,1", "1200,N,8,1", "2400,N,8,1", "4800,N,8,1", "9600,N,8,1",
                           "19200,N,8,1", "38400,N,8,1", "57600,N,8,1", "115200,N,8,1"}));
    EXPECT_EQ(ui().ComboBox10->itemIndex(), 4);
    EXPECT_EQ(ui().ComboBox10->currentText(), "9600,N,8,1");
    ASSERT_EQ(ui().ComboBox11->count(), 256);
    EXPECT_EQ(ui().ComboBox11->itemText(0), "0");
    EXPECT_EQ(ui().ComboBox11->itemText(255), "255");
    EXPECT_EQ(ui().ComboBox11->currentText(), "1");
    EXPECT_EQ(itemsOf(ui().ComboBox1), QStringList({"1", "2", "3", "4", "5", "6", "7", "8", "9"}));
    EXPECT_EQ(ui().ComboBox1->currentText(), "3");
    for (const QComboBox* box :
         {static_cast<QComboBox*>(ui().ComboBox10), static_cast<QComboBox*>(ui().ComboBox11),
          static_cast<QComboBox*>(ui().ComboBox1)}) {
        EXPECT_TRUE(box->isEditable());
        EXPECT_EQ(box->palette().color(QPalette::Base),
                  box->palette().color(QPalette::ToolTipBase));
    }
    // The node selector has the ordinary background.
    const QPalette nodes = ui().ComboBox3->palette();
    EXPECT_EQ(nodes.color(QPalette::Base),
              QApplication::palette(ui().ComboBox3).color(QPalette::Base));
    EXPECT_NE(nodes.color(QPalette::Base), nodes.color(QPalette::ToolTipBase));
    // No node list: the selector keeps its text and has no lines; the phone keeps its text.
    EXPECT_EQ(ui().ComboBox3->count(), 0);
    EXPECT_EQ(ui().ComboBox3->currentText(), "Узел учета");
    EXPECT_EQ(ui().Edit1->text(), "+79000000000");
}

TEST_F(StartUp, ButtonsChecksAndTexts) {
    open();
    EXPECT_TRUE(ui().Button13->isEnabled());
    EXPECT_FALSE(ui().Button14->isEnabled());
    EXPECT_FALSE(ui().Button7->isEnabled());
    EXPECT_FALSE(ui().Button8->isEnabled());
    EXPECT_FALSE(ui().CheckBox2->isChecked());
    EXPECT_TRUE(ui().CheckBox1->isChecked());
    EXPECT_EQ(ui().Button13->text(), "Старт");
    EXPECT_EQ(ui().Button14->text(), "Стоп");
    EXPECT_EQ(ui().Button7->text(), "Соединится");
    EXPECT_EQ(ui().Button8->text(), "Разорвать связь");
    EXPECT_EQ(ui().Button15->text(), "Записать параметры прибора в файл");
    EXPECT_EQ(ui().Label47->text(), "Статус:");
    EXPECT_EQ(ui().Label52->text(), "_");
    EXPECT_EQ(ui().ProgressBar1->value(), 0);
    EXPECT_EQ(ui().ProgressBar1->maximum(), 100);
    EXPECT_EQ(ui().GroupBox3->title(), "Архивы расходомера : ");
}

TEST_F(StartUp, PageDShownWithItsStartTexts) {
    open();
    const QTabWidget* pages = ui().PageControl2;
    ASSERT_EQ(pages->count(), 5);
    QStringList tabs;
    for (int i = 0; i < pages->count(); ++i)
        tabs << pages->tabText(i);
    EXPECT_EQ(tabs, QStringList({"Gn", "Vn", "Bn", "Tc", "D"}));
    EXPECT_EQ(pages->tabText(pages->currentIndex()), "D");
    EXPECT_EQ(ui().Label40->text(), "Дата: 2007-12-31");
    EXPECT_EQ(ui().Label41->text(), "Время:  12:34:56");
    // Latin "B" and "T" at start.
    EXPECT_EQ(ui().Label10->text(), QString::fromUtf8("B1,ч:"));
    EXPECT_EQ(ui().Label42->text(), QString::fromUtf8("T\u0441,ч:"));
    EXPECT_EQ(ui().Label5->text(), "G4,м3/час:");
    EXPECT_EQ(ui().Label9->text(), "V4,м3:");
}

TEST_F(StartUp, StatusBarAndTimers) {
    TForm1& f = open();
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(ui().StatusPanels[i]->text(), QStringLiteral("Статус%1").arg(i + 1));
    EXPECT_EQ(ui().StatusBar1->geometry(), QRect(0, 520, 646, 25));
    EXPECT_FALSE(f.timer1()->isActive());
    EXPECT_FALSE(f.timer2()->isActive());
    EXPECT_FALSE(f.timer3()->isActive());
    EXPECT_EQ(f.timer1()->interval(), 200);
    EXPECT_EQ(f.timer2()->interval(), 35000);
    EXPECT_EQ(f.timer3()->interval(), 5000);
    // The 35 s and 5 s waits to the millisecond, not to the second.
    for (const QTimer* timer : {f.timer1(), f.timer2(), f.timer3()})
        EXPECT_EQ(timer->timerType(), Qt::PreciseTimer) << qPrintable(timer->objectName());
    // Nothing changes the panels while the monitor is off.
    runEventsFor(300);
    EXPECT_EQ(ui().StatusPanels[0]->text(), "Статус1");
}

TEST_F(StartUp, OpensPortOneAndNothingElse) {
    open();
    ASSERT_EQ(line.calls.size(), 1u);
    const Call& call = line.calls[0];
    EXPECT_EQ(call.kind, Call::Open);
    EXPECT_EQ(call.port, 1);
    EXPECT_EQ(call.rate, 9600u);
    EXPECT_EQ(call.dataBits, 8);
    EXPECT_EQ(call.parity, 0);
    EXPECT_EQ(call.stopBits, 0);
}

TEST_F(StartUp, DatePickerShowsTodayWithinItsRange) {
    TForm1& f = open();
    EXPECT_EQ(ui().DateTimePicker1->date(), f.session().SelectedDate.date());
    EXPECT_EQ(ui().DateTimePicker1->minimumDate(), QDate(2000, 1, 1));
    EXPECT_EQ(ui().DateTimePicker1->maximumDate(), QDate(2042, 12, 31));
    EXPECT_TRUE(ui().DateTimePicker1->calendarPopup());
}

TEST_F(StartUp, HiddenControlsExistOutOfSight) {
    TForm1& f = open();
    f.show();
    const QRect client = f.rect();
    const char* const outside[] = {"Label1",  "Memo1",     "Button5",  "Button3",
                                   "Button1", "CheckBox1", "Memo2",    "Button2",
                                   "Edit3",   "RichEdit1", "RichEdit2"};
    for (const char* name : outside) {
        QWidget* w = f.findChild<QWidget*>(QString::fromLatin1(name));
        ASSERT_NE(w, nullptr) << name;
        const QRect at(w->mapTo(&f, QPoint(0, 0)), w->size());
        EXPECT_TRUE(!w->isVisible() || !client.intersects(at)) << name;
    }
    // Beyond the right edge of their panel or group: inside the client area, but clipped.
    for (const char* name : {"Edit2", "Button10"}) {
        QWidget* w = f.findChild<QWidget*>(QString::fromLatin1(name));
        ASSERT_NE(w, nullptr) << name;
        EXPECT_GE(w->x(), w->parentWidget()->width()) << name;
    }
    for (const char* name : {"Label49", "Label50", "Label51", "Label52"})
        EXPECT_FALSE(f.findChild<QWidget*>(QString::fromLatin1(name))->isVisible()) << name;
    for (const char* name : {"Button13", "ComboBox10", "DateTimePicker1", "Button15", "Label47"})
        EXPECT_TRUE(f.findChild<QWidget*>(QString::fromLatin1(name))->isVisible()) << name;
}

TEST_F(StartUp, CloseWithoutStartClosesPortZero) {
    TForm1& f = open();
    line.clear();
    f.close();
    ASSERT_EQ(line.calls.size(), 1u);
    EXPECT_EQ(line.calls[0].kind, Call::Close);
    EXPECT_EQ(line.calls[0].port, 0);
}

class NodeList : public test::Form {
protected:
    void SetUp() override {
        const QString text = QStringLiteral("[baza]\r\nkol_uzlov=3\r\ntel_1=+79001112233\r\n"
                                            "name_u1=Котельная\r\ntel_2=+79004445566\r\n"
                                            "name_u3=Школа №2\r\n");
        QFile file(home.filePath(QStringLiteral("gsm_csd.ini")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(cp1251::encode(text));
    }
};

TEST_F(NodeList, OneLinePerNodeAndPicksFillThePhone) {
    open();
    SelectorBox* nodes = ui().ComboBox3;
    ASSERT_EQ(nodes->count(), 3);
    EXPECT_EQ(nodes->itemText(0), "Котельная");
    EXPECT_EQ(nodes->itemText(1), "");
    EXPECT_EQ(nodes->itemText(2), "Школа №2");
    EXPECT_EQ(nodes->currentText(), "Узел учета");
    EXPECT_EQ(nodes->itemIndex(), -1);
    EXPECT_EQ(ui().Edit1->text(), "+79000000000");

    pickNextLine(nodes);
    EXPECT_EQ(ui().Edit1->text(), "+79001112233");
    pickNextLine(nodes); // the line without a name still has its phone
    EXPECT_EQ(ui().Edit1->text(), "+79004445566");
    pickNextLine(nodes); // no phone for node 3
    EXPECT_EQ(ui().Edit1->text(), "");
}

TEST_F(NodeList, EditOfTheTextLineEmptiesThePhone) {
    open();
    pickNextLine(ui().ComboBox3);
    ASSERT_EQ(ui().Edit1->text(), "+79001112233");
    typeInto(ui().ComboBox3->lineEdit(), QStringLiteral("Кот"));
    EXPECT_EQ(ui().ComboBox3->itemIndex(), -1);
    EXPECT_EQ(ui().Edit1->text(), "");
    EXPECT_EQ(ui().ComboBox3->count(), 3);
}

} // namespace
} // namespace rt570
