#include "link/TracingSerialLine.h"

#include <QDateTime>
#include <QLoggingCategory>
#include <algorithm>

namespace rt570 {

namespace {

// Debug messages off by default.
Q_LOGGING_CATEGORY(lcLink, "rt570.link", QtInfoMsg)

constexpr char kHexDigits[] = "0123456789ABCDEF";

QString portText(uint8_t port) {
    return QStringLiteral("port %1").arg(port);
}

} // namespace

QString traceHex(const uint8_t* bytes, int count) {
    if (count <= 0)
        return QStringLiteral("-");
    QByteArray text;
    text.reserve(count * 3);
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            text += ' ';
        text += kHexDigits[bytes[i] >> 4];
        text += kHexDigits[bytes[i] & 0x0F];
    }
    return QString::fromLatin1(text);
}

TracingSerialLine::TracingSerialLine(SerialLine& inner, const QString& path)
    : m_inner(inner), m_file(path) {
    // Unbuffered: each line reaches the system when it is written.
    m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered);
}

void enableTraceLogging() {
    QLoggingCategory::setFilterRules(
        QStringLiteral("rt570.link.debug=true\nrt570.modem.debug=true"));
}

void TracingSerialLine::writeLine(const QString& text) {
    qCDebug(lcLink).noquote() << text;
    if (!m_file.isOpen())
        return;
    const QString stamp =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz"));
    m_file.write((stamp + QLatin1Char(' ') + text + QLatin1Char('\n')).toUtf8());
}

void TracingSerialLine::note(const QString& text) {
    writeLine(QStringLiteral("# ") + text);
}

void TracingSerialLine::Open_Com(uint8_t port, uint32_t rate, int dataBits, int parity,
                                 int stopBits) {
    m_inner.Open_Com(port, rate, dataBits, parity, stopBits);
    writeLine(QStringLiteral("open  %1: %2 baud, %3 data bits, parity %4, stop bits %5")
                  .arg(portText(port))
                  .arg(rate)
                  .arg(dataBits)
                  .arg(parity)
                  .arg(stopBits));
}

void TracingSerialLine::Close_Com(uint8_t port) {
    m_inner.Close_Com(port);
    writeLine(QStringLiteral("close ") + portText(port));
}

int TracingSerialLine::Send_Binary(uint8_t port, const uint8_t* buf, int count) {
    const int result = m_inner.Send_Binary(port, buf, count);
    writeLine(QStringLiteral("send  %1: %2").arg(portText(port), traceHex(buf, count)));
    return result;
}

uint16_t TracingSerialLine::Receive_Binary(uint8_t port, uint8_t* buf, int timeoutMs, int count) {
    QElapsedTimer elapsed;
    elapsed.start();
    const uint16_t received = m_inner.Receive_Binary(port, buf, timeoutMs, count);
    const double ms = double(elapsed.nsecsElapsed()) / 1e6;
    const int shown = std::clamp(int(received), 0, std::max(count, 0));
    QString line = QStringLiteral("read  %1: up to %2 bytes in %3 ms: %4 bytes after %5 ms")
                       .arg(portText(port))
                       .arg(count)
                       .arg(timeoutMs)
                       .arg(received)
                       .arg(ms, 0, 'f', 1);
    if (shown > 0)
        line += QStringLiteral(": ") + traceHex(buf, shown);
    writeLine(line);
    return received;
}

} // namespace rt570
