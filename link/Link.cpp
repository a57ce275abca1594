#include "link/Link.h"

#include "link/Host.h"
#include "link/SerialLine.h"

#include <algorithm>

namespace rt570 {

void Link::CheckReply() {
    ReplySum = frameChecksum(replyBuffer.data());
    ReplyBad = ReplySum != replyBuffer[kChecksumByte] ? 1 : 0;
}

void Link::ExchangeFrame(int flushTimeoutMs) {
    ReceiveResult = m_line.Receive_Binary(PortNumber, replyBuffer.data(), flushTimeoutMs,
                                          kFlushCount, &ReceiveAux);
    m_line.Send_Binary(PortNumber, requestBuffer.data(), kFrameLength);
    if (m_host.processMessages()) {
        m_stopped = true;
        return;
    }
    ReceiveResult = m_line.Receive_Binary(PortNumber, replyBuffer.data(), kReplyTimeoutMs,
                                          ExpectedReplyLength, &ReceiveAux);
    CheckReply();
}

void Link::prefillReply(int count) {
    std::fill_n(replyBuffer.begin(), std::min(count, kBufferSize), kPrefillByte);
}

bool Link::request(uint8_t command, uint8_t index, uint8_t extra, uint32_t data, int flushTimeoutMs,
                   int attempts) {
    prefillReply(kReplyPrefill);
    if (m_stopped)
        return false;
    const RequestFrame frame = makeRequest(DeviceAddress, command, index, extra, data);
    std::copy(frame.begin(), frame.end(), requestBuffer.begin());
    ++RequestCount;
    int failures = 0;
    for (;;) {
        ExchangeFrame(flushTimeoutMs);
        if (m_stopped)
            return false;
        if (ReplyBad == 0)
            return true;
        ++ErrorCount;
        ++RequestCount;
        ++failures;
        if (failures > attempts - 1) {
            ++TimeoutCount;
            LinkFailed = 1;
            return false;
        }
    }
}

uint32_t Link::replyData() const {
    return readLe32(&replyBuffer[kDataByte]);
}

float Link::replyFloat() const {
    return floatFromBits(replyData());
}

int32_t Link::replyInteger() const {
    return static_cast<int32_t>(replyData());
}

void Link::WriteClock() {
    request(kCmdWriteClock, ClockSeconds, 0, DateCode, kFlushTimeoutMs, kRequestAttempts);
}

bool Link::ReadCurrentFloat() {
    const bool answered =
        request(kCmdCurrentFloat, ValueIndex, 0, 0, kFlushTimeoutMs, kRequestAttempts);
    values[kFloatSection + ValueIndex] = static_cast<double>(replyFloat());
    return answered;
}

bool Link::ReadParameter() {
    const bool answered =
        request(kCmdParameter, ValueIndex, 0, 0, kParameterFlushTimeoutMs, kRequestAttempts);
    double v = static_cast<double>(replyFloat());
    if (v > kParameterLimit)
        v = 0;
    values[kParameterSection + ValueIndex] = v;
    return answered;
}

bool Link::ReadCurrentInteger() {
    const bool answered =
        request(kCmdCurrentInteger, ValueIndex, 0, 0, kFlushTimeoutMs, kRequestAttempts);
    values[kIntegerSection + ValueIndex] = static_cast<double>(replyInteger());
    return answered;
}

bool Link::requestClock() {
    const bool answered = request(kCmdReadClock, 0, 0, 0, kFlushTimeoutMs, kClockAttempts);
    DateCode = replyData();
    ClockSeconds = replyBuffer[kIndexByte];
    return answered;
}

} // namespace rt570
