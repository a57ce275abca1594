#include "readings/ParameterReport.h"

#include "link/Frame.h"
#include "readings/ParameterTables.h"
#include "state/FigureSink.h"
#include "state/FloatFigure.h"
#include "state/NumberText.h"
#include "state/OperationStop.h"
#include "state/RunState.h"

#include <cmath>

namespace rt570 {

namespace {

constexpr int kLastSlot = 138;
constexpr int kFirstSkippedSlot = 120;
constexpr int kLastSkippedSlot = 134;
// Reply bytes shown by the reply view.
constexpr int kReplyViewBytes = 12;
// Above this many integer digits the reply view writes the float in exponent notation.
constexpr double kFixedViewLimit = 1e10;
constexpr int kReplyViewDecimals = 4;
// The reply view's "r=" field: a fixed receive word shown beside the reply length.
constexpr int kReceiveWord = 200;

// The printed values this report read, each under the name of its row without the blanks
// that pad it; a slot whose request ran out of attempts, or that was not read after one did,
// is left out.
void reportParameters(RunState& session, const std::array<bool, kValueSectionSize>& answered) {
    std::vector<ParameterFigure> rows;
    for (const PrintedSlot& printed : printedSlots()) {
        if (!answered[size_t(printed.slot)])
            continue;
        // Every parameter is a float on the wire, widened in the value table.
        rows.push_back(
            {printed.slot, session.ParameterNames[size_t(printed.nameSlot)].trimmed(),
             floatFigure(float(session.link.values()[size_t(kParameterSection + printed.slot)]))});
    }
    session.figures->parameters(session.clock(), rows);
}

} // namespace

void fillParameterNames(std::array<QString, 256>& names) {
    names[0] = QStringLiteral("Серийный номер");
    names[1] = QStringLiteral("Пароль на изм.");
    names[2] = QStringLiteral("Пароль на обнул.");
    names[3] = QStringLiteral("Отчетный день");
    names[4] = QStringLiteral("Авт.переход час");
    names[5] = QStringLiteral("Кол.УЗС каналов");
    names[6] = QStringLiteral("Адрес сети");
    names[7] = QStringLiteral("Скорость обмена");
    names[8] = QStringLiteral("DCON");
    names[9] = QStringLiteral("Хорда");
    names[10] = QStringLiteral("G макс., м3/час");
    names[11] = QStringLiteral("G мин., м3/час");
    names[12] = QStringLiteral("Gconst., м3/час");
    names[13] = QStringLiteral("Вн.диаметр   ,мм");
    names[14] = QStringLiteral("База датчиков,мм");
    names[15] = QStringLiteral("Усреднение,с");
    names[16] = QStringLiteral("Cмещение нуля,нс"); // Latin "C"
    names[17] = QStringLiteral("Длина кабеля , м");
    names[18] = QStringLiteral("Коэфф.коррекции");
    names[19] = QStringLiteral("Задержка ПЭП,мкс");
    names[50] = QStringLiteral("Вес импульса   ");
    names[72] = QStringLiteral("Режим счетчика ");
    names[76] = QStringLiteral("Индекс ток. вых.1");
    names[77] = QStringLiteral("Индекс ток. вых.2");
    names[112] = QStringLiteral("Окно УЗС, мкс  ");
    names[116] = QStringLiteral("Ширина УЗС     ");
    names[135] = QStringLiteral("Напряжение УФ  ");
}

void parameterReport(RunState& session) {
    Link& link = session.link;
    link.clearLinkFailed();
    session.display.setCounter = QStringLiteral("n=%1").arg(session.reports.setCounter);
    session.setStatusText(QStringLiteral("Считывание параметров"));
    session.display.memo << QStringLiteral("OK=%1").arg(link.ReceiveResult());
    session.changed();

    std::array<bool, kValueSectionSize> answered{};
    for (int slot = 0; slot <= kLastSlot; ++slot) {
        if (slot < kFirstSkippedSlot || slot > kLastSkippedSlot) {
            answered[size_t(slot)] = link.ReadParameter(uint8_t(slot));
            endIfStopped(link);
        }
        if (link.LinkFailed())
            break;
        session.setProgress(slot * 100 / kLastSlot);
    }
    if (session.figures)
        reportParameters(session, answered);

    ReportFile& file = session.reports.file(Report::Parameters);
    for (const QString& line : parameterReportLines(link.values(), session.ParameterNames))
        file.appendLine(line);
    file.flush();

    session.setStatusText(QStringLiteral("Параметры записаны"));
}

void replyView(RunState& session) {
    const Link& link = session.link;
    QStringList& memo = session.display.memo;
    for (int i = 0; i < kReplyViewBytes; ++i)
        memo << QString::number(link.replyBuffer()[size_t(i)]);
    memo << QStringLiteral("l=%1").arg(kFrameLength);
    memo << QStringLiteral("r=%1").arg(kReceiveWord);
    const double value = double(link.replyFloat());
    QString text;
    if (std::isfinite(value) && std::fabs(value) >= kFixedViewLimit) {
        text = QString::number(value, 'E', kReplyViewDecimals);
        text.replace(QLatin1Char('.'), decimalSeparator());
    } else {
        text = formatFixed(value, 0, kReplyViewDecimals);
    }
    memo << QStringLiteral("f=") + text;
    memo << QStringLiteral("ret=%1").arg(link.ReceiveResult());
    memo << QStringLiteral("kc__=%1").arg(link.ReplySum());
    session.changed();
}

} // namespace rt570
