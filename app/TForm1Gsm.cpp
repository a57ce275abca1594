#include "app/TForm1.h"

#include "gsm/BlindCall.h"
#include "link/OperationError.h"

#include <QLineEdit>
#include <QTimer>

namespace rt570 {

// The modem call. None of these makes a request, so none goes through the one-operation guard:
// the buttons act whenever they are enabled, also while a read waits for its reply.

void TForm1::Button7Click() {
    try {
        // An empty phone field dials nothing and starts no wait.
        if (!dialNode(m_session, m_ui.Edit1->text()))
            return;
        m_callWatch.dialled();
    } catch (const OperationError& error) {
        showError(error.message());
        return;
    }
    // A second dial leaves a running wait as it is.
    if (!m_timer2->isActive())
        m_timer2->start();
}

void TForm1::Timer2Timer() {
    // Stopped first: the read's message passes must not fire it again.
    m_timer2->stop();
    m_session.requestOpeningRead();
}

void TForm1::Button8Click() {
    if (!m_timer3->isActive())
        m_timer3->start();
    breakCall(m_session);
}

void TForm1::Timer3Timer() {
    m_timer3->stop();
    finishCall(m_session);
    m_callWatch.stop();
}

void TForm1::ComboBox3Change(int position) {
    // A pick gives that node's phone; an edit of the text line (position -1) gives entry 0,
    // which is empty.
    m_ui.Edit1->setText(m_session.nodes.phoneAt(position));
}

} // namespace rt570
