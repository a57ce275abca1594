#pragma once

#include "link/Host.h"

#include <QString>

namespace rt570 {

// What the operations and the session need from the front end that runs them (the window, the
// command line, a test), beyond the link's message pass.
class FrontEnd : public Host {
public:
    // Something in the run's texts changed: status text, progress, labels, the log.
    virtual void textsChanged() = 0;
    // An error that ended an operation, for the user to see (the window's message box, the
    // command line's stderr).
    virtual void showError(const QString& text) = 0;
};

} // namespace rt570
