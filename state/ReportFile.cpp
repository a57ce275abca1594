#include "state/ReportFile.h"

#include "link/Cp1251.h"
#include "link/OperationError.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>

#ifdef _WIN32
#include <io.h>
#include <sys/stat.h>
#else
#include <unistd.h>
#endif

namespace rt570 {

namespace {

const char kLineEnd[] = "\r\n";

#ifdef _WIN32
int openForWriting(const QString& path) {
    return ::_wopen(reinterpret_cast<const wchar_t*>(path.utf16()),
                    _O_WRONLY | _O_CREAT | _O_APPEND | _O_BINARY | _O_NOINHERIT,
                    _S_IREAD | _S_IWRITE);
}
long long writeSome(int fd, const char* data, size_t size) {
    return ::_write(fd, data, unsigned(size > 0x7FFFFFFF ? 0x7FFFFFFF : size));
}
int syncFile(int fd) {
    return ::_commit(fd);
}
int closeFile(int fd) {
    return ::_close(fd);
}
// Cuts the last `count` bytes written off the end of the file.
void cutBack(int fd, long long count) {
    const long long end = ::_lseeki64(fd, 0, SEEK_CUR);
    if (end >= count && ::_chsize_s(fd, end - count) == 0)
        ::_lseeki64(fd, end - count, SEEK_SET);
}
#else
int openForWriting(const QString& path) {
    int fd;
    do {
        fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC,
                    0666);
    } while (fd < 0 && errno == EINTR);
    return fd;
}
long long writeSome(int fd, const char* data, size_t size) {
    return ::write(fd, data, size);
}
int syncFile(int fd) {
    return ::fsync(fd);
}
int closeFile(int fd) {
    return ::close(fd);
}
// Cuts the last `count` bytes written off the end of the file.
void cutBack(int fd, long long count) {
    const off_t end = ::lseek(fd, 0, SEEK_CUR);
    if (end >= count && ::ftruncate(fd, end - count) == 0)
        ::lseek(fd, end - count, SEEK_SET);
}
#endif

// fsync on a terminal, a pipe or a device such as /dev/null is refused with EINVAL; there is
// nothing to make durable there.
bool syncNotSupported(int error) {
    return error == EINVAL
#ifdef ENOTSUP
           || error == ENOTSUP
#endif
#ifdef EROFS
           || error == EROFS
#endif
        ;
}

} // namespace

QString createErrorText(int systemError) {
    switch (systemError) {
    case ENOENT:
    case ENOTDIR:
    case ENAMETOOLONG:
        return QStringLiteral("Invalid filename");
    case EACCES:
    case EPERM:
    case EISDIR:
        return QStringLiteral("File access denied");
    default:
        return ioErrorText(systemError);
    }
}

QString ioErrorText(int systemError) {
    return QStringLiteral("I/O error %1").arg(systemError);
}

QByteArray reportBytes(const QString& text) {
    return cp1251::encode(text);
}

ReportFile::~ReportFile() {
    // Nobody is left to show an error here; the lines reach the disk all the same when they can.
    (void)release();
}

int ReportFile::release() {
    if (m_fd < 0)
        return 0;
    int error = 0;
    if (syncFile(m_fd) != 0 && !syncNotSupported(errno))
        error = errno;
    // An interrupted close has let the descriptor go all the same; the data was synced above.
    if (closeFile(m_fd) != 0 && error == 0 && errno != EINTR)
        error = errno;
    m_fd = -1;
    return error;
}

void ReportFile::create(const QString& path) {
    const int closeError = release();
    if (closeError != 0)
        throw OperationError(ioErrorText(closeError));
    m_path = path;
    const int fd = openForWriting(path);
    if (fd < 0)
        throw OperationError(createErrorText(errno));
    m_fd = fd;
}

void ReportFile::appendLine(const QString& text) {
    if (m_fd < 0)
        throw OperationError(ioErrorText(kFileNotOpenError));
    const QByteArray line = reportBytes(text) + kLineEnd;
    const char* data = line.constData();
    size_t left = size_t(line.size());
    while (left > 0) {
        const long long written = writeSome(m_fd, data, left);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            // A write that moves nothing and reports no error would loop for ever.
            const int error = written < 0 ? errno : EIO;
            // A line the disk took only part of is taken back, so that the file holds whole
            // lines only and a later report does not start in the middle of one. The lines
            // written before the failed one stay, and reach the disk now.
            if (data != line.constData())
                cutBack(m_fd, data - line.constData());
            syncFile(m_fd);
            throw OperationError(ioErrorText(error));
        }
        data += written;
        left -= size_t(written);
    }
}

void ReportFile::flush() {
    if (m_fd < 0)
        return;
    if (syncFile(m_fd) != 0 && !syncNotSupported(errno))
        throw OperationError(ioErrorText(errno));
}

void ReportFile::close() {
    if (m_fd < 0)
        throw OperationError(ioErrorText(kFileNotOpenError));
    const int error = release();
    if (error != 0)
        throw OperationError(ioErrorText(error));
}

} // namespace rt570
