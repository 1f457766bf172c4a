#include "EndToEndTest.h"

#include "support/Eventually.h"
#include "support/FileServer.h"
#include "support/Files.h"
#include "support/ShellLinkWriter.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QRegularExpression>
#include <QThread>

#include <unistd.h>

#include <csignal>

using namespace Qt::StringLiterals;

namespace {

std::optional<QString> missingHarness()
{
    if (!FileServer::isRunning() || !FileServer::guestShares().contains(u"share"_s))
        return QStringLiteral("needs the file server with the guest share \"share\": run under "
                              "tests/harness/with-file-server (as root)");
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return u"needs an X server: run under tests/harness/with-xvfb"_s;
    const ProgramRun xprop = runProgram(u"xprop"_s, {u"-root"_s, u"_NET_SUPPORTING_WM_CHECK"_s});
    if (!xprop.output.contains(u"window id"_s))
        return u"needs a window manager: run under tests/harness/with-desktop"_s;
    return std::nullopt;
}

std::optional<quint32> xdotoolNumber(const QStringList& arguments)
{
    bool valid = false;
    const quint32 number =
        runProgram(u"xdotool"_s, arguments).output.trimmed().section(u'\n', 0, 0).toUInt(&valid);
    return valid ? std::optional(number) : std::nullopt;
}

std::optional<quint32> waitForWindow(const QString& title)
{
    const QString pattern = u'^' + QRegularExpression::escape(title) + u'$';
    std::optional<quint32> window;
    eventually(
        [&] {
            window = xdotoolNumber({u"search"_s, u"--onlyvisible"_s, u"--name"_s, pattern});
            return window.has_value();
        },
        std::chrono::seconds(20));
    return window;
}

bool becomesActive(quint32 window)
{
    return eventually(
        [&] { return xdotoolNumber({u"getactivewindow"_s}) == window; }, std::chrono::seconds(10));
}

void press(const QString& key)
{
    runProgram(u"xdotool"_s, {u"key"_s, key});
}

}

void EndToEndTest::SetUp()
{
    if (const std::optional<QString> missing = missingHarness())
        GTEST_SKIP() << missing->toStdString();
    ASSERT_TRUE(m_desktop.isValid());
    ASSERT_TRUE(m_work.isValid());
    FileServer::unmountEverything();
    // Empties the share in place: the server keeps its folder and the folder's modes.
    QDir folder(FileServer::shareFolder(kShare));
    for (const QFileInfo& entry :
        folder.entryInfoList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden | QDir::System))
        ASSERT_TRUE(entry.isDir() && !entry.isSymLink() ? QDir(entry.filePath()).removeRecursively()
                                                        : QFile::remove(entry.filePath()));
}

void EndToEndTest::TearDown()
{
    for (const std::unique_ptr<QProcess>& process : m_processes) {
        process->terminate();
        if (!process->waitForFinished(5000))
            process->kill(); // the destructor waits for it
    }
    for (const QJsonObject& record : viewerRecords()) {
        if (const auto pid = pid_t(record.value(u"pid"_s).toInteger()); pid > 1)
            ::kill(pid, SIGTERM);
    }
    // Nothing a user does here throws: every kestrova of the test logged no exception.
    QFile exceptionLog(m_desktop.root() + u"/state/kestrova/exceptions.log"_s);
    if (exceptionLog.open(QIODevice::ReadOnly))
        ADD_FAILURE() << "exceptions were logged:\n" << exceptionLog.readAll().toStdString();
}

void EndToEndTest::putOnShare(const QString& relativePath, const QByteArray& contents)
{
    const QString path = FileServer::shareFolder(kShare) + u'/' + relativePath;
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
    writeFile(path, contents);
}

QString EndToEndTest::mountedPath(const QString& relativePath)
{
    return FileServer::gvfsFolder(kShare).value_or(u"(not mounted)"_s) + QLatin1Char('/')
        + relativePath;
}

QString EndToEndTest::writeFile(const QString& name, const QByteArray& contents)
{
    return ::writeFile(QDir(m_work.path()).filePath(name), contents);
}

QString EndToEndTest::writeShortcut(const QString& name, const QString& suffix)
{
    return writeFile(name,
        ShellLinkWriter::write({.netName = "\\\\127.0.0.1\\share",
            .commonPathSuffix = suffix.toLatin1(),
            .commonPathSuffixUnicode = suffix}));
}

