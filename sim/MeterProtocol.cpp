#include "sim/MeterProtocol.h"

#include "sim/MeterModel.h"

#include <algorithm>

namespace rt570::sim {

std::optional<ReplyFrame> MeterProtocol::answer(const RequestFrame& request) {
    const uint8_t command = request[2];
    const uint8_t index = request[kIndexByte];
    const uint8_t extra = request[4];
    const uint32_t data = frameData(request);
    auto reply = [&](uint8_t byte3, uint32_t value) {
        return makeReply(m_address, command, byte3, extra, value);
    };
    switch (command) {
    case kCmdWriteClock: {
        m_model.setClock(data, index);
        const ClockReading now = m_model.readClock();
        return reply(now.seconds, now.dateCode);
    }
    case kCmdReadClock: {
        const ClockReading now = m_model.readClock();
        return reply(now.seconds, now.dateCode);
    }
    case kCmdCurrentFloat:
        return reply(index, bitsFromFloat(m_model.currentFloat(index)));
    case kCmdParameter:
        return reply(index, bitsFromFloat(m_model.parameter(index)));
    case kCmdCurrentInteger:
        return reply(index, uint32_t(m_model.currentInteger(index)));
    case kCmdArchiveFloat:
        return reply(index, bitsFromFloat(m_model.archiveFloat(extra, index, data)));
    case kCmdArchiveInteger:
        return reply(index, uint32_t(m_model.archiveInteger(extra, index, data)));
    default:
        return std::nullopt;
    }
}

QByteArray MeterProtocol::feed(const QByteArray& in) {
    m_pending += in;
    QByteArray out;
    for (;;) {
        // Skip to the next frame start.
        const int start = m_pending.indexOf(char(kFrameStart));
        if (start < 0) {
            m_skipped += int(m_pending.size());
            m_pending.clear();
            break;
        }
        if (start > 0) {
            m_skipped += start;
            m_pending.remove(0, start);
        }
        if (m_pending.size() < kFrameLength)
            break;
        RequestFrame frame{};
        std::copy_n(reinterpret_cast<const uint8_t*>(m_pending.constData()), kFrameLength,
                    frame.begin());
        if (frame[kFrameLength - 1] != kFrameEnd || !replyChecksumOk(frame)) {
            // Not a frame after all: this "#" was noise. Look again from the next byte.
            ++m_ignored;
            ++m_skipped;
            m_pending.remove(0, 1);
            continue;
        }
        m_pending.remove(0, kFrameLength);
        if (frame[1] != m_address) {
            ++m_ignored;
            continue;
        }
        const std::optional<ReplyFrame> reply = answer(frame);
        if (!reply) {
            ++m_ignored;
            continue;
        }
        ++m_answered;
        out.append(reinterpret_cast<const char*>(reply->data()), kFrameLength);
    }
    return out;
}

} // namespace rt570::sim
