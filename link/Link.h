#pragma once

#include "link/ClockReply.h"
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

// The link to the meter: the state every request shares and the request routines, each given
// its inputs.
class Link {
public:
    using Buffer = std::array<uint8_t, kBufferSize>;

    Link(SerialLine& line, Host& host) : m_line(line), m_host(host) {}

    SerialLine& line() { return m_line; }
    Host& host() { return m_host; }

    // Fixed by Start.
    uint8_t DeviceAddress() const { return m_deviceAddress; }
    uint8_t PortNumber() const { return m_portNumber; }
    void setDeviceAddress(uint8_t address) { m_deviceAddress = address; }
    void setPortNumber(uint8_t port) { m_portNumber = port; }

    // What the last read returned, the last reply's sum and whether it failed the check.
    int32_t ReceiveResult() const { return m_receiveResult; }
    uint8_t ReplySum() const { return m_replySum; }
    bool ReplyBad() const { return m_replyBad; }

    // Counters shown by the exchange monitor.
    int32_t RequestCount() const { return m_requestCount; }
    int32_t ErrorCount() const { return m_errorCount; }
    int32_t TimeoutCount() const { return m_timeoutCount; }
    void resetCounters();
    // Set when a request runs out of attempts; only clearLinkFailed takes it back.
    bool LinkFailed() const { return m_linkFailed; }
    void clearLinkFailed() { m_linkFailed = false; }

    const RequestFrame& requestFrame() const { return m_request; }
    const Buffer& replyBuffer() const { return m_reply; }
    const ValueTable& values() const { return m_values; }
    // Puts a value into the table as a read would store it. The tool's reads are its only
    // writers; tests seed the table with it.
    void setValue(int slot, double value) { m_values[size_t(slot)] = value; }
    // True once the host asked to stop during a request: every request from then on ends at
    // once, unanswered and unsent, until resume() (the start of the next operation).
    bool stopped() const { return m_stopped; }
    void resume() { m_stopped = false; }

    // A whole request: pre-fill, frame, attempts and counters. True when a reply was accepted;
    // either way the reply buffer holds what the last attempt left there.
    bool request(uint8_t command, uint8_t index, uint8_t extra, uint32_t data, int flushTimeoutMs,
                 int attempts);

    // Command 0: the seconds and the date code to the meter.
    void WriteClock(uint8_t seconds, uint32_t dateCode);
    // The reads below store what the reply buffer holds whether or not the request was
    // answered, and return request()'s result.
    // Command 4: float to values[256 + index].
    bool ReadCurrentFloat(uint8_t index);
    // Command 5: float to values[index], above 1000000 stored as 0.
    bool ReadParameter(uint8_t index);
    // Command 8: signed integer to values[512 + index].
    bool ReadCurrentInteger(uint8_t index);
    // Command 1 with its 16 attempts.
    ClockReply requestClock();

    // The reply's data field, bytes 5..8.
    uint32_t replyData() const;
    float replyFloat() const;
    int32_t replyInteger() const;

    // Fill the first `count` bytes of the reply buffer with 1.
    void prefillReply(int count);

private:
    // Reply check: the sum of bytes 0..8 and byte 10 against byte 9.
    void CheckReply();
    // One attempt with the request already in the request frame. When the host asks to stop
    // in its message pass, no reply is read and the link is stopped.
    void ExchangeFrame(int flushTimeoutMs);

    SerialLine& m_line;
    Host& m_host;

    uint8_t m_deviceAddress = 0;
    uint8_t m_portNumber = 0;

    int32_t m_receiveResult = 0;
    bool m_replyBad = false;
    uint8_t m_replySum = 0;

    int32_t m_requestCount = 0;
    int32_t m_errorCount = 0;
    int32_t m_timeoutCount = 0;
    bool m_linkFailed = false;

    RequestFrame m_request{};
    Buffer m_reply{};
    ValueTable m_values{};
    bool m_stopped = false;
};

} // namespace rt570
