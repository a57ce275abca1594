#include "sim/ModemOptions.h"

namespace rt570::sim {
namespace {

// Longest delay the options accept: ten minutes.
constexpr int kMaxDelayMs = 600000;

bool toDelay(const QString& text, int& out) {
    bool ok = false;
    const int v = text.toInt(&ok, 10);
    if (!ok || v < 0 || v > kMaxDelayMs)
        return false;
    out = v;
    return true;
}

bool toAnswer(const QString& text, DialAnswer& out) {
    if (text == QLatin1String("connect"))
        out = DialAnswer::Connect;
    else if (text == QLatin1String("busy"))
        out = DialAnswer::Busy;
    else if (text == QLatin1String("no-carrier"))
        out = DialAnswer::NoCarrier;
    else
        return false;
    return true;
}

} // namespace

QString modemUsage() {
    return QStringLiteral(
        "\n"
        "Modem (a Hayes-style GSM modem in front of the meter; dial it with ATD...):\n"
        "  --modem                 put the modem on the line\n"
        "  --modem-connect-ms MS   delay from the dial to its answer (default 3000)\n"
        "  --modem-answer A        connect, busy or no-carrier (default connect)\n"
        "  --modem-guard-ms MS     silence before and after \"+++\" (default 1000)\n");
}

bool takeModemOptions(QStringList& arguments, ModemOptions& options, QString* error) {
    QStringList rest;
    for (int i = 0; i < arguments.size(); ++i) {
        QString name = arguments[i];
        if (name == QLatin1String("--modem")) {
            options.enabled = true;
            continue;
        }
        if (!name.startsWith(QLatin1String("--modem-"))) {
            rest << name;
            continue;
        }
        QString value;
        const int eq = name.indexOf(QLatin1Char('='));
        if (eq > 0) {
            value = name.mid(eq + 1);
            name = name.left(eq);
        } else if (i + 1 < arguments.size()) {
            value = arguments[++i];
        } else {
            *error = QStringLiteral("%1 needs a value").arg(name);
            return false;
        }
        bool ok = false;
        if (name == QLatin1String("--modem-connect-ms"))
            ok = toDelay(value, options.settings.connectMs);
        else if (name == QLatin1String("--modem-guard-ms"))
            ok = toDelay(value, options.settings.guardMs);
        else if (name == QLatin1String("--modem-answer"))
            ok = toAnswer(value, options.settings.answer);
        else {
            *error = QStringLiteral("unknown option %1").arg(name);
            return false;
        }
        if (!ok) {
            *error = QStringLiteral("bad value for %1: '%2'").arg(name, value);
            return false;
        }
        options.enabled = true;
    }
    arguments = rest;
    return true;
}

} // namespace rt570::sim
