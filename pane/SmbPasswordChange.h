#pragma once

#include "platform/Result.h"

#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <chrono>
#include <memory>

// Changes a user's password on an SMB server with the system's password program:
// smbpasswd -r SERVER -U USER -s, started directly (never through a shell), the old
// password, the new one and the new one again as three lines on its standard input,
// which is closed after them. The passwords never appear on a command line.
//
// The program runs while the event loop turns; finished() reports its outcome: success,
// or the program's own error text as it stands. It ends by itself when the server does
// not answer; should it hang beyond its own time-outs, it is stopped after
// kWatchdogTime.
class SmbPasswordChange : public QObject {
    Q_OBJECT

public:
    static constexpr const char* kProgram = "/usr/bin/smbpasswd";
    static constexpr std::chrono::seconds kWatchdogTime {90};

    struct Request {
        QString server;
        QString user;
        QString oldPassword;
        QString newPassword;
        QString verifyPassword;
    };

    explicit SmbPasswordChange(
        QString program = QString::fromLatin1(kProgram), QObject* parent = nullptr);
    ~SmbPasswordChange() override;

    // "-r", the server, "-U", the user, "-s": the texts as they stand.
    static QStringList arguments(const QString& server, const QString& user);
    // The three lines, UTF-8. Fails with "Invalid Characters in Password" for a text
    // that UTF-8 cannot hold or that holds a line break or NUL, which would shift the
    // lines and set another password than the one typed.
    static Result<QByteArray> standardInput(const Request& request);

    // Starts the program; fails at once when the input is refused or a change runs.
    Result<void> start(const Request& request);
    bool isRunning() const { return m_process != nullptr; }

Q_SIGNALS:
    void finished(const Result<void>& outcome);

private:
    void processFinished(int exitCode, QProcess::ExitStatus exitStatus);
    void processFailedToStart();
    void watchdogExpired();
    void finish(const Result<void>& outcome);

    QString m_program;
    std::unique_ptr<QProcess> m_process;
    QTimer m_watchdog;
    QString m_startFailure;
    QTimer m_startFailureReport;
};
