#pragma once

#include "link/SerialLine.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QString>

namespace rt570 {

// A serial line that passes every call on to another one and appends what happened to a trace
// file, one line per call, each with the local time it ended (milliseconds); reads also show
// how long they took:
//
//   2014-01-05 09:07:03.154 open  port 3: 9600 baud, 8 data bits, parity 0, stop bits 0
//   2014-01-05 09:07:03.185 read  port 3: up to 40 bytes in 30 ms: 0 bytes after 30.1 ms
//   2014-01-05 09:07:03.185 send  port 3: 23 01 05 00 00 00 00 00 00 36 0D
//   2014-01-05 09:07:03.187 read  port 3: up to 11 bytes in 3000 ms: 11 bytes after 1.6 ms: 23 ...
//   2014-01-05 09:07:03.187 close port 3
//   2014-01-05 09:07:03.190 # free text written with note()
//
// Every attempt of a retried request shows as its own flush read, send and reply read; modem
// commands show as sends. Each line goes to the file as soon as the call returns, so the trace
// is complete up to the last call even when the process is killed.
//
// Every line, without its time, is also a debug message of the logging category "rt570.link",
// which is off unless QT_LOGGING_RULES or enableTraceLogging() turns it on; a line made without
// a file logs there alone.
class TracingSerialLine : public SerialLine {
public:
    // Opens `path` for appending; check isOpen() before use. A trace that cannot be written does
    // not stop the line: calls are still passed on.
    TracingSerialLine(SerialLine& inner, const QString& path);
    // Logs to the category alone.
    explicit TracingSerialLine(SerialLine& inner) : m_inner(inner) {}

    bool isOpen() const { return m_file.isOpen(); }
    QString errorString() const { return m_file.errorString(); }

    // A line of its own, marked with "#": where an operation begins or ends.
    void note(const QString& text);

    void Open_Com(uint8_t port, uint32_t rate, int dataBits, int parity, int stopBits) override;
    void Close_Com(uint8_t port) override;
    int Send_Binary(uint8_t port, const uint8_t* buf, int count) override;
    uint16_t Receive_Binary(uint8_t port, uint8_t* buf, int timeoutMs, int count) override;

private:
    void writeLine(const QString& text);

    SerialLine& m_inner;
    QFile m_file;
};

// Turns on the debug messages of "rt570.link" (every frame) and "rt570.modem" (what the modem
// dialogue sends and hears), as each program's --trace does; QT_LOGGING_RULES still overrides.
void enableTraceLogging();

// "23 01 05": the bytes in upper-case hex, one blank between them; "-" for none.
QString traceHex(const uint8_t* bytes, int count);

} // namespace rt570
