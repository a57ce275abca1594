#pragma once

#include "app/TForm1Controls.h"
#include "gsm/BlindCall.h"
#include "gsm/CallWatch.h"
#include "session/Session.h"
#include "state/FrontEnd.h"

#include <QWidget>
#include <functional>

class QTimer;

namespace rt570 {

class SerialLine;

// Intervals of the window's timers. The defaults are the tool's; tests shorten them.
struct TimerIntervals {
    int monitorMs = 200;                // Timer1, the exchange monitor
    int connectWaitMs = kConnectWaitMs; // Timer2, dial to opening read
    int hangUpWaitMs = kHangUpWaitMs;   // Timer3, "+++" to "ATH"
};

// The main window. It owns the run's Session and is its front end: the operations' texts land in
// the widgets, their message pass is one pass of the event loop, their errors go to the message
// box.
// Every handler is named after its control; the reading and report buttons run through the
// session's one-operation guard.
class TForm1 : public QWidget, public FrontEnd {
    Q_OBJECT
public:
    // Runs FormCreate: node list, date, link constants, port 1 opened, parameter names.
    TForm1(SerialLine& line, const QString& home, const TimerIntervals& intervals = {},
           QWidget* parent = nullptr);

    Session& session() { return m_session; }
    const TForm1Controls& controls() const { return m_ui; }
    QTimer* timer1() const { return m_timer1; }
    QTimer* timer2() const { return m_timer2; }
    QTimer* timer3() const { return m_timer3; }

    // The window's standard message box; tests put a recorder here.
    std::function<void(const QString&)> messageBox;

    // FrontEnd.
    bool processMessages() override;
    void textsChanged() override;
    void showError(const QString& text) override;

public slots:
    void Button13Click(); // "Старт"
    void Button14Click(); // "Стоп"
    void Timer1Timer();   // exchange monitor

    void Button2Click();  // opening read
    void Button4Click();  // current values
    void Button5Click();  // clock read
    void Button6Click();  // PC clock to the meter
    void Button15Click(); // parameter report
    void Button3Click();  // reply view
    void Button9Click();  // hourly report
    void Button11Click(); // daily report
    void Button12Click(); // monthly report
    void Button10Click(); // hourly flow dump
    void DateTimePicker1Change(const QDate& picked);

    void Button7Click(); // dial
    void Timer2Timer();  // connect wait elapsed
    void Button8Click(); // hang up
    void Timer3Timer();  // hang-up wait elapsed
    void ComboBox3Change(int position);

protected:
    void closeEvent(QCloseEvent* event) override; // FormClose
    void resizeEvent(QResizeEvent* event) override;

private:
    void FormCreate();
    // "Стоп" and closing the window: the waits stop, the port and report files close.
    void endConnection();
    void connectHandlers();

    TForm1Controls m_ui;
    // Between the line and the session: a dialled call that failed is not read as replies.
    CallWatch m_callWatch;
    Session m_session;
    QTimer* m_timer1 = nullptr;
    QTimer* m_timer2 = nullptr;
    QTimer* m_timer3 = nullptr;
    int m_memoLines = 0; // lines of the log already shown in Memo1
    // The window was closed while an operation waited in its message pass: the operation is
    // ended at that pass instead of running on against the closed port.
    bool m_closedDuringOperation = false;
};

} // namespace rt570
