#pragma once

#include "link/SerialLine.h"

#include <QString>

namespace rt570 {

// The serial backend on Qt SerialPort. Port number N is the device $RT570_HOME/comN when that
// path exists (usually a link to a USB adapter or the simulator's pseudo-terminal), else COMN on
// Windows and /dev/ttyS<N-1> elsewhere.
class QtSerialLine : public SerialLine {
public:
    explicit QtSerialLine(QString home);
    ~QtSerialLine() override;

    QString devicePath(uint8_t port) const;
    // Every port number opens this device instead (the command line's --device).
    void setDeviceOverride(const QString& path);

    void Open_Com(uint8_t port, uint32_t rate, int dataBits, int parity, int stopBits) override;
    void Close_Com(uint8_t port) override;
    int Send_Binary(uint8_t port, const uint8_t* buf, int count) override;
    uint16_t Receive_Binary(uint8_t port, uint8_t* buf, int timeoutMs, int count,
                            uint16_t* aux) override;

private:
    struct Impl;
    Impl* m_impl;
};

} // namespace rt570
