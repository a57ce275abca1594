#pragma once

#include <QByteArray>
#include <QString>

namespace rt570 {

// The error number the window shows for a write to a file that is not open.
constexpr int kFileNotOpenError = 103;

// Message of a failed create: "Invalid filename" when the folder is missing (or a part of the
// path is not a folder, or the name is too long), "File access denied" when access is refused
// (also for a name that is a folder), else "I/O error N" with the system's error number.
QString createErrorText(int systemError);
// Message of a failed write: "I/O error N".
QString ioErrorText(int systemError);
// The Windows-1251 bytes of a report text; a character the code page cannot hold becomes '?'.
QByteArray reportBytes(const QString& text);

// One report file: opened by the opening read, appended to line by line by the reports, closed
// by Stop. Lines are written as Windows-1251 bytes followed by CR LF, each one straight to
// the system (no buffer of our own), so every line that was reported written is in the file.
// Errors throw OperationError with the window's message texts.
class ReportFile {
public:
    ReportFile() = default;
    ReportFile(const ReportFile&) = delete;
    ReportFile& operator=(const ReportFile&) = delete;
    ~ReportFile();

    // Opens the file for appending, creating it empty when it does not exist; a file of that
    // name keeps what it holds and the new lines follow it (a second set of the same minute
    // adds to the first). A file this object held open before is closed first, as close()
    // does. Errors as createErrorText().
    void create(const QString& path);
    // Appends one line; "I/O error 103" when the file is not open, "I/O error N" when the system
    // refuses the write (N = 28 on a full disk); after a failed write the lines before it are
    // flushed to disk.
    void appendLine(const QString& text);
    // Makes what was written durable on disk ("I/O error N" when the system reports a failed
    // write-back). Nothing to do when the file is not open.
    void flush();
    // Makes what was written durable on disk and closes the file; "I/O error 103" when it is not
    // open, "I/O error N" when the write-back or the close fails (the file is closed all the
    // same).
    void close();
    bool isOpen() const { return m_fd >= 0; }
    const QString& path() const { return m_path; }

private:
    // Syncs and closes the file when it is open; the system's error number of the first step
    // that failed, else 0. The file counts as closed afterwards either way.
    int release();

    int m_fd = -1;
    QString m_path;
};

} // namespace rt570
