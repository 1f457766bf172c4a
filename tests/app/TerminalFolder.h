#pragma once

#include "support/Eventually.h"
#include "support/Files.h"
#include "support/ProgramRun.h"
#include "support/QtPrinters.h"

#include <QCoreApplication>
#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>

// A temporary folder a terminal without a display works in, with settings of its own.
class TerminalFolder : public QTemporaryDir {
public:
    // Writes the file and returns its absolute path.
    QString write(const QString& name, const QByteArray& bytes) const
    {
        return writeFile(QDir(path()).absoluteFilePath(name), bytes);
    }

    // Runs kestrova here to its end (a minute at most) while this process's event loop
    // turns, so that an instance the test serves itself can answer it. Without a bus
    // address given, the session bus is one that cannot be reached.
    ProgramRun kestrova(const QStringList& arguments, const QString& busAddress = {},
        const QProcessEnvironment& extra = {}) const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("DISPLAY"));
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
            busAddress.isEmpty() ? QStringLiteral("unix:path=/nonexistent") : busAddress);
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), filePath(QStringLiteral("config")));
        environment.insert(extra);
        QProcess process;
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(path());
        process.start(QStringLiteral(KESTROVA_BINARY), arguments);
        const auto ended = [&] {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
            return process.state() == QProcess::NotRunning;
        };
        if (!eventually(ended, std::chrono::minutes(1))) {
            ADD_FAILURE() << "kestrova " << arguments.join(u' ').toStdString() << " did not end";
            process.kill();
            process.waitForFinished();
        }
        return ProgramRun::of(process);
    }
};

// A name as a stranger's share may give it: a terminal title sequence, DEL, a C1 control,
// a newline and a right-to-left override that shows "txt.lnk" reversed; and as it is shown.
inline const QString hostileName = QStringLiteral("a\x1b]0;owned\x07\x7f\u0085\n\u202Etxt.lnk");
inline const QString escapedHostileName =
    QStringLiteral("a\\u001b]0;owned\\u0007\\u007f\\u0085\\u000a\\u202etxt.lnk");
inline const QRegularExpression rawControls(
    QStringLiteral("[\\x00-\\x09\\x0b-\\x1f\\x7f-\\x9f\\x{202a}-\\x{202e}\\x{2066}-\\x{2069}]"));
