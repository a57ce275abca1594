#pragma once

#include <cstdint>

namespace rt570 {

// What the clock request read: the date code and the seconds from the reply buffer, whether
// or not the meter answered (after a silent line they hold the buffer's pre-fill).
struct ClockReply {
    bool answered = false;
    uint32_t dateCode = 0;
    uint8_t seconds = 0;
};

} // namespace rt570
