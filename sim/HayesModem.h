#pragma once

#include "sim/LineDevice.h"

#include <QByteArray>
#include <functional>

namespace rt570::sim {

// How the far end answers a dial.
enum class DialAnswer { Connect, Busy, NoCarrier };

struct ModemSettings {
    int connectMs = 3000; // from the dial's CR to its answer
    int guardMs = 1000;   // silence before and after "+++"
    DialAnswer answer = DialAnswer::Connect;
};

// Result codes, verbose form.
extern const QByteArray kModemOk;        // CR LF "OK" CR LF
extern const QByteArray kModemConnect;   // CR LF "CONNECT 9600" CR LF
extern const QByteArray kModemNoCarrier; // CR LF "NO CARRIER" CR LF
extern const QByteArray kModemBusy;      // CR LF "BUSY" CR LF
extern const QByteArray kModemError;     // CR LF "ERROR" CR LF

// A Hayes-style GSM modem in front of the meter. In command mode it echoes what it gets and
// answers CR-terminated lines that begin with "AT": "ATD..." dials and, after the connect delay,
// answers "CONNECT 9600" (or "BUSY" / "NO CARRIER" as set) and goes on line; "ATH" hangs up;
// "ATO" returns on line while the call stands; "ATE0"/"ATE1" switch the echo; any other AT line
// gets "OK". Lines that do not begin with "AT" are dropped. On line, bytes pass to the meter and
// its replies come back, except "+++" with a guard time of silence before it and after it, which
// returns to command mode with the call still up ("OK" after the guard time).
//
// Time is read from the clock when bytes arrive; a change that is due (the call coming up, the
// guard after "+++" running out) takes effect when the next bytes arrive. Bytes sent while the
// call is being set up are ignored.
class HayesModem : public LineDevice {
public:
    enum class State { Command, Dialing, Online, EscapePending };

    HayesModem(LineDevice& meter, const ModemSettings& settings);

    Transmissions feed(const QByteArray& in) override;

    State state() const { return m_state; }
    bool callUp() const { return m_callUp; }
    // Milliseconds of a steady clock; tests put a virtual one here.
    std::function<long long()> clock;

    int dials = 0;
    int hangUps = 0;
    int escapes = 0;

private:
    void advance(long long now);
    void commandByte(char byte);
    void commandLine(const QByteArray& line, long long now, Transmissions& out);
    void onlineBytes(const QByteArray& in, long long now, Transmissions& out);
    void toMeter(const QByteArray& data, Transmissions& out);

    LineDevice& m_meter;
    ModemSettings m_settings;
    State m_state = State::Command;
    bool m_callUp = false;
    bool m_echo = true;
    QByteArray m_line;
    long long m_dialDoneAt = 0;
    DialAnswer m_dialResult = DialAnswer::Connect;
    long long m_escapeAt = 0;
    int m_plusCount = 0;          // "+" held back as a possible escape
    long long m_lastInputAt = -1; // -1: nothing received yet
};

} // namespace rt570::sim
