#include "sim/ModemBank.h"

namespace rt570::sim {

ModemBank::Meter::Meter(uint32_t seed, const SimOptions& options)
    : model(seed, 0, options.address), protocol(model, options.address),
      faults(options.faults, seed), line(protocol, faults, options.latencyMs) {
    // The meter's history up to now is summed here once, not inside the first reply's time.
    (void)model.currentInteger(0);
}

ModemBank::ModemBank(const std::vector<BankNumber>& numbers, const SimOptions& options) {
    for (const BankNumber& n : numbers) {
        Entry& entry = m_entries[n.digits];
        entry.answer = n.answer;
        if (n.answer == DialAnswer::Connect)
            entry.meter = std::make_unique<Meter>(n.seed, options);
    }
}

Callee ModemBank::route(const QByteArray& number) const {
    const auto it = m_entries.find(number);
    if (it == m_entries.end())
        return Callee{DialAnswer::NoCarrier, nullptr};
    const Entry& entry = it->second;
    return Callee{entry.answer, entry.meter ? &entry.meter->line : nullptr};
}

MeterModel* ModemBank::model(const QByteArray& number) const {
    const auto it = m_entries.find(number);
    return it != m_entries.end() && it->second.meter ? &it->second.meter->model : nullptr;
}

QStringList ModemBank::describe() const {
    QStringList lines;
    for (const auto& [number, entry] : m_entries) {
        QString what;
        switch (entry.answer) {
        case DialAnswer::Connect:
            what =
                QStringLiteral("meter %1").arg(double(entry.meter->model.parameter(0)), 0, 'f', 0);
            break;
        case DialAnswer::Busy:
            what = QStringLiteral("BUSY");
            break;
        case DialAnswer::NoCarrier:
            what = QStringLiteral("NO CARRIER");
            break;
        case DialAnswer::NoAnswer:
            what = QStringLiteral("NO ANSWER");
            break;
        }
        lines << QStringLiteral("%1: %2").arg(QLatin1String(number), what);
    }
    return lines;
}

} // namespace rt570::sim
