#pragma once

#include "link/Link.h"

namespace rt570 {

// Ends an operation whose link the front end stopped during a request (the device or the call
// went away, the program was told to stop, the window closed): thrown by the operation, caught
// by the session's guard, which reports the operation as stopped.
struct OperationStopped {};

// After a request: ends the operation when its link was stopped, so that nothing more is
// written from replies that never came.
inline void endIfStopped(const Link& link) {
    if (link.stopped())
        throw OperationStopped{};
}

} // namespace rt570
