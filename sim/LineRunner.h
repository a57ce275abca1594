#pragma once

#include "sim/LineDevice.h"

#include <QByteArray>
#include <cstdint>
#include <functional>
#include <map>

namespace rt570::sim {

// A byte on the line takes 10 bit times: start bit, 8 data bits, stop bit.
constexpr int kBitsPerByte = 10;
// The longest the loop sleeps before it looks at the stop request again.
constexpr int kStopCheckMs = 50;

// Moves bytes between a file descriptor (the pty master) and a line device: what comes in is
// fed to the device at once; what the device answers goes out after its delay, paced byte by
// byte at the line rate (no pacing at rate 0), unless the device withdraws it before it starts.
class LineRunner {
public:
    LineRunner(int fd, LineDevice& device, uint32_t baud)
        : m_fd(fd), m_device(device), m_baud(baud) {}

    // Runs until `stopRequested` says so; it is asked at least every kStopCheckMs.
    void run(const std::function<bool()>& stopRequested);

    long long bytesIn = 0;
    long long bytesOut = 0;

private:
    static long long nowUs();
    void schedule(const Transmissions& out, long long arrivedUs);
    // Writes what is due by `now`; returns the time of the next due byte, or -1.
    long long pump(long long now);
    void writeOut(const char* bytes, int count);

    int m_fd;
    LineDevice& m_device;
    uint32_t m_baud;
    struct Queued {
        QByteArray bytes;
        int ticket = 0;
        bool started = false; // some of its bytes are out: it is no longer withdrawn
    };
    std::multimap<long long, Queued> m_queue;
    long long m_lineFreeUs = 0;
};

} // namespace rt570::sim
