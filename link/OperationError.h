#pragma once

#include <QString>
#include <stdexcept>

namespace rt570 {

// An error that ends the running operation and is shown in the window's message box
// ("I/O error 103", "Invalid filename", "'abc' is not a valid integer value").
class OperationError : public std::runtime_error {
public:
    explicit OperationError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString& message() const { return m_message; }

private:
    QString m_message;
};

} // namespace rt570
