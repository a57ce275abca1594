#pragma once

#include "sim/LineDevice.h"

#include <QByteArray>
#include <functional>
#include <set>

namespace rt570::sim {

// How the far end answers a dial.
enum class DialAnswer { Connect, Busy, NoCarrier, NoAnswer };

struct ModemSettings {
    int connectMs = 3000; // from the dial's CR to its answer
    int guardMs = 1000;   // silence before and after "+++"
    DialAnswer answer = DialAnswer::Connect;
    int dropAfterMs = 0; // the carrier is lost this long after the call came up; 0: never
};

// Where a dial leads: how the far end answers and, when it connects, the meter behind it.
struct Callee {
    DialAnswer answer = DialAnswer::NoCarrier;
    LineDevice* meter = nullptr; // a Connect without a meter answers NO CARRIER
};
// Finds the far end of a dialled number (its digits and "+", see dialDigits).
using DialRoute = std::function<Callee(const QByteArray& number)>;

// The number in a dial string: its digits and "+", in order. Blanks, "-", "," (pause), "W"
// (wait for the tone), the "T"/"P" of "ATDT"/"ATDP" and anything else are left out.
QByteArray dialDigits(const QByteArray& dialString);

// Result codes, verbose form.
extern const QByteArray kModemOk;        // CR LF "OK" CR LF
extern const QByteArray kModemConnect;   // CR LF "CONNECT 9600" CR LF
extern const QByteArray kModemNoCarrier; // CR LF "NO CARRIER" CR LF
extern const QByteArray kModemBusy;      // CR LF "BUSY" CR LF
extern const QByteArray kModemNoAnswer;  // CR LF "NO ANSWER" CR LF
extern const QByteArray kModemError;     // CR LF "ERROR" CR LF

// A Hayes-style GSM modem in front of the meter. In command mode it echoes what it gets and
// answers CR-terminated lines that hold "AT" (what comes before the "AT" is dropped): "ATD..."
// dials and, after the connect delay, answers "CONNECT 9600" (or "BUSY" / "NO CARRIER" /
// "NO ANSWER", as the route says) and goes on line; "ATH" hangs up; "ATO" returns on line while
// the call stands; "ATE0"/"ATE1" switch the echo; any other AT line gets "OK". Lines without
// "AT" are dropped. Any byte that arrives while a dial is under way aborts it: "NO CARRIER" at
// once, back to command mode (a LF right behind the dial's CR is taken as its line end). On
// line, bytes pass to the meter and its replies come back, except "+++" with a guard time of
// silence before it and after it, which returns to command mode with the call still up ("OK"
// after the guard time); data within the guard after it cancels the escape: no "OK", the "+++"
// and the data go on to the meter. With a drop time set, the carrier is lost that long after
// the call came up: "NO CARRIER", back to command mode.
//
// Time is read from the clock when bytes arrive; a change that is due (the call coming up, the
// guard after "+++" running out, the carrier dropping) takes effect when the next bytes arrive.
// The answers that such a change sends are scheduled in advance with a ticket, and withdrawn
// when what they announce does not happen.
class HayesModem : public LineDevice {
public:
    enum class State { Command, Dialing, Online, EscapePending };

    // Every dial reaches `meter` and is answered as the settings say.
    HayesModem(LineDevice& meter, const ModemSettings& settings);
    // Each dial goes where `route` says; the settings' answer is not used.
    HayesModem(DialRoute route, const ModemSettings& settings);

    Transmissions feed(const QByteArray& in) override;
    bool withdrawn(int ticket) const override;

    State state() const { return m_state; }
    bool callUp() const { return m_callUp; }
    // Milliseconds of a steady clock; tests put a virtual one here.
    std::function<long long()> clock;

    int dials = 0;
    int hangUps = 0;
    int escapes = 0;
    int aborts = 0;        // dials cut short by a byte
    int drops = 0;         // calls whose carrier was lost
    QByteArray lastNumber; // the digits of the last dial

private:
    void advance(long long now);
    void commandBytes(const QByteArray& in, long long now, Transmissions& out);
    void commandByte(char byte);
    void commandLine(const QByteArray& line, long long now, Transmissions& out);
    void dial(const QByteArray& dialString, long long now, Transmissions& out);
    void abortDial(Transmissions& out);
    void hangUp();
    void onlineBytes(const QByteArray& in, long long now, Transmissions& out);
    void toMeter(const QByteArray& data, Transmissions& out);
    void withdraw(int& ticket);
    int newTicket() { return ++m_lastTicket; }

    DialRoute m_route;
    ModemSettings m_settings;
    LineDevice* m_meter = nullptr; // the far end of the call that is up or being set up
    State m_state = State::Command;
    bool m_callUp = false;
    bool m_echo = true;
    bool m_lineFeedEndsDial = false; // the dial's CR came last: a LF now is its line end
    QByteArray m_line;
    long long m_dialDoneAt = 0;
    DialAnswer m_dialResult = DialAnswer::Connect;
    long long m_dropAt = -1; // -1: the carrier stays
    long long m_escapeAt = 0;
    int m_plusCount = 0;          // "+" held back as a possible escape
    long long m_lastInputAt = -1; // -1: nothing received yet
    // Tickets of the answers still to come; 0: none.
    int m_resultTicket = 0;
    int m_dropTicket = 0;
    int m_escapeTicket = 0;
    int m_lastTicket = 0;
    std::set<int> m_withdrawn;
};

} // namespace rt570::sim
