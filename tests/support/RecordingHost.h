#pragma once

#include "state/FrontEnd.h"

#include <QStringList>
#include <functional>

namespace rt570::test {

// A front end that records what the core asked of it; onMessagePass runs inside the message
// pass, as a click or timer queued meanwhile would, and stopWhen says whether the pass stops
// the link.
class RecordingHost : public FrontEnd {
public:
    bool processMessages() override {
        ++messagePasses;
        if (onMessagePass)
            onMessagePass();
        return stopWhen && stopWhen();
    }
    void textsChanged() override { ++displayChanges; }
    void showError(const QString& text) override { errors << text; }

    int messagePasses = 0;
    int displayChanges = 0;
    QStringList errors;
    std::function<void()> onMessagePass;
    std::function<bool()> stopWhen;
};

} // namespace rt570::test
