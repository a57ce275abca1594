#pragma once

#include <QString>

namespace rt570::sim {

// The simulator's end of a pseudo-terminal: the master side, in raw mode and non-blocking, with
// the slave path the tool opens as its serial port. The endpoint keeps the slave open itself so
// that the master never sees a hang-up while the tool closes and reopens its port.
class PtyEndpoint {
public:
    PtyEndpoint() = default;
    ~PtyEndpoint();
    PtyEndpoint(const PtyEndpoint&) = delete;
    PtyEndpoint& operator=(const PtyEndpoint&) = delete;

    bool open(QString* error);
    // A symbolic link at `path` to the slave (a stale link there is replaced); removed again by
    // close() if it still points to this slave.
    bool makeLink(const QString& path, QString* error);
    void close();

    int masterFd() const { return m_master; }
    const QString& slavePath() const { return m_slavePath; }
    const QString& linkPath() const { return m_linkPath; }

private:
    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
    QString m_linkPath;
};

} // namespace rt570::sim
