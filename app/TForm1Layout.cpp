#include "app/LayoutHelpers.h"
#include "app/SelectorBox.h"
#include "app/TForm1Controls.h"
#include "session/Connection.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTextEdit>

namespace rt570 {

using layout::mainGroup;
using layout::place;

namespace {

// Widths of the first three status panels; the last one runs to the bar's right edge.
constexpr int kPanelWidths[3] = {90, 110, 90};

// A plain black "Arial" field label of the connection group.
QLabel* fieldLabel(QWidget* parent, const char* name, int top, const QString& text) {
    auto* label = place<QLabel>(parent, name, 8, top, 110, 16);
    label->setText(text);
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    label->setFont(font);
    return label;
}

SelectorBox* selector(QWidget* parent, const char* name, int top, const QStringList& items,
                      int selected) {
    auto* box = place<SelectorBox>(parent, name, 120, top, 113, 21);
    box->addItems(items);
    box->selectItem(selected);
    box->useInfoTipBackground();
    return box;
}

QPushButton* button(QWidget* parent, const char* name, const QString& text, int left, int top,
                    int width, int height) {
    auto* b = place<QPushButton>(parent, name, left, top, width, height);
    b->setText(text);
    return b;
}

void buildConnectionGroup(QWidget* frame, TForm1Controls& ui) {
    QGroupBox* group =
        mainGroup(frame, "GroupBox1", QStringLiteral("Параметры связи"), "Arial", 8, 8, 345, 153);
    ui.GroupBox1 = group;
    fieldLabel(group, "Label43", 22, QStringLiteral("Скорость обмена :"));
    ui.ComboBox10 = selector(group, "ComboBox10", 18, rateItems(), 4);
    fieldLabel(group, "Label44", 50, QStringLiteral("Адрес прибора :"));
    QStringList addresses;
    for (int a = 0; a <= 255; ++a)
        addresses << QString::number(a);
    ui.ComboBox11 = selector(group, "ComboBox11", 46, addresses, 1);
    fieldLabel(group, "Label45", 78, QStringLiteral("№ порта RS232:"));
    QStringList ports;
    for (int p = 1; p <= 9; ++p)
        ports << QString::number(p);
    ui.ComboBox1 = selector(group, "ComboBox1", 74, ports, 2);

    ui.Button13 = button(group, "Button13", QStringLiteral("Старт"), 248, 18, 89, 25);
    ui.Button14 = button(group, "Button14", QStringLiteral("Стоп"), 248, 48, 89, 25);
    ui.Button14->setEnabled(false);
    ui.CheckBox2 = place<QCheckBox>(group, "CheckBox2", 248, 78, 89, 17);
    ui.CheckBox2->setText(QStringLiteral("gsm"));

    // The monitor's labels and the progress text: they feed the status bar and stay hidden.
    ui.Label49 = place<QLabel>(group, "Label49", 8, 102, 100, 14);
    ui.Label50 = place<QLabel>(group, "Label50", 110, 102, 120, 14);
    ui.Label51 = place<QLabel>(group, "Label51", 232, 102, 100, 14);
    ui.Label52 = place<QLabel>(group, "Label52", 8, 102, 320, 14);
    ui.Label49->setText(QStringLiteral("Label49"));
    ui.Label50->setText(QStringLiteral("Label50"));
    ui.Label51->setText(QStringLiteral("Label51"));
    ui.Label52->setText(QStringLiteral("_"));
    for (QLabel* hidden : {ui.Label49, ui.Label50, ui.Label51, ui.Label52})
        hidden->hide();

    ui.ProgressBar1 = place<QProgressBar>(group, "ProgressBar1", 8, 126, 329, 17);
    ui.ProgressBar1->setRange(0, 100);
    ui.ProgressBar1->setValue(0);
    ui.ProgressBar1->setTextVisible(false);
}

void buildArchiveGroup(QWidget* frame, TForm1Controls& ui) {
    QGroupBox* group = mainGroup(frame, "GroupBox3", QStringLiteral("Архивы расходомера : "),
                                 "Courier New", 368, 16, 265, 241);
    ui.GroupBox3 = group;
    auto* panel = place<QFrame>(group, "Panel2", 8, 20, 249, 213);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Raised);
    place<QLabel>(panel, "Label46", 24, 32, 161, 16)->setText(QStringLiteral("Выбор даты:"));
    // At (400, 88) in the frame: (32, 72) in the group, (24, 52) in the panel.
    ui.DateTimePicker1 = place<QDateEdit>(panel, "DateTimePicker1", 24, 52, 161, 24);
    ui.DateTimePicker1->setCalendarPopup(true);
    ui.DateTimePicker1->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    ui.DateTimePicker1->setDateRange(QDate(2000, 1, 1), QDate(2042, 12, 31));
    ui.Button9 = button(panel, "Button9", QStringLiteral("Часовые"), 24, 92, 161, 30);
    ui.Button11 = button(panel, "Button11", QStringLiteral("Суточные"), 24, 130, 161, 30);
    ui.Button12 = button(panel, "Button12", QStringLiteral("Месячные"), 24, 168, 161, 30);
    // Beyond the right edges: they work, but the operator does not see them.
    ui.Edit2 = place<QLineEdit>(panel, "Edit2", 260, 52, 121, 21);
    ui.Edit2->setText(QStringLiteral("Edit2"));
    ui.Button10 = button(group, "Button10", QStringLiteral("Button10"), 280, 100, 75, 25);
}

void buildGsmGroup(QWidget* frame, TForm1Controls& ui) {
    QGroupBox* group = mainGroup(frame, "GroupBox4", QStringLiteral("GSM связь (CSD):"), "Arial",
                                 369, 262, 264, 203);
    ui.GroupBox4 = group;
    place<QLabel>(group, "Label48", 16, 22, 233, 16)->setText(QStringLiteral("Узел учета :"));
    ui.ComboBox3 = place<SelectorBox>(group, "ComboBox3", 16, 40, 233, 21);
    ui.ComboBox3->setText(QStringLiteral("Узел учета"));
    ui.Edit1 = place<QLineEdit>(group, "Edit1", 16, 70, 233, 21);
    ui.Edit1->setText(QStringLiteral("+79000000000"));
    ui.Button7 = button(group, "Button7", QStringLiteral("Соединится"), 16, 100, 233, 27);
    ui.Button8 = button(group, "Button8", QStringLiteral("Разорвать связь"), 16, 134, 233, 27);
    ui.Button7->setEnabled(false);
    ui.Button8->setEnabled(false);
    ui.Label47 = place<QLabel>(group, "Label47", 16, 172, 233, 16);
    ui.Label47->setText(QStringLiteral("Статус:"));
}

void buildStatusBar(QWidget* form, TForm1Controls& ui) {
    ui.StatusBar1 = place<QStatusBar>(form, "StatusBar1", 0, kFormHeight - kStatusBarHeight,
                                      kFormWidth, kStatusBarHeight);
    ui.StatusBar1->setSizeGripEnabled(false);
    for (int i = 0; i < 4; ++i) {
        auto* panel = new QLabel(QStringLiteral("Статус%1").arg(i + 1));
        panel->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        if (i < 3) {
            panel->setFixedWidth(kPanelWidths[i]);
            ui.StatusBar1->addWidget(panel);
        } else {
            // The progress text takes what the others leave; a text longer than that is cut
            // and never pushes the other panels aside.
            panel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
            ui.StatusBar1->addWidget(panel, 1);
        }
        ui.StatusPanels[i] = panel;
    }
}

void buildOutOfSight(QWidget* form, TForm1Controls& ui) {
    const int left = layout::kOutOfSightLeft;
    const int top = layout::kOutOfSightTop;
    ui.Button2 = button(form, "Button2", QStringLiteral("Счит парам"), left, top, 75, 25);
    ui.Button2->hide();
    ui.Edit3 = place<QLineEdit>(form, "Edit3", left, top + 30, 121, 21);
    ui.Edit3->setText(QStringLiteral("Edit3"));
    ui.Edit3->hide();
    ui.Label1 = place<QLabel>(form, "Label1", left, top + 60, 100, 16);
    ui.Label1->setText(QStringLiteral("Label1"));
    ui.Memo1 = place<QPlainTextEdit>(form, "Memo1", left, top + 80, 200, 150);
    ui.Button5 = button(form, "Button5", QStringLiteral("Button5"), left, top + 240, 75, 25);
    ui.Button3 = button(form, "Button3", QStringLiteral("view_read"), left, top + 270, 75, 25);
    ui.Button1 = button(form, "Button1", QStringLiteral("Пусто"), left, top + 300, 75, 25);
    ui.CheckBox1 = place<QCheckBox>(form, "CheckBox1", left, top + 330, 97, 17);
    ui.CheckBox1->setText(QStringLiteral("CheckBox1"));
    ui.CheckBox1->setChecked(true);
    ui.Memo2 = place<QPlainTextEdit>(form, "Memo2", left, top + 350, 200, 80);
    ui.RichEdit1 = place<QTextEdit>(form, "RichEdit1", left, top + 440, 200, 80);
    ui.RichEdit2 = place<QTextEdit>(form, "RichEdit2", left, top + 530, 200, 80);
    ui.RichEdit1->hide();
    ui.RichEdit2->hide();
}

} // namespace

void buildTForm1(QWidget* form, TForm1Controls& ui) {
    form->setFont(layout::formFont());
    ui.Panel1 = place<QWidget>(form, "Panel1", 8, 4, 649, 509);
    buildConnectionGroup(ui.Panel1, ui);
    buildValuesGroup(ui.Panel1, ui);
    buildArchiveGroup(ui.Panel1, ui);
    buildGsmGroup(ui.Panel1, ui);
    ui.Button15 = button(ui.Panel1, "Button15", QStringLiteral("Записать параметры прибора в файл"),
                         8, 472, 625, 25);
    buildStatusBar(form, ui);
    buildOutOfSight(form, ui);
}

} // namespace rt570
