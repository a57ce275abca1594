#pragma once

#include <QString>

namespace rt570 {

// What the core needs from the front end that runs it (the window, the command line, a test).
class Host {
public:
    virtual ~Host() = default;

    // One pass over the front end's waiting events: the only point inside a request where the
    // window reacts (timers, clicks). Called between a request's send and its reply read.
    virtual void processMessages() = 0;
    // Something in the Display changed: status text, progress, labels, the log.
    virtual void displayChanged() = 0;
    // The window's standard message box for an error that ends an operation.
    virtual void showError(const QString& text) = 0;
};

// A host that does nothing: for code paths that run without a front end.
class NullHost : public Host {
public:
    void processMessages() override {}
    void displayChanged() override {}
    void showError(const QString&) override {}
};

} // namespace rt570
