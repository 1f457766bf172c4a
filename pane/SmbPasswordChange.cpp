#include "SmbPasswordChange.h"

#include "platform/SystemLog.h"

#include <QStringEncoder>

SmbPasswordChange::SmbPasswordChange(QString program, QObject* parent)
    : QObject(parent)
    , m_program(std::move(program))
{
    m_watchdog.setSingleShot(true);
    m_watchdog.setInterval(kWatchdogTime);
    connect(&m_watchdog, &QTimer::timeout, this, &SmbPasswordChange::watchdogExpired);
    m_startFailureReport.setSingleShot(true);
    m_startFailureReport.setInterval(0);
    connect(&m_startFailureReport, &QTimer::timeout, this,
        [this] { finish(Failure {m_startFailure}); });
}

SmbPasswordChange::~SmbPasswordChange()
{
    if (m_process) {
        m_process->disconnect(this);
        m_process->kill();
        m_process->waitForFinished(1000);
    }
}

QStringList SmbPasswordChange::arguments(const QString& server, const QString& user)
{
    return {QStringLiteral("-r"), server, QStringLiteral("-U"), user, QStringLiteral("-s")};
}

Result<QByteArray> SmbPasswordChange::standardInput(const Request& request)
{
    const Failure invalid {QStringLiteral("Invalid Characters in Password")};
    QStringEncoder encoder(QStringEncoder::Utf8, QStringConverter::Flag::Stateless);
    QByteArray input;
    for (const QString* password :
        {&request.oldPassword, &request.newPassword, &request.verifyPassword}) {
        if (password->contains(QLatin1Char('\n')) || password->contains(QLatin1Char('\r'))
            || password->contains(QChar(0)))
            return invalid;
        input += encoder.encode(*password);
        input += '\n';
    }
    if (encoder.hasError())
        return invalid;
    return input;
}

Result<void> SmbPasswordChange::start(const Request& request)
{
    if (m_process)
        return Failure {QStringLiteral("A password change is already running.")};
    Result<QByteArray> input = standardInput(request);
    if (!input)
        return input.failure();
    m_process = std::make_unique<QProcess>();
    // Its output goes where the window's goes; its errors are the message to show.
    m_process->setProcessChannelMode(QProcess::ForwardedOutputChannel);
    connect(m_process.get(), &QProcess::finished, this, &SmbPasswordChange::processFinished);
    connect(m_process.get(), &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            processFailedToStart();
    });
    m_process->start(m_program, arguments(request.server, request.user));
    if (m_process->state() != QProcess::NotRunning) {
        m_process->write(*input);
        m_process->closeWriteChannel();
        m_watchdog.start();
    }
    input->fill('\0');
    return {};
}

void SmbPasswordChange::processFinished(int exitCode, QProcess::ExitStatus exitStatus)
{
    const QString errors = QString::fromUtf8(m_process->readAllStandardError());
    if (exitStatus == QProcess::NormalExit && exitCode == 0) {
        finish({});
        return;
    }
    if (!errors.isEmpty()) {
        finish(Failure {errors});
        return;
    }
    finish(Failure {exitStatus == QProcess::NormalExit
            ? QStringLiteral("%1 ended with status %2 and gave no reason.")
                  .arg(m_program)
                  .arg(exitCode)
            : QStringLiteral("%1 ended abnormally.").arg(m_program)});
}

void SmbPasswordChange::processFailedToStart()
{
    const QString reason =
        QStringLiteral("%1 could not be started: %2").arg(m_program, m_process->errorString());
    SystemLog::write(QStringLiteral("Caught Exception: %1").arg(reason));
    // Reported from the event loop: QProcess reports this inside start(), before the
    // caller has heard that the change began.
    m_startFailure = reason;
    m_startFailureReport.start();
}

void SmbPasswordChange::watchdogExpired()
{
    if (!m_process)
        return;
    m_process->disconnect(this);
    m_process->kill();
    m_process->waitForFinished(1000);
    finish(Failure {QStringLiteral("%1 did not finish within %2 seconds and was stopped.")
                        .arg(m_program)
                        .arg(kWatchdogTime.count())});
}

void SmbPasswordChange::finish(const Result<void>& outcome)
{
    m_watchdog.stop();
    // The process object may be the sender of the signal being handled.
    if (QProcess* process = m_process.release())
        process->deleteLater();
    Q_EMIT finished(outcome);
}
