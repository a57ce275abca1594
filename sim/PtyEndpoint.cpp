#include "sim/PtyEndpoint.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace rt570::sim {
namespace {

QString systemError(const char* what) {
    return QStringLiteral("%1: %2").arg(QString::fromUtf8(what),
                                        QString::fromLocal8Bit(std::strerror(errno)));
}

} // namespace

PtyEndpoint::~PtyEndpoint() {
    close();
}

bool PtyEndpoint::open(QString* error) {
    close();
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0) {
        *error = systemError("posix_openpt");
        return false;
    }
    if (::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) {
        *error = systemError("grantpt/unlockpt");
        close();
        return false;
    }
    const char* name = ::ptsname(m_master);
    if (!name) {
        *error = systemError("ptsname");
        close();
        return false;
    }
    m_slavePath = QString::fromLocal8Bit(name);
    m_slave = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_slave < 0) {
        *error = systemError("open slave");
        close();
        return false;
    }
    // Raw bytes both ways: no echo, no line editing, no CR/LF translation.
    termios tio{};
    if (::tcgetattr(m_slave, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::tcsetattr(m_slave, TCSANOW, &tio);
    }
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    // Programs this process starts do not inherit the terminal: closing it here must hang it
    // up for the program on the other side, as a pulled adapter does.
    ::fcntl(m_master, F_SETFD, FD_CLOEXEC);
    return true;
}

bool PtyEndpoint::makeLink(const QString& path, QString* error) {
    const QFileInfo existing(path);
    if (existing.isSymLink())
        QFile::remove(path);
    else if (existing.exists()) {
        *error = QStringLiteral("%1 exists and is not a symbolic link").arg(path);
        return false;
    }
    if (::symlink(m_slavePath.toLocal8Bit().constData(), path.toLocal8Bit().constData()) != 0) {
        *error = systemError("symlink");
        return false;
    }
    m_linkPath = path;
    return true;
}

void PtyEndpoint::close() {
    if (!m_linkPath.isEmpty()) {
        if (QFile::symLinkTarget(m_linkPath) == m_slavePath)
            QFile::remove(m_linkPath);
        m_linkPath.clear();
    }
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
    m_slave = m_master = -1;
}

} // namespace rt570::sim
