#include "gsm/CallWatch.h"

#include <algorithm>
#include <array>

namespace rt570 {

namespace {

struct ModemWord {
    QByteArray text;
    bool failed;
};

const std::array<ModemWord, 6> kModemWords = {{
    {QByteArrayLiteral("NO CARRIER"), true},
    {QByteArrayLiteral("BUSY"), true},
    {QByteArrayLiteral("NO ANSWER"), true},
    {QByteArrayLiteral("NO DIALTONE"), true},
    {QByteArrayLiteral("ERROR"), true},
    {QByteArrayLiteral("CONNECT"), false},
}};

constexpr int kLongestWord = 11; // "NO DIALTONE"

} // namespace

void CallWatch::dialled() {
    m_watching = true;
    m_failed = false;
    m_tail.clear();
}

void CallWatch::stop() {
    m_watching = false;
    m_failed = false;
    m_tail.clear();
}

uint16_t CallWatch::Receive_Binary(uint8_t port, uint8_t* buf, int timeoutMs, int count) {
    if (!m_watching)
        return inner().Receive_Binary(port, buf, timeoutMs, count);
    QByteArray got(std::max(count, 0), '\0');
    const uint16_t n =
        inner().Receive_Binary(port, reinterpret_cast<uint8_t*>(got.data()), timeoutMs, count);
    got.truncate(n);
    const QByteArray seen = m_tail + got;
    // The word read last decides: a failure, or a new call's "CONNECT" after it.
    qsizetype latest = -1;
    for (const ModemWord& word : kModemWords) {
        const qsizetype at = seen.lastIndexOf(word.text);
        if (at >= 0 && at + word.text.size() > latest) {
            latest = at + word.text.size();
            m_failed = word.failed;
        }
    }
    m_tail = seen.right(kLongestWord - 1);
    if (m_failed)
        return 0;
    std::copy(got.cbegin(), got.cend(), buf);
    return n;
}

} // namespace rt570
