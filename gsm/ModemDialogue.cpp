#include "gsm/ModemDialogue.h"

#include "gsm/DialCommand.h"
#include "link/OperationError.h"
#include "link/SerialLine.h"

#include <QLoggingCategory>
#include <algorithm>
#include <array>
#include <chrono>
#include <climits>

namespace rt570 {

namespace {

// What is sent to the modem and heard from it; debug messages off by default.
Q_LOGGING_CATEGORY(lcModem, "rt570.modem", QtInfoMsg)

// Modem text with its line ends shown.
QString visible(const QByteArray& bytes) {
    QString text = QString::fromLatin1(bytes);
    text.replace(QLatin1Char('\r'), QLatin1String("\\r"));
    text.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    return text;
}

constexpr char kCarriageReturn = '\r';
constexpr char kLineFeed = '\n';
const QByteArray kAttention("AT\r");
// The escape to command mode, no CR.
const QByteArray kEscapeSequence("+++");
const QByteArray kHangUpCommand("ATH\r");
// Sent to a modem still dialling after the dial wait: any byte makes it give up.
const QByteArray kAbortDial("\r");
// Input that is thrown away is read in pieces of this size.
constexpr int kDiscardChunk = 64;
// A line longer than this is no result line; its further bytes are not kept.
constexpr int kLongestResultLine = 80;

const std::initializer_list<ModemResult> kDialResults = {
    ModemResult::Connected, ModemResult::Busy,       ModemResult::NoCarrier,
    ModemResult::NoAnswer,  ModemResult::NoDialtone, ModemResult::ModemError};

long long steadyMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

std::optional<ModemResult> resultOf(const QByteArray& line) {
    if (line == "OK")
        return ModemResult::Ok;
    if (line.startsWith("CONNECT"))
        return ModemResult::Connected;
    if (line == "BUSY")
        return ModemResult::Busy;
    if (line == "NO CARRIER")
        return ModemResult::NoCarrier;
    if (line == "NO ANSWER")
        return ModemResult::NoAnswer;
    if (line == "NO DIALTONE" || line == "NO DIAL TONE")
        return ModemResult::NoDialtone;
    if (line == "ERROR")
        return ModemResult::ModemError;
    return std::nullopt;
}

// The echo of a command as a line: its bytes without the CR.
QByteArray echoOf(const QByteArray& command) {
    return command.trimmed();
}

} // namespace

QString modemResultWord(ModemResult result) {
    switch (result) {
    case ModemResult::Ok:
        return QStringLiteral("ok");
    case ModemResult::Connected:
        return QStringLiteral("connected");
    case ModemResult::Busy:
        return QStringLiteral("busy");
    case ModemResult::NoCarrier:
        return QStringLiteral("no carrier");
    case ModemResult::NoAnswer:
        return QStringLiteral("no answer");
    case ModemResult::NoDialtone:
        return QStringLiteral("no dialtone");
    case ModemResult::ModemError:
        return QStringLiteral("modem error");
    case ModemResult::Interrupted:
        return QStringLiteral("interrupted");
    case ModemResult::ModemSilent:
        break;
    }
    return QStringLiteral("modem silent");
}

ModemDialogue::ModemDialogue(SerialLine& line, uint8_t port, const ModemTimings& timings,
                             Clock clock)
    : m_line(line), m_port(port), m_timings(timings),
      m_clock(clock ? std::move(clock) : Clock(steadyMs)) {}

void ModemDialogue::send(const QByteArray& bytes) {
    qCDebug(lcModem).noquote() << "sent" << visible(bytes);
    m_line.Send_Binary(m_port, reinterpret_cast<const uint8_t*>(bytes.constData()),
                       int(bytes.size()));
}

bool ModemDialogue::stopRequested(Stop stop) const {
    return stop == Stop::Heeded && m_stop && m_stop();
}

int ModemDialogue::readWithin(uint8_t* buf, long long leftMs, int count, Stop stop) {
    long long ms = std::min<long long>(leftMs, INT_MAX);
    if (stop == Stop::Heeded && m_stop)
        ms = std::min<long long>(ms, kModemStopSliceMs);
    return m_line.Receive_Binary(m_port, buf, int(ms), count);
}

void ModemDialogue::keepSilent(int ms, Stop stop) {
    std::array<uint8_t, kDiscardChunk> discarded{};
    const long long until = m_clock() + ms;
    for (;;) {
        const long long left = until - m_clock();
        if (left <= 0 || stopRequested(stop))
            return;
        const int got = readWithin(discarded.data(), left, kDiscardChunk, stop);
        if (got > 0)
            qCDebug(lcModem).noquote()
                << "discarded"
                << visible(QByteArray(reinterpret_cast<const char*>(discarded.data()), got));
        // Fewer bytes than asked from a whole-wait read: it waited out all that was left.
        if (got < kDiscardChunk && !(stop == Stop::Heeded && m_stop))
            return;
    }
}

void ModemDialogue::drain() {
    keepSilent(kModemDrainMs, Stop::Ignored);
}

std::optional<ModemResult> ModemDialogue::awaitResult(int waitMs, const QByteArray& echo,
                                                      std::initializer_list<ModemResult> wanted,
                                                      Stop stop) {
    const long long until = m_clock() + waitMs;
    QByteArray line;
    for (;;) {
        const long long left = until - m_clock();
        if (left <= 0 || stopRequested(stop))
            return std::nullopt;
        uint8_t byte = 0;
        if (readWithin(&byte, left, 1, stop) < 1) {
            if (stop == Stop::Heeded && m_stop)
                continue; // a slice ran out; the clock tells whether the wait has
            return std::nullopt;
        }
        if (byte != kCarriageReturn && byte != kLineFeed) {
            if (line.size() < kLongestResultLine)
                line += char(byte);
            continue;
        }
        const QByteArray text = line.trimmed();
        line.clear();
        if (!text.isEmpty())
            qCDebug(lcModem).noquote() << "heard" << visible(text);
        if (text.isEmpty() || text == echo)
            continue;
        const std::optional<ModemResult> result = resultOf(text);
        if (result && std::find(wanted.begin(), wanted.end(), *result) != wanted.end())
            return result;
    }
}

std::optional<ModemResult> ModemDialogue::askAt() {
    drain();
    send(kAttention);
    return awaitResult(m_timings.commandReplyMs, echoOf(kAttention),
                       {ModemResult::Ok, ModemResult::ModemError});
}

bool ModemDialogue::escape(int replyMs, Stop stop) {
    keepSilent(m_timings.guardMs, stop);
    if (stopRequested(stop))
        return false;
    send(kEscapeSequence);
    // Nothing is sent while the guard after it runs; the "OK" comes when it has run out.
    return awaitResult(m_timings.guardMs + replyMs, QByteArray(), {ModemResult::Ok}, stop)
        .has_value();
}

ModemResult ModemDialogue::checkCommandMode() {
    if (const std::optional<ModemResult> first = askAt())
        return *first;
    if (stopRequested(Stop::Heeded))
        return ModemResult::Interrupted;
    escape(m_timings.commandReplyMs, Stop::Heeded);
    if (const std::optional<ModemResult> second = askAt())
        return *second;
    return stopRequested(Stop::Heeded) ? ModemResult::Interrupted : ModemResult::ModemSilent;
}

ModemResult ModemDialogue::prepare() {
    const ModemResult mode = checkCommandMode();
    if (mode != ModemResult::Ok)
        return mode;
    drain();
    send(kHangUpCommand);
    if (const auto answer = awaitResult(m_timings.commandReplyMs, echoOf(kHangUpCommand),
                                        {ModemResult::Ok, ModemResult::ModemError}))
        return *answer;
    return stopRequested(Stop::Heeded) ? ModemResult::Interrupted : ModemResult::ModemSilent;
}

ModemResult ModemDialogue::dial(const QString& dialText) {
    const QByteArray command = dialCommandBytes(dialText);
    if (command.isEmpty())
        throw OperationError(QStringLiteral("Номер телефона не задан. Набор отменен."));
    const ModemResult first = dialOnce(command);
    if (first != ModemResult::ModemError)
        return first;
    // A modem whose last call was escaped from but never hung up refuses every dial.
    const ModemResult state = prepare();
    return state == ModemResult::Ok ? dialOnce(command) : state;
}

ModemResult ModemDialogue::dialOnce(const QByteArray& command) {
    drain();
    send(command);
    if (const auto result = awaitResult(m_timings.dialAnswerMs, echoOf(command), kDialResults))
        return *result;
    const bool stopped = stopRequested(Stop::Heeded);
    send(kAbortDial);
    // The abort and a "CONNECT" may cross on the line; such a call is not used but ended.
    const auto late =
        awaitResult(m_timings.commandReplyMs, QByteArray(), kDialResults, Stop::Ignored);
    if (late == ModemResult::Connected)
        hangUp();
    return stopped ? ModemResult::Interrupted : ModemResult::NoAnswer;
}

HangUpResult ModemDialogue::hangUp() {
    HangUpResult result;
    result.escapeOk = escape(m_timings.hangUpReplyMs, Stop::Ignored);
    send(kHangUpCommand);
    result.hangUpOk =
        awaitResult(m_timings.hangUpReplyMs, echoOf(kHangUpCommand),
                    {ModemResult::Ok, ModemResult::ModemError}, Stop::Ignored) == ModemResult::Ok;
    return result;
}

} // namespace rt570
