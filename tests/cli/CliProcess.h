#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <gtest/gtest.h>

namespace rt570::cli::test {

inline QString binary(const char* name) {
    return QStringLiteral(RT570_BINARY_DIR "/") + QLatin1String(name);
}

// The simulator executable on a pseudo-terminal, linked as `link`; ended when destroyed.
class SimProcess {
public:
    explicit SimProcess(QStringList arguments, const QString& link) {
        arguments << QStringLiteral("--link") << link;
        m_process.start(binary("rt570-sim"), arguments);
        // It prints the terminal's path once the link is in place.
        if (m_process.waitForStarted(5000) && m_process.waitForReadyRead(5000))
            m_path = QString::fromUtf8(m_process.readLine()).trimmed();
    }
    ~SimProcess() {
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
        m_process.waitForFinished(5000);
    }
    bool running() const { return !m_path.isEmpty(); }
    const QString& terminal() const { return m_path; }

private:
    QProcess m_process;
    QString m_path;
};

// What one run of rt570-cli left.
struct CliResult {
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs rt570-cli with RT570_HOME = `home` and the regional settings `locale`; no progress
// (stderr is not a terminal here).
inline CliResult runCli(const QStringList& arguments, const QString& home,
                        const QString& locale = QStringLiteral("C"), int timeoutMs = 600000) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("RT570_HOME"), home);
    environment.insert(QStringLiteral("LC_ALL"), locale);
    process.setProcessEnvironment(environment);
    process.start(binary("rt570-cli"), arguments);
    CliResult result;
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        ADD_FAILURE() << "rt570-cli did not end";
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

} // namespace rt570::cli::test
