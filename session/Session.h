#pragma once

#include "session/OperationResult.h"
#include "state/RunState.h"

#include <functional>

namespace rt570 {

// One run of the tool as its front ends drive it: the run's state and the guard that lets one
// operation with requests run at a time. The window and the command line each own one.
class Session : public RunState {
public:
    using RunState::RunState;

    // Runs an operation that makes requests, unless one is already running (a click that arrives
    // during another operation's message pass is refused). An error that ends the operation is
    // shown through the front end and comes back as Failed; an operation whose link the front
    // end stopped comes back as Stopped.
    OperationResult runOperation(const std::function<void()>& operation);
    bool busy() const { return m_busy; }
    // Asks for the opening read: runs it now when idle, else as soon as the running operation
    // ends (unless that one was stopped).
    void requestOpeningRead();
    bool openingReadPending() const { return m_openingReadPending; }
    // Drops an opening read asked for while busy (Stop).
    void cancelOpeningRead() { m_openingReadPending = false; }

private:
    OperationResult guarded(const std::function<void()>& operation);

    bool m_busy = false;
    bool m_openingReadPending = false;
};

} // namespace rt570
