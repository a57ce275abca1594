#pragma once

#include <QString>

namespace rt570 {

// How one operation run through the session's guard ended: the one outcome every front end
// reads, whatever ended it.
struct OperationResult {
    enum class Kind {
        Done,    // it ran to its end (a request may still have gone unanswered: the link counts)
        Refused, // another operation was running: it did not start
        Failed,  // an error ended it; `message` is the error, already shown by the front end
        Stopped, // the front end stopped its link during a request (the device or the call went
                 // away, the program was told to stop, the window closed)
    };

    Kind kind = Kind::Done;
    QString message;

    bool done() const { return kind == Kind::Done; }
    bool refused() const { return kind == Kind::Refused; }
    bool failed() const { return kind == Kind::Failed; }
    bool stopped() const { return kind == Kind::Stopped; }
};

} // namespace rt570
