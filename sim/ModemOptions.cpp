#include "sim/ModemOptions.h"

#include "sim/MeterParameters.h"

#include <QCommandLineParser>
#include <cmath>

namespace rt570::sim {
namespace {

// Longest delay the options accept: ten minutes.
constexpr int kMaxDelayMs = 600000;
// Longest call before the carrier drops: a day.
constexpr double kMaxDropSeconds = 86400;

bool toDelay(const QString& text, int& out) {
    bool ok = false;
    const int v = text.toInt(&ok, 10);
    if (!ok || v < 0 || v > kMaxDelayMs)
        return false;
    out = v;
    return true;
}

bool toDropTime(const QString& text, int& outMs) {
    bool ok = false;
    const double seconds = text.toDouble(&ok);
    if (!ok || !(seconds >= 0 && seconds <= kMaxDropSeconds))
        return false;
    outMs = int(std::lround(seconds * 1000));
    return true;
}

bool toAnswer(const QString& text, DialAnswer& out) {
    if (text == QLatin1String("connect"))
        out = DialAnswer::Connect;
    else if (text == QLatin1String("busy"))
        out = DialAnswer::Busy;
    else if (text == QLatin1String("no-carrier"))
        out = DialAnswer::NoCarrier;
    else if (text == QLatin1String("no-answer"))
        out = DialAnswer::NoAnswer;
    else
        return false;
    return true;
}

// "PHONE=SEED", "PHONE=busy", "PHONE=no-carrier" or "PHONE=no-answer".
bool toBankNumber(const QString& text, BankNumber& out) {
    const qsizetype eq = text.indexOf(QLatin1Char('='));
    if (eq <= 0)
        return false;
    out.digits = dialDigits(text.left(eq).toLatin1());
    if (out.digits.isEmpty())
        return false;
    const QString what = text.mid(eq + 1);
    if (what != QLatin1String("connect") && toAnswer(what, out.answer))
        return true;
    bool ok = false;
    const qulonglong seed = what.toULongLong(&ok, 10);
    if (!ok || seed > 0xFFFFFFFFull)
        return false;
    out.answer = DialAnswer::Connect;
    out.seed = uint32_t(seed);
    return true;
}

// Two numbers that are the same phone, or two meters with the same serial number.
bool numbersClash(const std::vector<BankNumber>& numbers, const BankNumber& added, QString* error) {
    for (const BankNumber& n : numbers) {
        if (n.digits == added.digits) {
            *error = QStringLiteral("--number %1 is given twice").arg(QLatin1String(n.digits));
            return true;
        }
        if (n.answer == DialAnswer::Connect && added.answer == DialAnswer::Connect &&
            defaultSerial(n.seed) == defaultSerial(added.seed)) {
            *error = QStringLiteral("--number %1 and %2: seeds %3 and %4 give the same serial "
                                    "number %5")
                         .arg(QLatin1String(n.digits), QLatin1String(added.digits))
                         .arg(n.seed)
                         .arg(added.seed)
                         .arg(defaultSerial(n.seed));
            return true;
        }
    }
    return false;
}

// The modem's options that take a value.
constexpr const char* kValued[] = {"modem-connect-ms", "modem-guard-ms", "modem-answer",
                                   "modem-drop-after", "number"};

} // namespace

QString modemUsage() {
    return QStringLiteral(
        "\n"
        "Modem (a Hayes-style GSM modem in front of the meter; dial it with ATD...):\n"
        "  --modem                 put the modem on the line\n"
        "  --modem-connect-ms MS   delay from the dial to its answer (default 3000)\n"
        "  --modem-answer A        connect, busy, no-carrier or no-answer (default connect)\n"
        "  --modem-guard-ms MS     silence before and after \"+++\" (default 1000)\n"
        "  --modem-drop-after S    the carrier drops S seconds after a call came up\n"
        "                          (\"NO CARRIER\"); 0 never (default)\n"
        "  --number PHONE=SEED     a dial of PHONE reaches its own meter, made with seed SEED\n"
        "                          and so with serial number 20000 + SEED mod 10000\n"
        "                          (--serial does not apply to it); each meter keeps its\n"
        "                          state from call to call\n"
        "  --number PHONE=busy     a dial of PHONE answers BUSY; likewise =no-carrier and\n"
        "                          =no-answer. Repeat --number for more numbers; with any,\n"
        "                          a number not listed answers NO CARRIER and --modem-answer\n"
        "                          is not used. PHONE and the dial are compared by their\n"
        "                          digits and \"+\" alone.\n");
}

void addModemOptions(QCommandLineParser& parser) {
    parser.addOption(QCommandLineOption(QStringLiteral("modem")));
    for (const char* name : kValued)
        parser.addOption(QCommandLineOption(QLatin1String(name), QString(), QStringLiteral("V")));
}

bool takeModemOptions(const QCommandLineParser& parser, ModemOptions& options, QString* error) {
    options.enabled = parser.isSet(QStringLiteral("modem"));
    for (const char* option : kValued) {
        const QString name = QLatin1String(option);
        if (!parser.isSet(name))
            continue;
        options.enabled = true;
        const QStringList values = parser.values(name);
        // Each --number counts; of the others the last one given.
        for (const QString& value :
             name == QLatin1String("number") ? values : values.mid(values.size() - 1)) {
            bool ok = false;
            if (name == QLatin1String("modem-connect-ms")) {
                ok = toDelay(value, options.settings.connectMs);
            } else if (name == QLatin1String("modem-guard-ms")) {
                ok = toDelay(value, options.settings.guardMs);
            } else if (name == QLatin1String("modem-answer")) {
                ok = toAnswer(value, options.settings.answer);
            } else if (name == QLatin1String("modem-drop-after")) {
                ok = toDropTime(value, options.settings.dropAfterMs);
            } else {
                BankNumber number;
                ok = toBankNumber(value, number);
                if (ok && numbersClash(options.numbers, number, error))
                    return false;
                if (ok)
                    options.numbers.push_back(number);
            }
            if (!ok) {
                *error = QStringLiteral("bad value for --%1: '%2'").arg(name, value);
                return false;
            }
        }
    }
    return true;
}

} // namespace rt570::sim
