#include "figures/window/ResultLook.h"

#include <map>

namespace rt570 {

ResultLook resultLook(const QString& result) {
    const QColor good(0x7c, 0xc4, 0x7c);
    const QColor retry(0xf2, 0xd0, 0x4b);
    const QColor failed(0xe0, 0x60, 0x5a);
    const QColor settings(0xa0, 0xa0, 0xa8);
    static const std::map<QString, std::pair<const char*, const char*>> kLooks{
        {QStringLiteral("ok"), {"У", "успешно"}},
        {QStringLiteral("busy"), {"З", "занято"}},
        {QStringLiteral("no answer"), {"О", "нет ответа"}},
        {QStringLiteral("no carrier"), {"Н", "нет несущей"}},
        {QStringLiteral("no dialtone"), {"Г", "нет гудка"}},
        {QStringLiteral("modem error"), {"М", "ошибка модема"}},
        {QStringLiteral("modem silent"), {"Т", "модем молчит"}},
        {QStringLiteral("link failed"), {"С", "сбой связи"}},
        {QStringLiteral("file error"), {"Ф", "ошибка файла"}},
        {QStringLiteral("bad phone"), {"№", "неверный телефон"}},
    };
    const auto look = kLooks.find(result);
    if (look == kLooks.end())
        return {QStringLiteral("?"), settings, result};
    QColor colour = failed;
    if (result == QLatin1String("ok"))
        colour = good;
    else if (result == QLatin1String("busy") || result == QLatin1String("no answer"))
        colour = retry;
    else if (result == QLatin1String("file error") || result == QLatin1String("bad phone"))
        colour = settings;
    return {QString::fromUtf8(look->second.first), colour, QString::fromUtf8(look->second.second)};
}

} // namespace rt570
