#pragma once

#include "link/Frame.h"
#include "sim/PtyEndpoint.h"

#include <QByteArray>
#include <QString>
#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <poll.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace rt570::test {

// A peer on a pseudo-terminal that answers exactly as the test scripts it: for every request
// frame it receives it writes the chunks the script returns, each after its own pause. Linked as
// `<home>/com<port>`, so the Qt backend opens it as that port. Everything happens on the peer's
// own thread; the test thread only reads what it recorded.
class PtyPeer {
public:
    struct Chunk {
        int pauseMs = 0;     // wait this long after the previous chunk (or the request)
        QByteArray bytes;    // then write these
        bool vanish = false; // then close the terminal, as a pulled adapter
    };
    using Script = std::vector<Chunk>;
    // Called with the number of the frame (0 for the first) and its 11 bytes.
    using Answer = std::function<Script(int frameNumber, const QByteArray& frame)>;

    PtyPeer(const QString& linkPath, Answer answer) : m_answer(std::move(answer)) {
        QString error;
        m_open = m_endpoint.open(&error) && m_endpoint.makeLink(linkPath, &error);
        if (m_open)
            m_thread = std::thread([this] { run(); });
    }
    ~PtyPeer() {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        m_endpoint.close();
    }
    PtyPeer(const PtyPeer&) = delete;
    PtyPeer& operator=(const PtyPeer&) = delete;

    bool isOpen() const { return m_open; }
    QString slavePath() const { return m_endpoint.slavePath(); }
    bool vanished() const { return m_vanished; }
    // Closes the terminal now, as a pulled adapter.
    void vanish() {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        m_endpoint.close();
        m_vanished = true;
    }

    // Writes bytes that no request asked for, `pauseMs` from now, from the peer's thread.
    void putOnLine(const QByteArray& bytes, int pauseMs = 0) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_unasked.push_back({Clock::now() + std::chrono::milliseconds(pauseMs), bytes});
    }

    // How many of the chunks given to putOnLine() are on the line by now.
    int unaskedWritten() const { return m_unaskedWritten.load(); }

    std::vector<QByteArray> frames() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_frames;
    }

    // A whole reply frame as bytes.
    static QByteArray bytesOf(const ReplyFrame& frame) {
        return QByteArray(reinterpret_cast<const char*>(frame.data()), kFrameLength);
    }

private:
    using Clock = std::chrono::steady_clock;
    struct Unasked {
        Clock::time_point due;
        QByteArray bytes;
    };
    static constexpr int kPollMs = 5;

    void run() {
        QByteArray pending;
        int frameNumber = 0;
        while (!m_stop && !m_vanished) {
            pollfd fd{m_endpoint.masterFd(), POLLIN, 0};
            if (::poll(&fd, 1, kPollMs) > 0 && (fd.revents & POLLIN)) {
                char buffer[256];
                const ssize_t n = ::read(m_endpoint.masterFd(), buffer, sizeof buffer);
                if (n > 0)
                    pending.append(buffer, int(n));
            }
            writeUnaskedThatAreDue();
            // Frames start with "#"; anything else before one is skipped.
            for (;;) {
                const int start = int(pending.indexOf(char(kFrameStart)));
                if (start < 0) {
                    pending.clear();
                    break;
                }
                pending.remove(0, start);
                if (pending.size() < kFrameLength)
                    break;
                const QByteArray frame = pending.left(kFrameLength);
                pending.remove(0, kFrameLength);
                {
                    std::lock_guard<std::mutex> lock(m_mutex);
                    m_frames.push_back(frame);
                }
                perform(m_answer(frameNumber++, frame));
                if (m_vanished)
                    return;
            }
        }
    }

    void perform(const Script& script) {
        for (const Chunk& chunk : script) {
            const auto until = Clock::now() + std::chrono::milliseconds(chunk.pauseMs);
            while (!m_stop && Clock::now() < until)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            writeAll(chunk.bytes);
            if (chunk.vanish) {
                m_endpoint.close();
                m_vanished = true;
                return;
            }
        }
    }

    void writeUnaskedThatAreDue() {
        std::vector<QByteArray> due;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            const auto now = Clock::now();
            for (auto it = m_unasked.begin(); it != m_unasked.end();) {
                if (it->due <= now) {
                    due.push_back(it->bytes);
                    it = m_unasked.erase(it);
                } else {
                    ++it;
                }
            }
        }
        for (const QByteArray& bytes : due) {
            writeAll(bytes);
            ++m_unaskedWritten;
        }
    }

    void writeAll(const QByteArray& bytes) {
        qsizetype done = 0;
        while (done < bytes.size() && !m_stop) {
            const ssize_t n = ::write(m_endpoint.masterFd(), bytes.constData() + done,
                                      size_t(bytes.size() - done));
            if (n > 0)
                done += n;
            else
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

    Answer m_answer;
    sim::PtyEndpoint m_endpoint;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_vanished{false};
    std::atomic<int> m_unaskedWritten{0};
    bool m_open = false;
    mutable std::mutex m_mutex;
    std::vector<QByteArray> m_frames;
    std::vector<Unasked> m_unasked;
};

} // namespace rt570::test
