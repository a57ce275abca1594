#include "gsm/ModemDialogue.h"

#include "gsm/DialCommand.h"
#include "link/OperationError.h"
#include "link/SerialLine.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <climits>

namespace rt570 {

namespace {

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
    m_line.Send_Binary(m_port, reinterpret_cast<const uint8_t*>(bytes.constData()),
                       int(bytes.size()));
}

void ModemDialogue::keepSilent(int ms) {
    std::array<uint8_t, kDiscardChunk> discarded{};
    const long long until = m_clock() + ms;
    for (;;) {
        const long long left = until - m_clock();
        if (left <= 0)
            return;
        const int got =
            m_line.Receive_Binary(m_port, discarded.data(), int(left), kDiscardChunk, &m_aux);
        if (got < kDiscardChunk)
            return; // fewer bytes than asked: the read waited out all that was left
    }
}

void ModemDialogue::drain() {
    keepSilent(kModemDrainMs);
}

std::optional<ModemResult> ModemDialogue::awaitResult(int waitMs, const QByteArray& echo,
                                                      std::initializer_list<ModemResult> wanted) {
    const long long until = m_clock() + waitMs;
    QByteArray line;
    for (;;) {
        const long long left = until - m_clock();
        if (left <= 0)
            return std::nullopt;
        uint8_t byte = 0;
        if (m_line.Receive_Binary(m_port, &byte, int(std::min<long long>(left, INT_MAX)), 1,
                                  &m_aux) < 1)
            return std::nullopt;
        if (byte != kCarriageReturn && byte != kLineFeed) {
            if (line.size() < kLongestResultLine)
                line += char(byte);
            continue;
        }
        const QByteArray text = line.trimmed();
        line.clear();
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

bool ModemDialogue::escape(int replyMs) {
    keepSilent(m_timings.guardMs);
    send(kEscapeSequence);
    // Nothing is sent while the guard after it runs; the "OK" comes when it has run out.
    return awaitResult(m_timings.guardMs + replyMs, QByteArray(), {ModemResult::Ok}).has_value();
}

ModemResult ModemDialogue::checkCommandMode() {
    if (const std::optional<ModemResult> first = askAt())
        return *first;
    escape(m_timings.commandReplyMs);
    return askAt().value_or(ModemResult::ModemSilent);
}

ModemResult ModemDialogue::dial(const QString& dialText) {
    const QByteArray command = dialCommandBytes(dialText);
    if (command.isEmpty())
        throw OperationError(QStringLiteral("Номер телефона не задан. Набор отменен."));
    drain();
    send(command);
    if (const auto result = awaitResult(m_timings.dialAnswerMs, echoOf(command), kDialResults))
        return *result;
    send(kAbortDial);
    const auto late = awaitResult(m_timings.commandReplyMs, QByteArray(), kDialResults);
    return late == ModemResult::Connected ? ModemResult::Connected : ModemResult::NoAnswer;
}

HangUpResult ModemDialogue::hangUp() {
    HangUpResult result;
    result.escapeOk = escape(m_timings.hangUpReplyMs);
    send(kHangUpCommand);
    result.hangUpOk = awaitResult(m_timings.hangUpReplyMs, echoOf(kHangUpCommand),
                                  {ModemResult::Ok, ModemResult::ModemError}) == ModemResult::Ok;
    return result;
}

} // namespace rt570
