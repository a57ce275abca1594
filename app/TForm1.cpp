#include "app/TForm1.h"

#include "app/ExchangeMonitor.h"
#include "app/SelectorBox.h"
#include "archives/ArchiveReports.h"
#include "link/OperationError.h"
#include "readings/Clock.h"
#include "readings/CurrentValues.h"
#include "readings/ParameterReport.h"
#include "session/Connection.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDateEdit>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTimer>

namespace rt570 {

namespace {

QTimer* formTimer(QObject* parent, const char* name, int intervalMs) {
    auto* timer = new QTimer(parent);
    timer->setObjectName(QString::fromLatin1(name));
    timer->setInterval(intervalMs);
    // A coarse timer may be 5 % off, and above 20 s it keeps only whole seconds; the monitor
    // and the two waits run to the millisecond.
    timer->setTimerType(Qt::PreciseTimer);
    return timer;
}

} // namespace

TForm1::TForm1(SerialLine& line, const QString& home, const TimerIntervals& intervals,
               QWidget* parent)
    : QWidget(parent), m_callWatch(line), m_session(m_callWatch, *this, home) {
    setObjectName(QStringLiteral("Form1"));
    // System menu and minimise button only: no maximise button.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("RT570-4X АРХИВ V1.0"));
    resize(kFormWidth, kFormHeight);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    buildTForm1(this, m_ui);
    m_timer1 = formTimer(this, "Timer1", intervals.monitorMs);
    m_timer2 = formTimer(this, "Timer2", intervals.connectWaitMs);
    m_timer3 = formTimer(this, "Timer3", intervals.hangUpWaitMs);
    messageBox = [this](const QString& text) {
        QMessageBox::critical(this, QCoreApplication::applicationName(), text);
    };
    connectHandlers();
    FormCreate();
}

void TForm1::connectHandlers() {
    const auto onClick = [this](QPushButton* button, void (TForm1::*handler)()) {
        connect(button, &QPushButton::clicked, this, handler);
    };
    onClick(m_ui.Button13, &TForm1::Button13Click);
    onClick(m_ui.Button14, &TForm1::Button14Click);
    onClick(m_ui.Button2, &TForm1::Button2Click);
    onClick(m_ui.Button4, &TForm1::Button4Click);
    onClick(m_ui.Button5, &TForm1::Button5Click);
    onClick(m_ui.Button6, &TForm1::Button6Click);
    onClick(m_ui.Button15, &TForm1::Button15Click);
    onClick(m_ui.Button3, &TForm1::Button3Click);
    onClick(m_ui.Button9, &TForm1::Button9Click);
    onClick(m_ui.Button11, &TForm1::Button11Click);
    onClick(m_ui.Button12, &TForm1::Button12Click);
    onClick(m_ui.Button10, &TForm1::Button10Click);
    onClick(m_ui.Button7, &TForm1::Button7Click);
    onClick(m_ui.Button8, &TForm1::Button8Click);
    connect(m_timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);
    connect(m_timer2, &QTimer::timeout, this, &TForm1::Timer2Timer);
    connect(m_timer3, &QTimer::timeout, this, &TForm1::Timer3Timer);
    connect(m_ui.DateTimePicker1, &QDateEdit::dateChanged, this, &TForm1::DateTimePicker1Change);
    connect(m_ui.ComboBox3, &SelectorBox::changedByUser, this, &TForm1::ComboBox3Change);
}

void TForm1::FormCreate() {
    loadRunState(m_session);
    openStartUpPort(m_session);
    // One line per loaded node, in node order, even when its name is empty; no line selected.
    for (int n = 1; n <= m_session.nodes.loaded; ++n)
        m_ui.ComboBox3->addItem(m_session.nodes.entries[size_t(n)].name);
    m_ui.ComboBox3->selectItem(-1);
    m_ui.ComboBox3->setText(QStringLiteral("Узел учета"));
    const QSignalBlocker quiet(m_ui.DateTimePicker1);
    m_ui.DateTimePicker1->setDate(m_session.SelectedDate.date());
}

void TForm1::closeEvent(QCloseEvent* event) {
    // The connection ends, so that everything written to the report files is on disk when the
    // program ends, and no wait fires on a closed window.
    endConnection();
    m_closedDuringOperation = m_session.busy();
    event->accept();
}

void TForm1::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_ui.StatusBar1->setGeometry(0, height() - kStatusBarHeight, width(), kStatusBarHeight);
}

bool TForm1::processMessages() {
    QCoreApplication::processEvents();
    // Closed meanwhile: stop the running operation here. Its remaining requests would each wait
    // out their time-outs on the closed port, for up to hours, with no window left to show.
    return m_closedDuringOperation && m_session.busy();
}

