#include "sim/SimOptions.h"

#include <functional>
#include <map>

namespace rt570::sim {
namespace {

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
        "  --help         show this text\n"
        "  --version      show the version\n"
        "\n"
        "Ctrl+C or SIGTERM ends the simulator.\n");
}

bool parseSimOptions(const QStringList& arguments, SimOptions& options, QString* error) {
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
        {QStringLiteral("--address"), number(options.address, 255)},
        {QStringLiteral("--serial"), number(options.serial, 999999)},
        {QStringLiteral("--seed"), number(options.seed, 0xFFFFFFFFu)},
        {QStringLiteral("--latency"), number(options.latencyMs, 600000)},
        {QStringLiteral("--baud"), number(options.baud, 10000000)},
        {QStringLiteral("--drop"), chance(options.faults.drop)},
        {QStringLiteral("--corrupt"), chance(options.faults.corrupt)},
        {QStringLiteral("--short"), chance(options.faults.shortened)},
        {QStringLiteral("--noise"), chance(options.faults.noise)},
        {QStringLiteral("--late"), chance(options.faults.late)},
        {QStringLiteral("--link"), Setter([&options](const QString& v) {
             options.link = v;
             return !v.isEmpty();
         })},
    };
    for (int i = 0; i < arguments.size(); ++i) {
        QString name = arguments[i];
        QString value;
        bool hasValue = false;
        const int eq = name.indexOf(QLatin1Char('='));
        if (name.startsWith(QLatin1String("--")) && eq > 0) {
            value = name.mid(eq + 1);
            name = name.left(eq);
            hasValue = true;
        }
        if (name == QLatin1String("--help") || name == QLatin1String("-h")) {
            options.help = true;
            continue;
        }
        if (name == QLatin1String("--version")) {
            options.version = true;
            continue;
        }
        const auto it = valued.find(name);
        if (it == valued.end()) {
            *error = QStringLiteral("unknown option %1").arg(arguments[i]);
            return false;
        }
        if (!hasValue) {
            if (i + 1 >= arguments.size()) {
                *error = QStringLiteral("%1 needs a value").arg(name);
                return false;
            }
            value = arguments[++i];
        }
        if (!it->second(value)) {
            *error = QStringLiteral("bad value for %1: '%2'").arg(name, value);
            return false;
        }
    }
    return true;
}

} // namespace rt570::sim
