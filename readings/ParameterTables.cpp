#include "readings/ParameterTables.h"

#include "link/Protocol.h"
#include "state/NumberText.h"

namespace rt570 {

namespace {

// Channel and additional rows: 67 blanks, the name at column 1, value fields at columns 20, 32,
// 44 and 56, a bar at 68. General rows: 30 blanks, the name, one field at 20, a bar at 30.
constexpr int kWideRowLength = 67;
constexpr int kGeneralRowLength = 30;
constexpr int kNameColumn = 1;
constexpr std::array<int, 4> kFieldColumns{20, 32, 44, 56};
constexpr int kWideBarColumn = 68;
constexpr int kGeneralBarColumn = 30;

struct ChannelRow {
    int slot; // of channel 1; channel k is slot + 10*(k-1)
    int width;
    int precision;
};
constexpr std::array<ChannelRow, 10> kChannelRows{{{10, 7, 1},
                                                   {11, 8, 2},
                                                   {12, 8, 2},
                                                   {13, 7, 2},
                                                   {14, 7, 2},
                                                   {15, 3, 0},
                                                   {16, 7, 2},
                                                   {17, 6, 2},
                                                   {18, 7, 5},
                                                   {19, 5, 3}}};

struct GeneralRow {
    int slot;
    int width; // always with 0 decimals
};
constexpr std::array<GeneralRow, 12> kGeneralRows{{{0, 7},
                                                   {1, 4},
                                                   {2, 2},
                                                   {3, 3},
                                                   {4, 2},
                                                   {5, 7},
                                                   {6, 7},
                                                   {7, 6},
                                                   {8, 6},
                                                   {9, 2},
                                                   {76, 7},
                                                   {77, 7}}};

// Additional rows: the values of slots slot..slot+3 in columns №1 to №4.
struct AdditionalRow {
    int slot;
    std::array<int, 4> widths;
    std::array<int, 4> precisions;
};
constexpr std::array<AdditionalRow, 5> kAdditionalRows{{{50, {0, 8, 6, 5}, {1, 1, 2, 3}},
                                                        {112, {5, 5, 5, 5}, {0, 0, 0, 0}},
                                                        {116, {5, 5, 5, 5}, {0, 0, 0, 0}},
                                                        {135, {7, 7, 7, 7}, {3, 3, 3, 3}},
                                                        {72, {7, 7, 7, 7}, {4, 4, 4, 4}}}};

const QString kChannelTitle =
    QStringLiteral("                         КАНАЛЫ ОБЬЕМНОГО РАСХОДА                   ");
const QString kColumnHeader =
    QStringLiteral("                   |    №1     |     №2    |    №3     |    №4     |");
const QString kGeneralTitle = QStringLiteral("         ОБЩИЕ ПАРАМЕТРЫ      ");
const QString kAdditionalTitle = QStringLiteral("         ДОПОЛНИТЕЛЬНЫЕ ПАРАМЕТРЫ      ");

QString field(double value, int width, int precision) {
    return QStringLiteral("| ") + formatFixedLeft(value, width, precision);
}

QString wideRow(const QString& name, const std::array<QString, 4>& fields) {
    QString line(kWideRowLength, QLatin1Char(' '));
    overwriteAt(line, kNameColumn, name);
    for (size_t c = 0; c < fields.size(); ++c)
        overwriteAt(line, kFieldColumns[c], fields[c]);
    overwriteAt(line, kWideBarColumn, QStringLiteral("|"));
    return line;
}

QString generalRow(const ValueTable& values, const QString& name, const GeneralRow& row) {
    QString line(kGeneralRowLength, QLatin1Char(' '));
    overwriteAt(line, kNameColumn, name);
    const double value = values[size_t(row.slot)];
    overwriteAt(line, kFieldColumns[0], field(value, row.width, 0));
    QString bar = QStringLiteral("|");
    if (row.slot == kChordSlot)
        bar = value == 0 ? QStringLiteral("| однолучевой") : QStringLiteral("| двухлучевой");
    overwriteAt(line, kGeneralBarColumn, bar);
    return line;
}

} // namespace

void overwriteAt(QString& line, int column, const QString& piece) {
    const qsizetype position = column - 1;
    if (line.size() < position)
        line.resize(position, QLatin1Char(' '));
    line.replace(position, piece.size(), piece);
}

QStringList parameterReportLines(const ValueTable& values, const std::array<QString, 256>& names) {
    QStringList lines;
    lines << kChannelTitle << kColumnHeader;
    for (const ChannelRow& row : kChannelRows) {
        std::array<QString, 4> fields;
        for (size_t k = 0; k < fields.size(); ++k)
            fields[k] =
                field(values[size_t(row.slot) + k * kChannelSlotStep], row.width, row.precision);
        lines << wideRow(names[size_t(row.slot)], fields);
    }
    lines << QStringLiteral(" ") << kGeneralTitle;
    for (const GeneralRow& row : kGeneralRows)
        lines << generalRow(values, names[size_t(row.slot)], row);
    lines << kAdditionalTitle << kColumnHeader;
    for (const AdditionalRow& row : kAdditionalRows) {
        std::array<QString, 4> fields;
        for (size_t k = 0; k < fields.size(); ++k)
            fields[k] = field(values[size_t(row.slot) + k], row.widths[k], row.precisions[k]);
        lines << wideRow(names[size_t(row.slot)], fields);
    }
    return lines;
}

std::vector<PrintedSlot> printedSlots() {
    std::vector<PrintedSlot> result;
    for (const ChannelRow& row : kChannelRows)
        for (int k = 0; k < kChannels; ++k)
            result.push_back({row.slot + k * kChannelSlotStep, row.slot});
    for (const GeneralRow& row : kGeneralRows)
        result.push_back({row.slot, row.slot});
    for (const AdditionalRow& row : kAdditionalRows)
        for (int k = 0; k < int(row.widths.size()); ++k)
            result.push_back({row.slot + k, row.slot});
    return result;
}

} // namespace rt570
