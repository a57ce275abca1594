#pragma once

#include "app/SelectorBox.h"
#include "app/TForm1.h"
#include "link/Frame.h"
#include "sim/MeterModel.h"
#include "sim/MeterProtocol.h"
#include "support/FakeSerialLine.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

namespace rt570::test {

// One application object for the whole test program (the platform is "offscreen").
inline void ensureApplication() {
    static int argc = 1;
    static char name[] = "tests_app";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        new QApplication(argc, argv);
}

// Lets the event loop run for `ms` milliseconds: timers fire, queued clicks arrive.
inline void runEventsFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Types into a text line as the operator would (key presses, so edit signals fire), replacing
// what it held.
inline void typeInto(QLineEdit* edit, const QString& text) {
    edit->selectAll();
    if (text.isEmpty()) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
        QCoreApplication::sendEvent(edit, &press);
        return;
    }
    for (const QChar ch : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
        QCoreApplication::sendEvent(edit, &press);
    }
}

// Moves a selector's selection one line down with the arrow key, as a pick by the operator.
inline void pickNextLine(SelectorBox* box) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QCoreApplication::sendEvent(box, &press);
}

// The main window on the fake line, with a temporary home that holds "arc/", and a meter from
// the simulator answering on the line at address 1.
class Form : public ::testing::Test {
protected:
    Form() {
        ensureApplication();
        QDir(home.path()).mkpath(QStringLiteral("arc"));
    }

    TForm1& open(const TimerIntervals& intervals = {}) {
        form = std::make_unique<TForm1>(line, home.path(), intervals);
        form->messageBox = [this](const QString& text) { messages << text; };
        return *form;
    }

    void meterAnswers() {
        line.responder = [this](const QByteArray& sent) { return protocol.feed(sent); };
    }

    const TForm1Controls& ui() const { return form->controls(); }

    // The calls made on the line of the given kind.
    std::vector<FakeSerialLine::Call> callsOf(FakeSerialLine::Call::Kind kind) const {
        std::vector<FakeSerialLine::Call> found;
        for (const auto& call : line.calls)
            if (call.kind == kind)
                found.push_back(call);
        return found;
    }
    // Frames sent with the given command byte.
    int framesWithCommand(uint8_t command) const {
        int n = 0;
        for (const QByteArray& frame : line.sentFrames())
            if (frame.size() == kFrameLength && uint8_t(frame[2]) == command)
                ++n;
        return n;
    }

    QTemporaryDir home;
    FakeSerialLine line;
    sim::MeterModel model{7, 123456, 1};
    sim::MeterProtocol protocol{model, 1};
    std::unique_ptr<TForm1> form;
    QStringList messages;
};

} // namespace rt570::test
