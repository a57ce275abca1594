#pragma once

#include "state/FrontEnd.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <cstdio>
#include <functional>

namespace rt570 {
struct RunTexts;
}

namespace rt570::cli {

// The command line's front end for the core. On a terminal it keeps one line of stderr showing
// the running operation's status text and a progress bar; otherwise it prints nothing but the
// errors. Errors that end an operation are printed at once.
class CliHost : public FrontEnd {
public:
    using Clock = std::function<QDateTime()>;

    // `err` is where the progress and the errors go; `drawProgress` only when it is a terminal
    // and the user did not turn the bar off. With a `stampClock` every line written begins with
    // its local date and time ("2026-12-10T01:30:05 "), so that a log appended night after night
    // (cron, systemd) shows when each line was written; for stderr that is not a terminal.
    CliHost(std::FILE* err, bool drawProgress, Clock stampClock = {})
        : m_err(err), m_drawProgress(drawProgress), m_stampClock(std::move(stampClock)) {}

    // The display whose status text and progress the bar shows.
    void watch(const RunTexts* display) { m_display = display; }

    // Run at every message pass inside a request; true stops the running operation's link (the
    // device went away, the program was told to stop). Empty: never.
    void setInterruption(std::function<bool()> check) { m_interruption = std::move(check); }

    // Where the messages go instead of the stream, as given (one modem line of several, whose
    // messages share the run's stderr); empty: the stream.
    void setMessageSink(std::function<void(const QString&)> sink) { m_sink = std::move(sink); }
    // True when it draws the progress bar: a terminal, and progress not turned off.
    bool drawsProgress() const { return m_drawProgress; }

    bool processMessages() override;
    void textsChanged() override;
    void showError(const QString& text) override;

    // A message of the command line itself ("the opening read failed ..."), printed like errors.
    void message(const QString& text);
    // A phase without a status text of the core (the modem waits): the text alone on the bar.
    void showPhase(const QString& text);
    // Takes the bar off the terminal; then the summary line can follow.
    void finish();

    // The bar line for a status text and a position 0..100: the text, then "[####....]  45%".
    static QString progressLine(const QString& status, int progress);

private:
    void draw(const QString& line);
    void clearLine();

    std::FILE* m_err;
    bool m_drawProgress;
    Clock m_stampClock;
    const RunTexts* m_display = nullptr;
    QString m_drawn; // the line on the terminal now; empty when there is none
    std::function<bool()> m_interruption;
    std::function<void(const QString&)> m_sink;
};

// True when the stream is a terminal.
bool isTerminal(std::FILE* stream);

} // namespace rt570::cli
