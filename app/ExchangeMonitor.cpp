#include "app/ExchangeMonitor.h"

#include "link/Link.h"

namespace rt570 {

MonitorTexts monitorTexts(const Link& link) {
    MonitorTexts texts;
    texts.requests = QStringLiteral("№ запроса=%1").arg(link.RequestCount());
    texts.timeouts = QStringLiteral("Кол.таймаутов=%1").arg(link.TimeoutCount());
    texts.errors = QStringLiteral("Кол.ошибок=%1").arg(link.ErrorCount());
    if (link.LinkFailed())
        texts.requests = QStringLiteral("Сбой связи !");
    return texts;
}

} // namespace rt570
