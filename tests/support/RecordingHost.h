#pragma once

#include "link/Host.h"

#include <QStringList>
#include <functional>

namespace rt570::test {

// A host that records what the core asked of it; onMessagePass runs inside the message pass,
// as a click or timer queued meanwhile would.
class RecordingHost : public Host {
public:
    void processMessages() override {
        ++messagePasses;
        if (onMessagePass)
            onMessagePass();
    }
    void displayChanged() override { ++displayChanges; }
    void showError(const QString& text) override { errors << text; }

    int messagePasses = 0;
    int displayChanges = 0;
    QStringList errors;
    std::function<void()> onMessagePass;
};

} // namespace rt570::test
