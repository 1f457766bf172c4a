#include "support/ProgramRun.h"

#include <QDeadlineTimer>

// Reading every shortcut of the corpus under AddressSanitizer takes a while.
constexpr int runTimeoutMilliseconds = 120000;

ProgramRun ProgramRun::of(QProcess& process)
{
    ProgramRun run;
    if (process.error() == QProcess::FailedToStart) {
        run.errors = process.errorString();
        return run;
    }
    if (process.exitStatus() == QProcess::NormalExit)
        run.exitCode = process.exitCode();
    run.output = QString::fromUtf8(process.readAllStandardOutput());
    run.errors = QString::fromUtf8(process.readAllStandardError());
    return run;
}

ProgramRun runProgram(const QString& program, const QStringList& arguments,
    const QProcessEnvironment& environment, const std::function<void()>& childModifier)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    if (childModifier)
        process.setChildProcessModifier(childModifier);
    process.start(program, arguments);
    if (!process.waitForFinished(runTimeoutMilliseconds)) {
        process.kill();
        process.waitForFinished();
    }
    return ProgramRun::of(process);
}

bool waitForLine(QProcess& process, const QString& line, int timeoutMilliseconds)
{
    const QDeadlineTimer deadline(timeoutMilliseconds);
    while (!deadline.hasExpired()) {
        while (process.canReadLine()) {
            if (QString::fromUtf8(process.readLine()).trimmed() == line)
                return true;
        }
        if (process.state() == QProcess::NotRunning)
            return false;
        process.waitForReadyRead(static_cast<int>(deadline.remainingTime()));
    }
    return false;
}
