#pragma once

#include "link/SerialLine.h"

#include <QString>
#include <memory>

namespace rt570 {

// The serial backend on Qt SerialPort. Port number N is the device $RT570_HOME/comN when that
// path exists (usually a link to a USB adapter or the simulator's pseudo-terminal), else COMN on
// Windows and /dev/ttyS<N-1> elsewhere. Ports are kept by number: opening one leaves the others
// as they are. A port that could not be opened, or whose device went away, acts as a silent line.
// None of the calls runs the Qt event loop; they block in the port's own waits.
class QtSerialLine : public SerialLine {
public:
    explicit QtSerialLine(QString home);
    ~QtSerialLine() override;

    QString devicePath(uint8_t port) const;
    // Every port number opens this device instead (the command line's --device).
    void setDeviceOverride(const QString& path);

    // Why the last open of a port failed, for a front end that reports it (the window does not:
    // a port that cannot be opened is a silent line there).
    struct OpenFailure {
        enum Kind { None, NoDevice, NoPermission, InUse, Other };
        Kind kind = None;
        QString device; // the path opened
        QString detail; // the system's words
    };
    OpenFailure openFailure(uint8_t port) const;
    // True when the port was open and its device has gone away since (an adapter pulled, the
    // line's far end closed); an open of the port clears it.
    bool deviceLost(uint8_t port) const;

    void Open_Com(uint8_t port, uint32_t rate, int dataBits, int parity, int stopBits) override;
    void Close_Com(uint8_t port) override;
    int Send_Binary(uint8_t port, const uint8_t* buf, int count) override;
    uint16_t Receive_Binary(uint8_t port, uint8_t* buf, int timeoutMs, int count) override;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace rt570
