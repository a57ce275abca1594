#pragma once

#include <QString>

namespace rt570 {

// One report file: created empty by the opening read, appended to line by line by the reports,
// closed by Stop. Lines are written as Windows-1251 bytes followed by CR LF, each one straight to
// the system (no buffer of our own), so every line that was reported written is in the file.
// Errors throw OperationError with the window's message texts.
class ReportFile {
public:
    ReportFile() = default;
    ReportFile(const ReportFile&) = delete;
    ReportFile& operator=(const ReportFile&) = delete;
    ~ReportFile();

    // Creates (or empties) the file and keeps it open for appending. "Invalid filename" when the
    // folder is missing, "File access denied" when access is refused, else "I/O error N".
    void create(const QString& path);
    // Appends one line; "I/O error 103" when the file is not open.
    void appendLine(const QString& text);
    // Makes what was written durable on disk.
    void flush();
    // Closes the file; "I/O error 103" when it is not open.
    void close();
    bool isOpen() const { return m_fd >= 0; }
    const QString& path() const { return m_path; }

private:
    int m_fd = -1;
    QString m_path;
};

} // namespace rt570
