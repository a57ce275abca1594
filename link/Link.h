#pragma once

#include "link/Frame.h"
#include "link/ValueTable.h"

#include <array>
#include <cstdint>

namespace rt570 {

class Host;
class SerialLine;

// Buffers: one request and one reply buffer for the whole run.
constexpr int kBufferSize = 1000;
// Every request fills the first 12 bytes of the reply buffer with 1 before its first attempt,
// so that an empty reply fails the checksum.
constexpr int kReplyPrefill = 12;
constexpr uint8_t kPrefillByte = 1;

// One attempt: a flush read that takes pending input off the line, the send, one pass over the
// window's events, the reply read.
constexpr int kFlushCount = 40;
constexpr int kFlushTimeoutMs = 30;
constexpr int kParameterFlushTimeoutMs = 70;
constexpr int kReplyTimeoutMs = 3000;

// Frames sent in all before a request gives up.
constexpr int kRequestAttempts = 11;
constexpr int kClockAttempts = 16;
constexpr int kIntegratorAttempts = 13;

// A parameter above this is stored as 0.
constexpr double kParameterLimit = 1000000.0;

// Port settings passed to Open_Com: 8 data bits, no parity, one stop bit.
constexpr int kDataBits = 8;
constexpr int kParityNone = 0;
constexpr int kOneStopBit = 0;

// The link to the meter: the state every request shares and the request routines. Routines
// take no arguments; callers set ValueIndex, DateCode and ClockSeconds first.
class Link {
public:
    Link(SerialLine& line, Host& host) : m_line(line), m_host(host) {}

    SerialLine& line() { return m_line; }
    Host& host() { return m_host; }

    // Fixed by Start.
    uint8_t DeviceAddress = 0;
    uint8_t PortNumber = 0;

    // Request inputs.
    uint8_t ValueIndex = 0;
    uint32_t DateCode = 0;
    uint8_t ClockSeconds = 0;

    uint16_t ExpectedReplyLength = 11;
    uint16_t ReceiveAux = 200;
    int32_t ReceiveResult = 0;
    int32_t ReplyBad = 0;
    uint8_t ReplySum = 0;

    // Counters shown by the exchange monitor.
    int32_t RequestCount = 0;
    int32_t ErrorCount = 0;
    int32_t TimeoutCount = 0;
    int32_t LinkFailed = 0;

    std::array<uint8_t, kBufferSize> requestBuffer{};
    std::array<uint8_t, kBufferSize> replyBuffer{};
    ValueTable values{};

    // Reply check: ReplySum := bytes 0..8 + byte 10, ReplyBad := ReplySum != byte 9.
    void CheckReply();
    // One attempt with the request already in the request buffer. When the host asks to stop
    // in its message pass, no reply is read and the link is stopped.
    void ExchangeFrame(int flushTimeoutMs);
    // True once the host asked to stop during a request: every request from then on ends at
    // once, unanswered and unsent, until resume() (the start of the next operation).
    bool stopped() const { return m_stopped; }
    void resume() { m_stopped = false; }

    // A whole request: pre-fill, frame, attempts and counters. True when a reply was accepted;
    // either way the reply buffer holds what the last attempt left there.
    bool request(uint8_t command, uint8_t index, uint8_t extra, uint32_t data, int flushTimeoutMs,
                 int attempts);

    // Command 0: ClockSeconds and DateCode to the meter.
    void WriteClock();
    // The reads below store what the reply buffer holds whether or not the request was
    // answered, and return request()'s result.
    // Command 4: float to values[256 + ValueIndex].
    bool ReadCurrentFloat();
    // Command 5: float to values[ValueIndex], above 1000000 stored as 0.
    bool ReadParameter();
    // Command 8: signed integer to values[512 + ValueIndex].
    bool ReadCurrentInteger();
    // Command 1 with its 16 attempts: DateCode and ClockSeconds from the reply.
    bool requestClock();

    // The reply's data field, bytes 5..8.
    uint32_t replyData() const;
    float replyFloat() const;
    int32_t replyInteger() const;

    // Fill the first `count` bytes of the reply buffer with 1.
    void prefillReply(int count);

private:
    SerialLine& m_line;
    Host& m_host;
    bool m_stopped = false;
};

} // namespace rt570
