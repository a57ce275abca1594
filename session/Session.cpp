#include "session/Session.h"

#include "link/OperationError.h"
#include "readings/OpeningRead.h"
#include "state/FrontEnd.h"
#include "state/OperationStop.h"

namespace rt570 {

OperationResult Session::runOperation(const std::function<void()>& operation) {
    if (m_busy)
        return {OperationResult::Kind::Refused, QString()};
    const OperationResult result = guarded(operation);
    if (result.failed())
        frontEnd().showError(result.message);
    if (result.stopped())
        m_openingReadPending = false; // the line is gone: no opening read on it
    if (m_openingReadPending) {
        m_openingReadPending = false;
        runOperation([this] { openingRead(*this); });
    }
    return result;
}

// Runs the operation with the guard held and the link ready to send; the guard is released
// before the result is shown, so that a click during the error's message box is not refused.
OperationResult Session::guarded(const std::function<void()>& operation) {
    m_busy = true;
    link.resume();
    OperationResult result;
    try {
        operation();
        if (link.stopped())
            result.kind = OperationResult::Kind::Stopped;
    } catch (const OperationError& error) {
        result = {OperationResult::Kind::Failed, error.message()};
    } catch (const OperationStopped&) {
        result.kind = OperationResult::Kind::Stopped;
    } catch (...) {
        m_busy = false;
        throw;
    }
    m_busy = false;
    return result;
}

void Session::requestOpeningRead() {
    if (m_busy) {
        m_openingReadPending = true;
        return;
    }
    runOperation([this] { openingRead(*this); });
}

} // namespace rt570
