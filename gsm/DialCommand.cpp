#include "gsm/DialCommand.h"

#include "link/Cp1251.h"
#include "link/OperationError.h"

namespace rt570 {

namespace {

constexpr char kCarriageReturn = 0x0D;

// The first `count` characters of `text`, a character outside the basic plane counting once.
QString leadingCharacters(const QString& text, int count) {
    qsizetype end = 0;
    for (int taken = 0; taken < count && end < text.size(); ++taken)
        end += text[end].isHighSurrogate() && end + 1 < text.size() ? 2 : 1;
    return text.left(end);
}

} // namespace

QString dialledText(const QString& dialText) {
    return leadingCharacters(dialText, kDialTextLength);
}

DialTextFault dialTextFault(const QString& dialText) {
    if (dialText.isEmpty())
        return DialTextFault::Empty;
    if (!dialText.startsWith(QLatin1String("AT")) && !dialText.startsWith(QLatin1String("at")))
        return DialTextFault::NotACommand;
    return DialTextFault::None;
}

QByteArray dialCommandBytes(const QString& dialText) {
    if (dialText.isEmpty())
        return QByteArray();
    const QString sent = dialledText(dialText);
    bool unmappable = false;
    QByteArray command = cp1251::encode(sent, &unmappable);
    if (unmappable)
        throw OperationError(QStringLiteral("Номер \"%1\" содержит символы, которых нет в "
                                            "кодировке Windows-1251. Набор отменен.")
                                 .arg(sent));
    command.append(kCarriageReturn);
    return command;
}

} // namespace rt570
