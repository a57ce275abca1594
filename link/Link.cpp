#include "link/Link.h"

#include "link/Host.h"
#include "link/SerialLine.h"

#include <algorithm>

namespace rt570 {

void Link::CheckReply() {
    m_replySum = frameChecksum(frameAt(m_reply));
    m_replyBad = m_replySum != m_reply[kChecksumByte];
}

void Link::ExchangeFrame(int flushTimeoutMs) {
    m_receiveResult =
        m_line.Receive_Binary(m_portNumber, m_reply.data(), flushTimeoutMs, kFlushCount);
    m_line.Send_Binary(m_portNumber, m_request.data(), kFrameLength);
    if (m_host.processMessages()) {
        m_stopped = true;
        return;
    }
    // Every reply is one frame long.
    m_receiveResult =
        m_line.Receive_Binary(m_portNumber, m_reply.data(), kReplyTimeoutMs, kFrameLength);
    CheckReply();
}

void Link::prefillReply(int count) {
    std::fill_n(m_reply.begin(), std::min(count, kBufferSize), kPrefillByte);
}

void Link::resetCounters() {
    m_requestCount = 0;
    m_timeoutCount = 0;
    m_errorCount = 0;
}

bool Link::request(uint8_t command, uint8_t index, uint8_t extra, uint32_t data, int flushTimeoutMs,
                   int attempts) {
    prefillReply(kReplyPrefill);
    if (m_stopped)
        return false;
    m_request = makeRequest(m_deviceAddress, command, index, extra, data);
    ++m_requestCount;
    int failures = 0;
    for (;;) {
        ExchangeFrame(flushTimeoutMs);
        if (m_stopped)
            return false;
        if (!m_replyBad)
            return true;
        ++m_errorCount;
        ++m_requestCount;
        ++failures;
        if (failures > attempts - 1) {
            ++m_timeoutCount;
            m_linkFailed = true;
            return false;
        }
    }
}

uint32_t Link::replyData() const {
    return frameData(frameAt(m_reply));
}

float Link::replyFloat() const {
    return floatFromBits(replyData());
}

int32_t Link::replyInteger() const {
    return static_cast<int32_t>(replyData());
}

void Link::WriteClock(uint8_t seconds, uint32_t dateCode) {
    request(kCmdWriteClock, seconds, 0, dateCode, kFlushTimeoutMs, kRequestAttempts);
}

bool Link::ReadCurrentFloat(uint8_t index) {
    const bool answered = request(kCmdCurrentFloat, index, 0, 0, kFlushTimeoutMs, kRequestAttempts);
    m_values[size_t(kFloatSection + index)] = static_cast<double>(replyFloat());
    return answered;
}

bool Link::ReadParameter(uint8_t index) {
    const bool answered =
        request(kCmdParameter, index, 0, 0, kParameterFlushTimeoutMs, kRequestAttempts);
    double v = static_cast<double>(replyFloat());
    if (v > kParameterLimit)
        v = 0;
    m_values[size_t(kParameterSection + index)] = v;
    return answered;
}

bool Link::ReadCurrentInteger(uint8_t index) {
    const bool answered =
        request(kCmdCurrentInteger, index, 0, 0, kFlushTimeoutMs, kRequestAttempts);
    m_values[size_t(kIntegerSection + index)] = static_cast<double>(replyInteger());
    return answered;
}

ClockReply Link::requestClock() {
    ClockReply reply;
    reply.answered = request(kCmdReadClock, 0, 0, 0, kFlushTimeoutMs, kClockAttempts);
    reply.dateCode = replyData();
    reply.seconds = m_reply[kIndexByte];
    return reply;
}

} // namespace rt570
