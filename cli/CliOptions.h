#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <vector>

namespace rt570::cli {

// One operation of a run, in the order given on the command line.
struct CliOperation {
    enum Kind { Values, SetClock, Params, Hourly, Daily, Monthly };
    Kind kind = Values;
    QDate date; // the archive operations only
};

// What the command line asked for. The defaults are the window's start-up selections.
struct CliOptions {
    int port = 3;   // as typed into the port selector
    QString device; // a device path used instead of the port mapping
    // Every --port and --device in the order given: with collect, one modem line each.
    std::vector<int> ports;
    QStringList devices;
    int rateItem = 4;       // item of the rate selector: 4 is "9600,N,8,1"
    int address = 1;        // 0..255
    QString gsmPhone;       // dial this number through a modem first
    bool blindDial = false; // dial without reading the modem's answers, on fixed waits
    QString tracePath;      // append the frames to this file
    QString dbPath;         // keep every figure read in this SQLite file or PostgreSQL URL
    QString csvFolder;      // write a CSV file beside each report into this folder
    bool noProgress = false;
    bool help = false;
    bool version = false;
    // "collect": every node of the node list (or those named) in turn through the modem.
    bool collect = false;
    QString nodesPath;     // the node list instead of $RT570_HOME/gsm_csd.ini
    QStringList nodeNames; // only these nodes, in the list's order
    // "import": copy every row of this SQLite store into dbPath instead of reading a meter.
    QString importPath;
    std::vector<CliOperation> operations;
    QString operationsText; // the operations' words as typed, one blank apart

    bool gsm() const { return !gsmPhone.isEmpty(); }
};

// The arguments after the program name; `today` is the PC's local date that the date words
// "today" and "yesterday" stand for, and the last date an archive operation may ask for. On bad
// usage `error` says what is wrong and `options` must not be used.
struct ParsedArguments {
    CliOptions options;
    QString error;
    bool ok() const { return error.isEmpty(); }
};

ParsedArguments parseArguments(const QStringList& arguments,
                               const QDate& today = QDate::currentDate());

// "YYYY-MM-DD", "today" or "yesterday", with a date the archive date code can address
// (2000-01-01 .. 2042-12-31); an invalid QDate otherwise.
QDate parseArchiveDate(const QString& text, const QDate& today = QDate::currentDate());

// The text the modem is sent to dial PHONE: "ATD" and the number, or the text as it stands when it
// is already a command ("ATD+7...", "ATDT..."; as the node list holds them).
QString dialText(const QString& phone);

// True when two device paths name one device: the same text, or links to the same file.
bool sameDevice(const QString& a, const QString& b);

// The name of an operation as typed ("values", "hourly", ...).
QString operationName(CliOperation::Kind kind);

} // namespace rt570::cli