bool EndToEndTest::holdSelection(
    const QString& selection, const QString& type, const QByteArray& data)
{
    QProcess& xclip = *m_processes.emplace_back(std::make_unique<QProcess>());
    xclip.start(u"xclip"_s, {u"-quiet"_s, u"-selection"_s, selection, u"-t"_s, type, u"-i"_s});
    if (!xclip.waitForStarted())
        return false;
    xclip.write(data);
    xclip.waitForBytesWritten();
    xclip.closeWriteChannel();
    return eventually(
        [&] { return readSelection(selection, type).toUtf8() == data; }, std::chrono::seconds(10));
}

void EndToEndTest::addViewerType(const QString& contentType)
{
    QFile list(m_desktop.root() + u"/config/mimeapps.list"_s);
    ASSERT_TRUE(list.open(QIODevice::Append));
    list.write(contentType.toUtf8() + '=' + PrivateDesktop::kViewerId + '\n');
}

QProcess& EndToEndTest::start(
    const QStringList& arguments, QProcessEnvironment environment, bool ownSession)
{
    QProcess& process = *m_processes.emplace_back(std::make_unique<QProcess>());
    if (ownSession)
        process.setChildProcessModifier([] { ::setsid(); });
    process.setProcessEnvironment(environment.isEmpty() ? m_desktop.environment() : environment);
    process.setWorkingDirectory(m_work.path());
    process.start(QStringLiteral(KESTROVA_BINARY), arguments);
    EXPECT_TRUE(process.waitForStarted()) << process.errorString().toStdString();
    return process;
}

QProcess& EndToEndTest::startWithoutDisplay(const QStringList& arguments)
{
    QProcessEnvironment terminal = m_desktop.environment();
    terminal.remove(u"DISPLAY"_s);
    terminal.remove(u"WAYLAND_DISPLAY"_s);
    // A session of its own has no controlling terminal: a password question would
    // otherwise reach the terminal the tests were started from.
    return start(arguments, terminal, true);
}

ProgramRun EndToEndTest::finish(QProcess& process)
{
    if (!process.waitForFinished(60000)) {
        ADD_FAILURE() << "kestrova " << process.arguments().join(QLatin1Char(' ')).toStdString()
                      << " did not end";
        process.kill();
        process.waitForFinished();
    }
    return ProgramRun::of(process);
}

std::optional<qint64> EndToEndTest::instanceProcess()
{
    const QDBusReply<uint> pid =
        QDBusConnection::sessionBus().interface()->servicePid(u"com.dovrane.Kestrova"_s);
    return pid.isValid() ? std::optional(qint64(pid.value())) : std::nullopt;
}

QStringList EndToEndTest::viewerArguments(qsizetype count) const
{
    QList<QJsonObject> records;
    eventually(
        [&] { return (records = viewerRecords()).size() >= count; }, std::chrono::seconds(20));
    QStringList arguments;
    for (const auto& argument : records.value(count - 1).value(u"arguments"_s).toArray())
        arguments << argument.toString();
    return arguments;
}

void EndToEndTest::dismissWindow(const QString& title)
{
    const std::optional<quint32> window = waitForWindow(title);
    ASSERT_TRUE(window) << "no window titled \"" << title.toStdString() << "\"";
    EXPECT_TRUE(becomesActive(*window)) << "\"" << title.toStdString() << "\" is not in front";
    press(u"Return"_s);
}

void EndToEndTest::expectAlert(QProcess& command, const QString& title, const QString& message)
{
    dismissWindow(title);
    const ProgramRun result = finish(command);
    const QString line = title + u": "_s + message;
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_TRUE(result.errors.contains(line + QLatin1Char('\n')))
        << "expected \"" << line.toStdString() << "\" in:\n"
        << result.errors.toStdString();
}

bool EndToEndTest::connectAsGuest()
{
    const std::optional<quint32> question = waitForWindow(u"Authentication Required"_s);
    if (!question || !becomesActive(*question))
        return false;
    // Alt+G picks "Connect as guest", Return presses "Connect". Keys typed the instant the
    // window is active can arrive before the dialog has the focus; a user is never that quick.
    for (const char* key : {"alt+g", "Return"}) {
        QThread::msleep(300);
        press(QLatin1String(key));
    }
    return true;
}

QString EndToEndTest::readSelection(const QString& selection, const QString& type)
{
    return runProgram(u"xclip"_s, {u"-o"_s, u"-selection"_s, selection, u"-t"_s, type}).output;
}
