#include "link/qt/QtSerialLine.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSerialPort>
#include <algorithm>
#include <chrono>
#include <map>
#include <set>
#include <thread>

namespace rt570 {
namespace {

// Writes get this long beyond the time the bytes need on the line at the port's rate.
constexpr int kWriteSlackMs = 500;
constexpr int kBitsPerByte = 10;

QSerialPort::DataBits dataBitsFor(int bits) {
    switch (bits) {
    case 5:
        return QSerialPort::Data5;
    case 6:
        return QSerialPort::Data6;
    case 7:
        return QSerialPort::Data7;
    default:
        return QSerialPort::Data8;
    }
}

// Parity and stop-bit codes as the port library numbers them.
QSerialPort::Parity parityFor(int code) {
    switch (code) {
    case 1:
        return QSerialPort::OddParity;
    case 2:
        return QSerialPort::EvenParity;
    case 3:
        return QSerialPort::MarkParity;
    case 4:
        return QSerialPort::SpaceParity;
    default:
        return QSerialPort::NoParity;
    }
}

QSerialPort::StopBits stopBitsFor(int code) {
    switch (code) {
    case 1:
        return QSerialPort::OneAndHalfStop;
    case 2:
        return QSerialPort::TwoStop;
    default:
        return QSerialPort::OneStop;
    }
}

void waitOut(int ms) {
    if (ms > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

} // namespace

namespace {

// The kind of a failed open. Qt reports a device locked by another program and one the user
// may not open with the same error; the file's access rights tell them apart.
QtSerialLine::OpenFailure describeFailure(const QSerialPort& serial, const QString& path) {
    using Failure = QtSerialLine::OpenFailure;
    Failure failure{Failure::Other, path, serial.errorString()};
    switch (serial.error()) {
    case QSerialPort::DeviceNotFoundError:
        failure.kind = Failure::NoDevice;
        break;
    case QSerialPort::PermissionError: {
        const QFileInfo info(path);
        failure.kind =
            info.isReadable() && info.isWritable() ? Failure::InUse : Failure::NoPermission;
        break;
    }
    default:
        if (!QFileInfo::exists(path))
            failure.kind = Failure::NoDevice;
        break;
    }
    return failure;
}

} // namespace

struct QtSerialLine::Impl {
    QString home;
    QString deviceOverride;
    std::map<uint8_t, std::unique_ptr<QSerialPort>> ports;
    std::map<uint8_t, uint32_t> rates;
    std::map<uint8_t, QString> devices; // canonical device of each open port
    std::map<uint8_t, OpenFailure> failures;
    std::set<uint8_t> lost;

    // The port when it is open and usable, else null.
    QSerialPort* usable(uint8_t number) {
        const auto it = ports.find(number);
        if (it == ports.end())
            return nullptr;
        QSerialPort* port = it->second.get();
        if (!port->isOpen() || port->error() == QSerialPort::ResourceError) {
            // The device went away (adapter pulled, peer closed): drop it until the next open.
            lost.insert(number);
            devices.erase(number);
            ports.erase(it);
            return nullptr;
        }
        return port;
    }
};

QtSerialLine::QtSerialLine(QString home) : m_impl(std::make_unique<Impl>()) {
    m_impl->home = std::move(home);
}

QtSerialLine::~QtSerialLine() = default;

QString QtSerialLine::devicePath(uint8_t port) const {
    if (!m_impl->deviceOverride.isEmpty())
        return m_impl->deviceOverride;
    if (!m_impl->home.isEmpty()) {
        const QString linked = QDir(m_impl->home).filePath(QStringLiteral("com%1").arg(port));
        const QFileInfo info(linked);
        // A link whose target is missing still names this port: the device is just absent.
        if (info.exists() || info.isSymLink())
            return linked;
    }
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(port);
#else
    if (port == 0)
        return QString();
    return QStringLiteral("/dev/ttyS%1").arg(port - 1);
#endif
}

void QtSerialLine::setDeviceOverride(const QString& path) {
    m_impl->deviceOverride = path;
}

QtSerialLine::OpenFailure QtSerialLine::openFailure(uint8_t port) const {
    const auto it = m_impl->failures.find(port);
    return it == m_impl->failures.end() ? OpenFailure{} : it->second;
}

bool QtSerialLine::deviceLost(uint8_t port) const {
    return m_impl->lost.count(port) != 0;
}

void QtSerialLine::Open_Com(uint8_t port, uint32_t rate, int dataBits, int parity, int stopBits) {
    Close_Com(port);
    m_impl->failures.erase(port);
    m_impl->lost.erase(port);
    const QString path = devicePath(port);
    if (path.isEmpty()) {
        m_impl->failures[port] = {OpenFailure::NoDevice, path, QStringLiteral("no device")};
        return;
    }
    // A device is open once: another port number that holds it (the start-up port and the
    // connection's port behind one override or two links) lets go of it first.
    const QString canonical = QFileInfo(path).canonicalFilePath();
    for (auto it = m_impl->devices.begin(); it != m_impl->devices.end();) {
        const uint8_t other = it->first;
        const bool same = !canonical.isEmpty() && it->second == canonical;
        ++it;
        if (same)
            Close_Com(other);
    }
    auto serial = std::make_unique<QSerialPort>();
    // The device itself, not a link to it: the port's lock is named after the name opened, so
    // only the real name keeps another program from taking the same device through another name.
    serial->setPortName(canonical.isEmpty() ? path : canonical);
    if (!serial->open(QIODevice::ReadWrite)) {
        m_impl->failures[port] = describeFailure(*serial, path);
        return; // stays closed: sends go nowhere, reads time out
    }
    serial->setBaudRate(qint32(rate));
    serial->setDataBits(dataBitsFor(dataBits));
    serial->setParity(parityFor(parity));
    serial->setStopBits(stopBitsFor(stopBits));
    serial->setFlowControl(QSerialPort::NoFlowControl);
    QSerialPort* raw = serial.get();
    // A port whose device vanished reports errors in a tight loop from the event loop (a pseudo-
    // terminal whose far end closed gives a read error at every turn): close it at the first one.
    QObject::connect(raw, &QSerialPort::errorOccurred, raw, [raw](QSerialPort::SerialPortError e) {
        if ((e == QSerialPort::ResourceError || e == QSerialPort::ReadError) && raw->isOpen())
            raw->close();
    });
    m_impl->rates[port] = rate;
    m_impl->devices[port] = canonical;
    m_impl->ports[port] = std::move(serial);
}

void QtSerialLine::Close_Com(uint8_t port) {
    m_impl->devices.erase(port);
    const auto it = m_impl->ports.find(port);
    if (it == m_impl->ports.end())
        return;
    if (it->second->isOpen())
        it->second->close();
    m_impl->ports.erase(it);
}

int QtSerialLine::Send_Binary(uint8_t number, const uint8_t* buf, int count) {
    QSerialPort* port = m_impl->usable(number);
    if (!port || count <= 0)
        return 0;
    const qint64 written = port->write(reinterpret_cast<const char*>(buf), count);
    if (written < 0)
        return 0;
    const uint32_t rate = std::max<uint32_t>(m_impl->rates[number], 1);
    const int lineMs = int(std::min<uint64_t>(uint64_t(count) * kBitsPerByte * 1000 / rate, 60000));
    QElapsedTimer timer;
    timer.start();
    while (port->isOpen() && port->bytesToWrite() > 0) {
        const int remaining = lineMs + kWriteSlackMs - int(timer.elapsed());
        if (remaining <= 0 || !port->waitForBytesWritten(remaining))
            break;
    }
    if (port->isOpen() && port->bytesToWrite() > 0)
        port->clear(QSerialPort::Output); // a stuck line: do not let stale bytes pile up
    return int(written);
}

uint16_t QtSerialLine::Receive_Binary(uint8_t number, uint8_t* buf, int timeoutMs, int count) {
    QElapsedTimer timer;
    timer.start();
    QSerialPort* port = m_impl->usable(number);
    if (!port) {
        waitOut(timeoutMs);
        return 0;
    }
    port->clearError();
    int got = 0;
    for (;;) {
        if (got < count) {
            const qint64 n = port->read(reinterpret_cast<char*>(buf) + got, count - got);
            if (n > 0)
                got += int(n);
        }
        const int remaining = timeoutMs - int(timer.elapsed());
        if (got >= count || remaining <= 0)
            break;
        if (port->waitForReadyRead(remaining))
            continue;
        if (port->isOpen() && port->error() == QSerialPort::TimeoutError)
            break;
        if (!port->isOpen() || port->error() == QSerialPort::ResourceError) {
            // The device is gone: answer like a silent line, once, without spinning.
            port = nullptr;
            m_impl->usable(number);
            waitOut(timeoutMs - int(timer.elapsed()));
            break;
        }
        // Any other failure of the wait: give it the rest of the time-out in one piece.
        port->clearError();
        waitOut(timeoutMs - int(timer.elapsed()));
        if (got < count)
            got += int(
                std::max<qint64>(0, port->read(reinterpret_cast<char*>(buf) + got, count - got)));
        break;
    }
    return uint16_t(got);
}

} // namespace rt570
