#include "cli/CliConnection.h"

#include "cli/CliHost.h"
#include "gsm/BlindCall.h"
#include "gsm/ModemDialogue.h"
#include "link/OperationError.h"

#include <algorithm>

namespace rt570::cli {

namespace {

// The result of a dial that did not connect.
RunResult resultOf(ModemResult modem) {
    switch (modem) {
    case ModemResult::Busy:
        return RunResult::Busy;
    case ModemResult::NoCarrier:
        return RunResult::NoCarrier;
    case ModemResult::NoAnswer:
        return RunResult::NoAnswer;
    case ModemResult::NoDialtone:
        return RunResult::NoDialtone;
    case ModemResult::ModemError:
        return RunResult::ModemError;
    case ModemResult::ModemSilent:
        return RunResult::ModemSilent;
    case ModemResult::Interrupted:
        return RunResult::Interrupted;
    case ModemResult::Ok:
    case ModemResult::Connected:
        break;
    }
    return RunResult::LinkFailed;
}

// The modem's own words for a failed dial.
QString modemWords(ModemResult modem) {
    return modemResultWord(modem).toUpper();
}

} // namespace

bool CliConnection::call(const QString& dial) {
    note(QStringLiteral("dial"));
    if (m_options.blindDial)
        return blindCall(dial);
    ModemDialogue modem(m_watch, m_session.link.PortNumber(), m_env.modemTimings, m_env.modemClock);
    modem.setStopCheck(m_env.stopRequested);
    m_host.showPhase(QStringLiteral("modem: AT"));
    ModemResult answer = modem.prepare();
    m_outcome.modemUnusable =
        answer == ModemResult::ModemSilent || answer == ModemResult::ModemError;
    if (answer == ModemResult::Ok) {
        m_host.showPhase(connectingStatus());
        try {
            answer = modem.dial(dial);
        } catch (const OperationError& error) {
            m_host.message(error.message());
            fail(RunResult::ModemError, kExitLinkFailed);
            return false;
        }
    }
    if (answer == ModemResult::Connected) {
        m_callStands = true;
        m_watch.arm();
        return true;
    }
    if (answer == ModemResult::Interrupted) {
        stopped();
        return false;
    }
    if (answer == ModemResult::ModemSilent)
        m_host.message(
            QStringLiteral("the modem %1 does not answer \"AT\" with \"OK\"").arg(deviceName()));
    else
        m_host.message(QStringLiteral("the call to %1 failed: %2").arg(dial, modemWords(answer)));
    fail(resultOf(answer), kExitLinkFailed);
    return false;
}

// The window's call: the dial text, a fixed wait, no answer read.
bool CliConnection::blindCall(const QString& dial) {
    try {
        m_callStands = dialNode(m_session, dial);
    } catch (const OperationError& error) {
        m_host.message(error.message());
        fail(RunResult::ModemError, kExitLinkFailed);
        return false;
    }
    if (!m_callStands) {
        m_host.message(QStringLiteral("no phone text to dial"));
        fail(RunResult::ModemError, kExitLinkFailed);
        return false;
    }
    m_host.showPhase(m_session.display.gsmStatus);
    if (!m_env.stopRequested) {
        m_env.wait(kConnectWaitMs);
        return true;
    }
    for (int waited = 0; waited < kConnectWaitMs; waited += kModemStopSliceMs) {
        if (stopAsked()) {
            stopped(); // the call may be coming up: it is hung up all the same
            return false;
        }
        m_env.wait(std::min(kModemStopSliceMs, kConnectWaitMs - waited));
    }
    return true;
}

void CliConnection::hangUp() {
    m_watch.disarm();
    note(QStringLiteral("hang up"));
    if (m_options.blindDial) {
        breakCall(m_session);
        m_host.showPhase(m_session.display.gsmStatus);
        m_env.wait(kHangUpWaitMs);
        finishCall(m_session);
        return;
    }
    m_host.showPhase(breakingStatus());
    ModemDialogue modem(m_watch, m_session.link.PortNumber(), m_env.modemTimings, m_env.modemClock);
    const HangUpResult answer = modem.hangUp();
    if (!answer.hangUpOk)
        m_host.message(QStringLiteral("the modem did not confirm the hang-up (\"ATH\")"));
}

} // namespace rt570::cli
