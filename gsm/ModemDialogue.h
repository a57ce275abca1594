#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>

namespace rt570 {

class SerialLine;

// The waits of the modem dialogue, in milliseconds.
constexpr int kModemGuardMs = 1000;        // silence on the line before and after "+++"
constexpr int kModemCommandReplyMs = 2000; // "AT" CR (or "+++" after its guard) to its "OK"
constexpr int kModemDialAnswerMs = 60000;  // the dial's CR to its result
constexpr int kModemHangUpReplyMs = 5000;  // "+++" (after its guard) and "ATH" CR to their "OK"
// Before a command, input still pending is read off for this long, so that an old result line
// is not taken for the command's answer.
constexpr int kModemDrainMs = 30;
// With a stop check set, waits read in pieces of this length, so that a stop is seen promptly.
constexpr int kModemStopSliceMs = 200;

// The guard time and the overall waits; tests shorten them.
struct ModemTimings {
    int guardMs = kModemGuardMs;
    int commandReplyMs = kModemCommandReplyMs;
    int dialAnswerMs = kModemDialAnswerMs;
    int hangUpReplyMs = kModemHangUpReplyMs;
};

// What the modem answered.
enum class ModemResult {
    Ok,          // "OK": the modem takes commands
    Connected,   // "CONNECT", with any suffix ("CONNECT 9600"): the call stands
    Busy,        // "BUSY"
    NoCarrier,   // "NO CARRIER"
    NoAnswer,    // "NO ANSWER", or no result at all within the dial wait
    NoDialtone,  // "NO DIALTONE" or "NO DIAL TONE"
    ModemError,  // "ERROR"
    ModemSilent, // no "OK" to "AT", not even after an escape
    Interrupted, // the stop check asked to stop before an answer came
};

// The result's word for messages: "ok", "connected", "busy", "no carrier", "no answer",
// "no dialtone", "modem error", "modem silent", "interrupted".
QString modemResultWord(ModemResult result);

// Which of the two answers of a hang-up came.
struct HangUpResult {
    bool escapeOk = false; // "OK" to "+++"
    bool hangUpOk = false; // "OK" to "ATH"
};

// The tool's side of the command dialogue with a Hayes modem on one port of a serial line, for
// the command line (the window dials blind and does not use it). The port is opened and closed
// by the caller. Result lines are framed by CR and LF; blank lines, the echo of the command and
// lines of any other kind are skipped. Every wait is a read with the line's own time-out; the
// clock only tells how much of a wait is left when bytes keep coming. A read stops at the CR
// that ends the result it waits for: after "CONNECT" what follows on the line (the LF of the
// result, then data) is left to the data connection, whose exchanges flush it.
class ModemDialogue {
public:
    // Milliseconds of a steady clock; the default reads the system's.
    using Clock = std::function<long long()>;

    ModemDialogue(SerialLine& line, uint8_t port, const ModemTimings& timings = {},
                  Clock clock = {});

    // Asked during every wait except those of a hang-up (and of the answer to an aborted
    // dial); true ends the wait at once, and the step waiting gives Interrupted. Waits then
    // read in pieces of kModemStopSliceMs. Empty: waits run to their end.
    void setStopCheck(std::function<bool()> stop) { m_stop = std::move(stop); }

    // Makes sure the modem takes commands: "AT" CR must get "OK" within the command wait. If it
    // does not, one escape ("+++" between guard times of silence, then its "OK") and "AT" CR
    // again. Ok; ModemError when "AT" gets "ERROR" (the modem is in command mode but refuses);
    // ModemSilent when neither "AT" got "OK". An escape leaves a call that stands up.
    ModemResult checkCommandMode();

    // Brings the modem to a known state before a dial: checkCommandMode, then "ATH" CR and its
    // "OK" within the command wait, so that a call left standing (a run killed mid-call, then
    // escaped) is ended; while it stands, the modem answers every dial with "ERROR". Ok;
    // ModemError when "AT" or "ATH" gets "ERROR"; ModemSilent when either gets no answer.
    ModemResult prepare();

    // Sends the dial command as the window does (dialCommandBytes: the text's first 15
    // characters and CR, sent as they stand, so the text carries its own "ATD") and waits up to
    // the dial wait for its result: Connected, Busy, NoCarrier, NoAnswer, NoDialtone or
    // ModemError. "ERROR" brings the modem to a known state (prepare) and the dial is sent
    // once more; its answer is the result (or prepare's, when that is not Ok). A modem that
    // says nothing within the dial wait counts as NoAnswer (Interrupted when the stop check cut
    // the wait short): the far end was not reached in the time the tool gives it; a CR is then
    // sent, which makes a modem still dialling give up, and a "CONNECT" that crossed it within
    // the command wait is hung up at once, so that no call is left standing. An empty text or
    // one the code page cannot carry throws OperationError before anything is sent.
    ModemResult dial(const QString& dialText);

    // Ends the call: a guard time of silence, "+++", the guard time, up to the hang-up wait for
    // "OK"; then "ATH" CR and up to the hang-up wait for "OK". "ATH" goes out whether or not the
    // escape was answered.
    HangUpResult hangUp();

private:
    void send(const QByteArray& bytes);
    void drain();
    // Whether a wait heeds the stop check.
    enum class Stop { Heeded, Ignored };
    bool stopRequested(Stop stop) const;
    // One read of up to `count` bytes within what is left of a wait: the whole rest, or a
    // slice of it when the stop check is heeded.
    int readWithin(uint8_t* buf, long long leftMs, int count, Stop stop);
    void keepSilent(int ms, Stop stop);
    // "AT" CR and its answer: Ok, ModemError, or nothing.
    std::optional<ModemResult> askAt();
    // "+++" between guard times; true when its "OK" came within `replyMs` after the guard.
    bool escape(int replyMs, Stop stop);
    // The dial command sent once and its result.
    ModemResult dialOnce(const QByteArray& command);
    // Reads result lines until one of `wanted` has come, `waitMs` has passed or (when heeded)
    // the stop check asks to stop.
    std::optional<ModemResult> awaitResult(int waitMs, const QByteArray& echo,
                                           std::initializer_list<ModemResult> wanted,
                                           Stop stop = Stop::Heeded);

    SerialLine& m_line;
    uint8_t m_port = 0;
    ModemTimings m_timings;
    Clock m_clock;
    std::function<bool()> m_stop;
};

} // namespace rt570
