#include "session/Session.h"

#include "link/Host.h"
#include "link/OperationError.h"
#include "readings/OpeningRead.h"

namespace rt570 {

bool Session::runOperation(const std::function<void()>& operation) {
    if (m_busy)
        return false;
    m_busy = true;
    try {
        operation();
    } catch (const OperationError& error) {
        m_busy = false;
        host().showError(error.message());
    } catch (...) {
        m_busy = false;
        throw;
    }
    m_busy = false;
    if (m_openingReadPending) {
        m_openingReadPending = false;
        runOperation([this] { openingRead(*this); });
    }
    return true;
}

void Session::requestOpeningRead() {
    if (m_busy) {
        m_openingReadPending = true;
        return;
    }
    runOperation([this] { openingRead(*this); });
}

} // namespace rt570
