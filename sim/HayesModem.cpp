#include "sim/HayesModem.h"

#include <chrono>

namespace rt570::sim {

const QByteArray kModemOk("\r\nOK\r\n");
const QByteArray kModemConnect("\r\nCONNECT 9600\r\n");
const QByteArray kModemNoCarrier("\r\nNO CARRIER\r\n");
const QByteArray kModemBusy("\r\nBUSY\r\n");
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
    case DialAnswer::Connect:
        break;
    }
    return kModemConnect;
}

} // namespace

HayesModem::HayesModem(LineDevice& meter, const ModemSettings& settings)
    : clock(steadyMs), m_meter(meter), m_settings(settings) {}

void HayesModem::advance(long long now) {
    if (m_state == State::Dialing && now >= m_dialDoneAt) {
        m_callUp = m_dialResult == DialAnswer::Connect;
        m_state = m_callUp ? State::Online : State::Command;
    }
    if (m_state == State::EscapePending && now - m_escapeAt >= m_settings.guardMs)
        m_state = State::Command;
}

Transmissions HayesModem::feed(const QByteArray& in) {
    const long long now = clock();
    advance(now);
    Transmissions out;
    if (m_state == State::EscapePending) {
        // Data within the guard time: the "+++" was data after all.
        m_state = State::Online;
        toMeter(QByteArray(kEscapeLength, kEscapeCharacter), out);
    }
    if (m_state == State::Online) {
        onlineBytes(in, now, out);
    } else if (m_state == State::Command) {
        QByteArray echo;
        for (const char byte : in) {
            if (m_state != State::Command)
                break; // the rest arrives while the call is set up
            if (m_echo)
                echo += byte;
            if (byte == '\r') {
                out.push_back({echo, 0});
                echo.clear();
                commandLine(m_line, now, out);
                m_line.clear();
            } else {
                commandByte(byte);
            }
        }
        if (!echo.isEmpty())
            out.push_back({echo, 0});
    }
    m_lastInputAt = now;
    return out;
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
    if (!text.startsWith("AT"))
        return;
    const QByteArray command = text.mid(2).replace(' ', QByteArray());
    if (command.startsWith('D')) {
        if (m_callUp) {
            out.push_back({kModemError, 0});
            return;
        }
        ++dials;
        m_state = State::Dialing;
        m_dialDoneAt = now + m_settings.connectMs;
        m_dialResult = m_settings.answer;
        out.push_back({dialResultText(m_dialResult), m_settings.connectMs});
        return;
    }
    if (command.startsWith('H') || command.startsWith('Z')) {
        if (m_callUp)
            ++hangUps;
        m_callUp = false;
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
        // The guard after it decides; "OK" goes out when it has run out.
        m_plusCount = 0;
        m_state = State::EscapePending;
        m_escapeAt = now;
        ++escapes;
        out.push_back({kModemOk, m_settings.guardMs});
    }
}

void HayesModem::toMeter(const QByteArray& data, Transmissions& out) {
    if (data.isEmpty())
        return;
    for (Transmission& t : m_meter.feed(data))
        out.push_back(std::move(t));
}

} // namespace rt570::sim
