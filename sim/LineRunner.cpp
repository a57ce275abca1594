#include "sim/LineRunner.h"

#include "link/TracingSerialLine.h"

#include <QLoggingCategory>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <poll.h>
#include <unistd.h>

namespace rt570::sim {
namespace {

constexpr int kReadChunk = 4096;

// The simulator's side of the line, under the same category as the tool's frames; debug
// messages off by default.
Q_LOGGING_CATEGORY(lcLine, "rt570.link", QtInfoMsg)

QString hexOf(const QByteArray& bytes) {
    return traceHex(reinterpret_cast<const uint8_t*>(bytes.constData()), int(bytes.size()));
}

} // namespace

long long LineRunner::nowUs() {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

void LineRunner::schedule(const Transmissions& out, long long arrivedUs) {
    for (const Transmission& t : out) {
        if (t.bytes.isEmpty())
            continue;
        qCDebug(lcLine).noquote() << "send after" << t.delayMs << "ms:" << hexOf(t.bytes);
        m_queue.emplace(arrivedUs + 1000LL * std::max(0, t.delayMs), Queued{t.bytes, t.ticket});
    }
}

void LineRunner::writeOut(const char* bytes, int count) {
    // Nobody reading and the pty's buffer full: the bytes are lost, as on a real line.
    const ssize_t n = ::write(m_fd, bytes, size_t(count));
    if (n > 0)
        bytesOut += n;
}

long long LineRunner::pump(long long now) {
    const long long byteUs = m_baud ? 1000000LL * kBitsPerByte / m_baud : 0;
    while (!m_queue.empty()) {
        auto front = m_queue.begin();
        if (front->first > now)
            return front->first;
        Queued& queued = front->second;
        if (!queued.started && queued.ticket != 0 && m_device.withdrawn(queued.ticket)) {
            m_queue.erase(front);
            continue;
        }
        QByteArray& bytes = queued.bytes;
        if (byteUs == 0) {
            writeOut(bytes.constData(), int(bytes.size()));
            m_queue.erase(front);
            continue;
        }
        m_lineFreeUs = std::max(m_lineFreeUs, front->first);
        if (m_lineFreeUs > now)
            return m_lineFreeUs;
        // Every byte whose turn has come by now goes out in one write.
        const long long due = (now - m_lineFreeUs) / byteUs + 1;
        const int count = int(std::min<long long>(due, bytes.size()));
        writeOut(bytes.constData(), count);
        queued.started = true;
        m_lineFreeUs += count * byteUs;
        bytes.remove(0, count);
        if (bytes.isEmpty())
            m_queue.erase(front);
    }
    return -1;
}

void LineRunner::run(const std::function<bool()>& stopRequested) {
    char buffer[kReadChunk];
    while (!stopRequested()) {
        const long long now = nowUs();
        const long long next = pump(now);
        int waitMs = kStopCheckMs;
        if (next >= 0)
            waitMs = int(std::clamp<long long>((next - now + 999) / 1000, 0, kStopCheckMs));
        pollfd p{m_fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, waitMs);
        if (ready <= 0)
            continue;
        if (p.revents & POLLIN) {
            const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
            if (n > 0) {
                bytesIn += n;
                qCDebug(lcLine).noquote() << "read:" << hexOf(QByteArray(buffer, int(n)));
                schedule(m_device.feed(QByteArray(buffer, int(n))), nowUs());
                continue;
            }
        }
        if (p.revents & (POLLHUP | POLLERR | POLLNVAL)) {
            // The other side is gone for now; do not spin on the hang-up.
            ::poll(nullptr, 0, kStopCheckMs);
        }
    }
}

} // namespace rt570::sim
