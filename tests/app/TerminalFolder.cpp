#include "TerminalFolder.h"

#include "support/Eventually.h"
#include "support/Files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

QString TerminalFolder::write(const QString& name, const QByteArray& bytes) const
{
    return writeFile(QDir(path()).absoluteFilePath(name), bytes);
}

ProgramRun TerminalFolder::kestrova(
    const QStringList& arguments, const QString& busAddress, const QProcessEnvironment& extra) const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(u"DISPLAY"_s);
    environment.remove(u"WAYLAND_DISPLAY"_s);
    environment.insert(u"DBUS_SESSION_BUS_ADDRESS"_s,
        busAddress.isEmpty() ? u"unix:path=/nonexistent"_s : busAddress);
    environment.insert(u"XDG_CONFIG_HOME"_s, filePath(u"config"_s));
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
