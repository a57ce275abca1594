#pragma once

namespace rt570 {

// What the link needs from the front end that runs it (the window, the command line, a test):
// its hook between a request's send and its reply read.
class Host {
public:
    virtual ~Host() = default;

    // One pass over the front end's waiting events: the only point inside a request where the
    // front end reacts (timers, clicks, a lost device, a signal). Called between a request's
    // send and its reply read. True asks the link to stop: the request ends there unanswered,
    // with no reply read and no more attempts, and the link sends nothing more until the next
    // operation.
    virtual bool processMessages() = 0;
};

// A host that does nothing and never stops: for code paths that run without a front end.
class NullHost : public Host {
public:
    bool processMessages() override { return false; }
};

} // namespace rt570