void TForm1::textsChanged() {
    const RunTexts& d = m_session.display;
    m_ui.Label52->setText(d.statusText);
    m_ui.ProgressBar1->setValue(d.progress);
    m_ui.Label47->setText(d.gsmStatus);
    m_ui.Label1->setText(d.setCounter);
    m_ui.Edit2->setText(d.reportStem);
    m_ui.Edit3->setText(d.openingStamp);
    m_ui.Button8->setEnabled(d.hangUpEnabled);
    QLabel* const flows[4] = {m_ui.Label2, m_ui.Label3, m_ui.Label4, m_ui.Label5};
    QLabel* const volumes[4] = {m_ui.Label6, m_ui.Label7, m_ui.Label8, m_ui.Label9};
    QLabel* const hours[4] = {m_ui.Label10, m_ui.Label11, m_ui.Label12, m_ui.Label13};
    for (size_t k = 0; k < 4; ++k) {
        flows[k]->setText(d.flowLabels[k]);
        volumes[k]->setText(d.volumeLabels[k]);
        hours[k]->setText(d.hoursLabels[k]);
    }
    m_ui.Label42->setText(d.mainsLabel);
    m_ui.Label40->setText(d.dateLabel);
    m_ui.Label41->setText(d.timeLabel);

    // The log only grows; new lines are appended, a shortened log is shown afresh.
    if (d.memo.size() < m_memoLines) {
        m_ui.Memo1->setPlainText(d.memo.join(QLatin1Char('\n')));
    } else {
        for (qsizetype i = m_memoLines; i < d.memo.size(); ++i)
            m_ui.Memo1->appendPlainText(d.memo[i]);
    }
    m_memoLines = int(d.memo.size());
}

void TForm1::showError(const QString& text) {
    if (m_closedDuringOperation)
        return;
    if (messageBox)
        messageBox(text);
}

void TForm1::Button13Click() {
    m_callWatch.stop();
    resetCounters(m_session);
    m_timer1->start();
    m_ui.Button14->setEnabled(true);
    m_ui.Button7->setEnabled(true);
    m_ui.Button13->setEnabled(false);
    try {
        openConnection(m_session, m_ui.ComboBox11->currentText(), m_ui.ComboBox1->currentText(),
                       m_ui.ComboBox10->itemIndex());
    } catch (const OperationError& error) {
        // Start ends here: the buttons and the monitor are on, no port was opened.
        showError(error.message());
        return;
    }
    if (!m_ui.CheckBox2->isChecked())
        Button2Click();
}

void TForm1::Button14Click() {
    m_ui.Button13->setEnabled(true);
    m_ui.Button14->setEnabled(false);
    m_ui.Button7->setEnabled(false);
    m_session.display.hangUpEnabled = false;
    m_ui.Button8->setEnabled(false);
    m_callWatch.stop();
    endConnection();
}

void TForm1::endConnection() {
    // The monitor stops, and no opening read may follow on the port closed here: neither a
    // connect wait still running nor one asked for while another operation reads. The report
    // files close with the port.
    m_timer1->stop();
    m_timer2->stop();
    m_session.cancelOpeningRead();
    try {
        closeConnection(m_session);
    } catch (const OperationError& error) {
        showError(error.message());
    }
}

void TForm1::Timer1Timer() {
    const MonitorTexts texts = monitorTexts(m_session.link);
    m_ui.Label49->setText(texts.requests);
    m_ui.Label50->setText(texts.timeouts);
    m_ui.Label51->setText(texts.errors);
    m_ui.StatusPanels[0]->setText(m_ui.Label49->text());
    m_ui.StatusPanels[1]->setText(m_ui.Label50->text());
    m_ui.StatusPanels[2]->setText(m_ui.Label51->text());
    m_ui.StatusPanels[3]->setText(m_ui.Label52->text());
}

void TForm1::Button2Click() {
    m_session.requestOpeningRead();
}
void TForm1::Button4Click() {
    m_session.runOperation([this] { readCurrentValues(m_session); });
}
void TForm1::Button5Click() {
    m_session.runOperation([this] { ReadClock(m_session); });
}
void TForm1::Button6Click() {
    m_session.runOperation([this] { writePcClock(m_session); });
}
void TForm1::Button15Click() {
    m_session.runOperation([this] { parameterReport(m_session); });
}
void TForm1::Button3Click() {
    m_session.runOperation([this] { replyView(m_session); });
}
void TForm1::Button9Click() {
    const QDate picked = m_ui.DateTimePicker1->date();
    m_session.runOperation([this, picked] { hourlyReport(m_session, picked); });
}
void TForm1::Button11Click() {
    const QDate picked = m_ui.DateTimePicker1->date();
    m_session.runOperation([this, picked] { dailyReport(m_session, picked); });
}
void TForm1::Button12Click() {
    const QDate picked = m_ui.DateTimePicker1->date();
    m_session.runOperation([this, picked] { monthlyReport(m_session, picked); });
}
void TForm1::Button10Click() {
    m_session.runOperation([this] { dumpHourlyFlows(m_session); });
}
void TForm1::DateTimePicker1Change(const QDate& picked) {
    rt570::selectArchiveDate(m_session, picked);
}

} // namespace rt570
