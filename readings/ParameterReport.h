#pragma once

#include <QString>
#include <array>

namespace rt570 {

class RunState;

// "Записать параметры прибора в файл": reads the parameter slots and writes the three tables.
void parameterReport(RunState& session);
// "view_read": the last reply's bytes and figures into the log.
void replyView(RunState& session);
// The names of the parameter slots, filled once at start-up.
void fillParameterNames(std::array<QString, 256>& names);

} // namespace rt570
