#include "sim/HayesModem.h"

#include <chrono>

namespace rt570::sim {

const QByteArray kModemOk("\r\nOK\r\n");
const QByteArray kModemConnect("\r\nCONNECT 9600\r\n");
const QByteArray kModemNoCarrier("\r\nNO CARRIER\r\n");
const QByteArray kModemBusy("\r\nBUSY\r\n");
const QByteArray kModemNoAnswer("\r\nNO ANSWER\r\n");
const QByteArray kModemError("\r\nERROR\r\n");

namespace {

constexpr char kEscapeCharacter = '+';
constexpr int kEscapeLength = 3;
constexpr char kBackspace = 0x08;
// A command line longer than this is cut, as the modem's command buffer is.
constexpr int kMaxCommandLine = 256;

long long steadyMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

const QByteArray& dialResultText(DialAnswer answer) {
    switch (answer) {
    case DialAnswer::Busy:
        return kModemBusy;
    case DialAnswer::NoCarrier:
        return kModemNoCarrier;
    case DialAnswer::NoAnswer:
        return kModemNoAnswer;
    case DialAnswer::Connect:
        break;
    }
    return kModemConnect;
}

} // namespace

QByteArray dialDigits(const QByteArray& dialString) {
    QByteArray digits;
    for (const char c : dialString)
        if ((c >= '0' && c <= '9') || c == '+')
            digits += c;
    return digits;
}

HayesModem::HayesModem(LineDevice& meter, const ModemSettings& settings)
    : HayesModem(
          [&meter, answer = settings.answer](const QByteArray&) {
              return Callee{answer, &meter};
          },
          settings) {}

HayesModem::HayesModem(DialRoute route, const ModemSettings& settings)
    : clock(steadyMs), m_route(std::move(route)), m_settings(settings) {}

bool HayesModem::withdrawn(int ticket) const {
    return m_withdrawn.count(ticket) > 0;
}

void HayesModem::withdraw(int& ticket) {
    if (ticket != 0)
        m_withdrawn.insert(ticket);
    ticket = 0;
}

void HayesModem::advance(long long now) {
    if (m_state == State::Dialing && now >= m_dialDoneAt) {
        m_callUp = m_dialResult == DialAnswer::Connect;
        m_state = m_callUp ? State::Online : State::Command;
        m_lineFeedEndsDial = false;
    }
    if (m_state == State::EscapePending && now - m_escapeAt >= m_settings.guardMs)
        m_state = State::Command;
    if (m_callUp && m_dropAt >= 0 && now >= m_dropAt) {
        // The carrier is gone; its "NO CARRIER" went out at the drop time.
        m_callUp = false;
        m_meter = nullptr;
        m_state = State::Command;
        m_plusCount = 0;
        m_dropAt = -1;
        ++drops;
    }
}

Transmissions HayesModem::feed(const QByteArray& in) {
    const long long now = clock();
    advance(now);
    Transmissions out;
    if (in.isEmpty())
        return out;
    if (m_state == State::EscapePending) {
        // Data within the guard time: the "+++" was data after all, and no "OK" comes.
        withdraw(m_escapeTicket);
        m_state = State::Online;
        toMeter(QByteArray(kEscapeLength, kEscapeCharacter), out);
    }
    if (m_state == State::Online)
        onlineBytes(in, now, out);
    else
        commandBytes(in, now, out);
    m_lastInputAt = now;
    return out;
}

void HayesModem::commandBytes(const QByteArray& in, long long now, Transmissions& out) {
    QByteArray echo;
    auto sendEcho = [&] {
        if (!echo.isEmpty())
            out.push_back({echo, 0});
        echo.clear();
    };
    for (qsizetype i = 0; i < in.size(); ++i) {
        const char byte = in[i];
        if (m_state == State::Online) {
            // "ATO" came back on line: the rest is data.
            sendEcho();
            onlineBytes(in.mid(i), now, out);
            return;
        }
        if (m_state == State::Dialing) {
            const bool lineEnd = m_lineFeedEndsDial && byte == '\n';
            m_lineFeedEndsDial = false;
            if (lineEnd)
                continue;
            sendEcho();
            abortDial(out);
            continue; // the byte that aborted the dial is used up
        }
        if (m_echo)
            echo += byte;
        if (byte == '\r') {
            sendEcho();
            commandLine(m_line, now, out);
            m_line.clear();
        } else {
            commandByte(byte);
        }
    }
    sendEcho();
}

void HayesModem::commandByte(char byte) {
    if (byte == '\n')
        return;
    if (byte == kBackspace) {
        m_line.chop(1);
        return;
    }
    if (m_line.size() < kMaxCommandLine)
        m_line += byte;
}

void HayesModem::commandLine(const QByteArray& line, long long now, Transmissions& out) {
    const QByteArray text = line.trimmed().toUpper();
    const qsizetype at = text.indexOf("AT");
    if (at < 0)
        return;
    const QByteArray command = text.mid(at + 2).replace(' ', QByteArray());
    if (command.startsWith('D')) {
        dial(command.mid(1), now, out);
        return;
    }
    if (command.startsWith('H') || command.startsWith('Z')) {
        hangUp();
        if (command.startsWith('Z'))
            m_echo = true;
    } else if (command.startsWith('O')) {
        if (!m_callUp) {
            out.push_back({kModemNoCarrier, 0});
            return;
        }
        m_state = State::Online;
        out.push_back({kModemConnect, 0});
        return;
    } else if (command.startsWith("E0")) {
        m_echo = false;
    } else if (command.startsWith("E1")) {
        m_echo = true;
    }
    out.push_back({kModemOk, 0});
}

void HayesModem::dial(const QByteArray& dialString, long long now, Transmissions& out) {
    if (m_callUp) {
        out.push_back({kModemError, 0});
        return;
    }
    ++dials;
    lastNumber = dialDigits(dialString);
    const Callee callee = m_route ? m_route(lastNumber) : Callee{};
    m_meter = callee.meter;
    m_dialResult = callee.answer;
    if (m_dialResult == DialAnswer::Connect && !m_meter)
        m_dialResult = DialAnswer::NoCarrier;
    m_state = State::Dialing;
    m_lineFeedEndsDial = true;
    m_dialDoneAt = now + m_settings.connectMs;
    m_resultTicket = newTicket();
    out.push_back({dialResultText(m_dialResult), m_settings.connectMs, m_resultTicket});
    m_dropAt = -1;
    m_dropTicket = 0;
    if (m_dialResult == DialAnswer::Connect && m_settings.dropAfterMs > 0) {
        m_dropAt = m_dialDoneAt + m_settings.dropAfterMs;
        m_dropTicket = newTicket();
        out.push_back(
            {kModemNoCarrier, m_settings.connectMs + m_settings.dropAfterMs, m_dropTicket});
    }
}

void HayesModem::abortDial(Transmissions& out) {
    withdraw(m_resultTicket);
    withdraw(m_dropTicket);
    m_dropAt = -1;
    m_meter = nullptr;
    m_state = State::Command;
    ++aborts;
    out.push_back({kModemNoCarrier, 0});
}

void HayesModem::hangUp() {
    if (m_callUp) {
        ++hangUps;
        withdraw(m_dropTicket);
        m_dropAt = -1;
    }
    m_callUp = false;
    m_meter = nullptr;
}

void HayesModem::onlineBytes(const QByteArray& in, long long now, Transmissions& out) {
    QByteArray data;
    const bool quietBefore = m_lastInputAt < 0 || now - m_lastInputAt >= m_settings.guardMs;
    for (qsizetype i = 0; i < in.size(); ++i) {
        const char byte = in[i];
        // An escape begins only after a guard time of silence; its "+" are held back meanwhile.
        if (byte == kEscapeCharacter && m_plusCount < kEscapeLength &&
            (m_plusCount > 0 || (i == 0 && quietBefore))) {
            ++m_plusCount;
            continue;
        }
        data.append(m_plusCount, kEscapeCharacter);
        m_plusCount = 0;
        data += byte;
    }
    toMeter(data, out);
    if (m_plusCount == kEscapeLength) {
        // The guard after it decides; "OK" goes out when it has run out, unless data comes.
        m_plusCount = 0;
        m_state = State::EscapePending;
        m_escapeAt = now;
        ++escapes;
        m_escapeTicket = newTicket();
        out.push_back({kModemOk, m_settings.guardMs, m_escapeTicket});
    }
}

void HayesModem::toMeter(const QByteArray& data, Transmissions& out) {
    if (data.isEmpty() || !m_meter)
        return;
    for (Transmission& t : m_meter->feed(data))
        out.push_back(std::move(t));
}

} // namespace rt570::sim
