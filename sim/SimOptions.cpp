#include "sim/SimOptions.h"

#include "sim/ModemOptions.h"

#include <QCommandLineParser>
#include <functional>
#include <map>

namespace rt570::sim {
namespace {

// The meter's options that take a value.
constexpr const char* kValued[] = {"address", "serial", "seed",  "latency", "baud", "drop",
                                   "corrupt", "short",  "noise", "late",    "link"};

bool toUnsigned(const QString& text, uint64_t max, uint64_t& out) {
    bool ok = false;
    const qulonglong v = text.toULongLong(&ok, 10);
    if (!ok || v > max)
        return false;
    out = v;
    return true;
}

bool toChance(const QString& text, double& out) {
    bool ok = false;
    const double v = text.toDouble(&ok);
    if (!ok || !(v >= 0.0 && v <= 1.0))
        return false;
    out = v;
    return true;
}

} // namespace

QString simUsage() {
    return QStringLiteral(
        "Usage: rt570-sim [OPTIONS]\n"
        "Simulates an RT570-4 flow meter on a pseudo-terminal and prints the terminal's path.\n"
        "\n"
        "  --address A    network address the meter answers to, 0..255 (default 1)\n"
        "  --serial N     serial number (default: chosen by the seed)\n"
        "  --seed S       seed of the meter's settings, history and faults (default 1)\n"
        "  --latency MS   delay before each reply, in milliseconds (default 0)\n"
        "  --baud B       pace replies as a line at B baud would, 10 bits per byte;\n"
        "                 0 sends them at once (default 9600)\n"
        "  --drop P       chance 0..1 that a reply is left out\n"
        "  --corrupt P    chance that a reply has a wrong checksum\n"
        "  --short P      chance that a reply has fewer than 11 bytes\n"
        "  --noise P      chance of junk bytes before a reply\n"
        "  --late P       chance that a reply comes after more than 3 s\n"
        "  --link PATH    make a symbolic link PATH to the terminal, removed on exit\n"
        "  --trace        log every frame read and sent on standard error\n"
        "  --help         show this text\n"
        "  --version      show the version\n"
        "\n"
        "Ctrl+C or SIGTERM ends the simulator.\n");
}

void addSimOptions(QCommandLineParser& parser) {
    for (const char* name : kValued)
        parser.addOption(QCommandLineOption(QLatin1String(name), QString(), QStringLiteral("V")));
    parser.addOption(QCommandLineOption(QStringList{QStringLiteral("h"), QStringLiteral("help")}));
    parser.addOption(QCommandLineOption(QStringLiteral("version")));
    parser.addOption(QCommandLineOption(QStringLiteral("trace")));
}

bool takeSimOptions(const QCommandLineParser& parser, SimOptions& options, QString* error) {
    using Setter = std::function<bool(const QString&)>;
    auto number = [](auto& field, uint64_t max) {
        return Setter([&field, max](const QString& v) {
            uint64_t n = 0;
            if (!toUnsigned(v, max, n))
                return false;
            field = static_cast<std::remove_reference_t<decltype(field)>>(n);
            return true;
        });
    };
    auto chance = [](double& field) {
        return Setter([&field](const QString& v) { return toChance(v, field); });
    };
    const std::map<QString, Setter> valued = {
        {QStringLiteral("address"), number(options.address, 255)},
        {QStringLiteral("serial"), number(options.serial, 999999)},
        {QStringLiteral("seed"), number(options.seed, 0xFFFFFFFFu)},
        {QStringLiteral("latency"), number(options.latencyMs, 600000)},
        {QStringLiteral("baud"), number(options.baud, 10000000)},
        {QStringLiteral("drop"), chance(options.faults.drop)},
        {QStringLiteral("corrupt"), chance(options.faults.corrupt)},
        {QStringLiteral("short"), chance(options.faults.shortened)},
        {QStringLiteral("noise"), chance(options.faults.noise)},
        {QStringLiteral("late"), chance(options.faults.late)},
        {QStringLiteral("link"), Setter([&options](const QString& v) {
             options.link = v;
             return !v.isEmpty();
         })},
    };
    for (const auto& [name, set] : valued) {
        if (!parser.isSet(name))
            continue;
        // The last one given counts, as with most programs.
        const QString value = parser.values(name).last();
        if (!set(value)) {
            *error = QStringLiteral("bad value for --%1: '%2'").arg(name, value);
            return false;
        }
    }
    options.help = parser.isSet(QStringLiteral("help"));
    options.version = parser.isSet(QStringLiteral("version"));
    options.trace = parser.isSet(QStringLiteral("trace"));
    return true;
}

bool parseSimArguments(const QStringList& arguments, SimOptions& options, ModemOptions& modem,
                       QString* error) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    addSimOptions(parser);
    addModemOptions(parser);
    if (!parser.parse(QStringList{QStringLiteral("rt570-sim")} + arguments)) {
        *error = parser.errorText();
        return false;
    }
    if (!parser.positionalArguments().isEmpty()) {
        *error = QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments()[0]);
        return false;
    }
    return takeSimOptions(parser, options, error) && takeModemOptions(parser, modem, error);
}

} // namespace rt570::sim
