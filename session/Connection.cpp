#include "session/Connection.h"

#include "gsm/NodeListReader.h"
#include "link/OperationError.h"
#include "link/SerialLine.h"
#include "readings/ParameterReport.h"
#include "session/Session.h"

#include <QRegularExpression>
#include <array>
#include <limits>

namespace rt570 {

namespace {

constexpr std::array<int, 9> kRates{600, 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};
constexpr int kCloseRepeats = 3;
constexpr uint8_t kStartUpPort = 1;
constexpr uint32_t kStartUpRate = 9600;

} // namespace

QStringList rateItems() {
    QStringList items;
    for (int rate : kRates)
        items << QStringLiteral("%1,N,8,1").arg(rate);
    return items;
}

int rateOfItem(int item) {
    return item >= 0 && item < int(kRates.size()) ? kRates[size_t(item)] : 0;
}

int toInteger(const QString& text) {
    // Decimal with an optional sign; leading blanks are allowed, nothing may follow the digits.
    static const QRegularExpression pattern(QStringLiteral("^\\s*[+-]?[0-9]+$"));
    bool ok = pattern.match(text).hasMatch();
    qlonglong value = 0;
    if (ok)
        value = text.trimmed().toLongLong(&ok, 10);
    if (!ok || value < std::numeric_limits<int32_t>::min() ||
        value > std::numeric_limits<int32_t>::max())
        throw OperationError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    return int(value);
}

void resetCounters(Session& session) {
    session.link.resetCounters();
}

void openConnection(Session& session, const QString& addressText, const QString& portText,
                    int rateItem) {
    Link& link = session.link;
    link.setDeviceAddress(uint8_t(toInteger(addressText) & 0xFF));
    link.setPortNumber(uint8_t(toInteger(portText) & 0xFF));
    for (int i = 0; i < kCloseRepeats; ++i)
        link.line().Close_Com(link.PortNumber());
    session.display.memo << QStringLiteral("speed=%1").arg(rateItem);
    session.changed();
    const int rate = rateOfItem(rateItem);
    if (rate > 0)
        link.line().Open_Com(link.PortNumber(), uint32_t(rate), kDataBits, kParityNone,
                             kOneStopBit);
}

void closeConnection(Session& session) {
    session.link.line().Close_Com(session.link.PortNumber());
    if (session.reports.FilesOpen != 1)
        return;
    closeReportFiles(session.reports);
}

void loadRunState(Session& session) {
    session.nodes = LoadNodeDirectory(session.nodeListPath());
    session.SelectedDate = session.clock();
    session.reports.setCounter = 0;
    session.reports.FilesOpen = 0;
    fillParameterNames(session.ParameterNames);
    session.formats.ScaleTable = kScaleTableStart;
}

void openStartUpPort(Session& session) {
    session.link.line().Open_Com(kStartUpPort, kStartUpRate, kDataBits, kParityNone, kOneStopBit);
}

} // namespace rt570
