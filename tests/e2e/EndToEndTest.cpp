#include "EndToEndTest.h"

#include "DesktopUser.h"
#include "support/FileServer.h"
#include "support/ShellLinkWriter.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QThread>

#include <unistd.h>

#include <csignal>

namespace {

const QString busName = QStringLiteral("com.dovrane.Kestrova");
constexpr int commandTimeoutMilliseconds = 60000;
constexpr int waitMilliseconds = 20000;
constexpr int pollMilliseconds = 20;

bool fitsLatin1(const QString& text)
{
    return std::all_of(
        text.cbegin(), text.cend(), [](QChar character) { return character.unicode() <= 0xFF; });
}

bool windowManagerRuns()
{
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"),
        {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")});
    return xprop.waitForFinished() && xprop.readAllStandardOutput().contains("window id");
}

std::optional<QString> missingHarness()
{
    // The guest share the tests' CMake list asks the file server for.
    if (!FileServer::isRunning() || !FileServer::guestShares().contains(QStringLiteral("share")))
        return QStringLiteral("needs the file server with the guest share \"share\": run under "
                              "tests/harness/with-file-server (as root)");
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return QStringLiteral("needs an X server: run under tests/harness/with-xvfb");
    if (!windowManagerRuns())
        return QStringLiteral("needs a window manager: run under tests/harness/with-desktop");
    return std::nullopt;
}

void emptyFolder(const QString& path)
{
    QDir folder(path);
    for (const QFileInfo& entry : folder.entryInfoList(
             QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden | QDir::System)) {
        if (entry.isDir() && !entry.isSymLink())
            QDir(entry.filePath()).removeRecursively();
        else
            QFile::remove(entry.filePath());
    }
}

void stop(QProcess& process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished();
    }
}

}

void EndToEndTest::SetUp()
{
    if (const std::optional<QString> missing = missingHarness())
        GTEST_SKIP() << missing->toStdString();
    ASSERT_TRUE(m_desktop.isValid());
    ASSERT_TRUE(m_work.isValid());
    FileServer::unmountEverything();
    emptyFolder(FileServer::shareFolder(share()));
}

void EndToEndTest::TearDown()
{
    for (const std::unique_ptr<QProcess>& process : m_processes)
        stop(*process);
    stopViewers();
    // Nothing a user does here throws: every kestrova of the test logged no exception.
    QFile exceptionLog(m_desktop.root() + QStringLiteral("/state/kestrova/exceptions.log"));
    if (exceptionLog.open(QIODevice::ReadOnly))
        ADD_FAILURE() << "exceptions were logged:\n" << exceptionLog.readAll().toStdString();
}

void EndToEndTest::stopViewers()
{
    for (const QJsonObject& record : viewerRecords()) {
        const auto pid = pid_t(record.value(QStringLiteral("pid")).toInteger());
        if (pid > 1)
            ::kill(pid, SIGTERM);
    }
}

QString EndToEndTest::uncPath(const QString& relativePath)
{
    QString path = QStringLiteral("\\\\127.0.0.1\\") + share() + QLatin1Char('\\') + relativePath;
    return path.replace(QLatin1Char('/'), QLatin1Char('\\'));
}

void EndToEndTest::putOnShare(const QString& relativePath, const QByteArray& contents)
{
    const QString path = FileServer::shareFolder(share()) + QLatin1Char('/') + relativePath;
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(file.write(contents), contents.size());
}

void EndToEndTest::mountShare()
{
    ASSERT_TRUE(FileServer::gioMount(share()));
}

QString EndToEndTest::mountedPath(const QString& relativePath)
{
    return FileServer::gvfsFolder(share()).value_or(QStringLiteral("(not mounted)"))
        + QLatin1Char('/') + relativePath;
}

QString EndToEndTest::writeFile(const QString& name, const QByteArray& contents)
{
    QFile file(m_work.filePath(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    EXPECT_EQ(file.write(contents), contents.size());
    return file.fileName();
}

QString EndToEndTest::writeShortcut(
    const QString& name, const QString& shareName, const QString& suffix)
{
    const QString unc = QStringLiteral("\\\\127.0.0.1\\") + shareName;
    ShellLinkContents contents;
    if (fitsLatin1(unc))
        contents.netName = unc.toLatin1();
    else
        contents.netNameUnicode = unc;
    contents.commonPathSuffix = fitsLatin1(suffix) ? suffix.toLatin1() : QByteArray("?");
    contents.commonPathSuffixUnicode = suffix;
    return writeFile(name, ShellLinkWriter::write(contents));
}

QProcessEnvironment EndToEndTest::environment() const
{
    return m_desktop.environment();
}

void EndToEndTest::addViewerType(const QString& contentType)
{
    QFile list(m_desktop.root() + QStringLiteral("/config/mimeapps.list"));
    ASSERT_TRUE(list.open(QIODevice::Append));
    list.write(contentType.toUtf8() + '=' + PrivateDesktop::kViewerId + '\n');
}

QProcess& EndToEndTest::start(const QStringList& arguments)
{
    return launch(arguments, environment(), false);
}

QProcess& EndToEndTest::start(const QStringList& arguments, const QProcessEnvironment& environment)
{
    return launch(arguments, environment, false);
}

QProcess& EndToEndTest::startWithoutDisplay(const QStringList& arguments)
{
    QProcessEnvironment terminal = environment();
    terminal.remove(QStringLiteral("DISPLAY"));
    terminal.remove(QStringLiteral("WAYLAND_DISPLAY"));
    return launch(arguments, terminal, true);
}

QProcess& EndToEndTest::launch(
    const QStringList& arguments, const QProcessEnvironment& environment, bool ownSession)
{
    m_processes.push_back(std::make_unique<QProcess>());
    QProcess& process = *m_processes.back();
    // A session of its own has no controlling terminal: a password question would
    // otherwise reach the terminal the tests were started from.
    if (ownSession)
        process.setChildProcessModifier([] { ::setsid(); });
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(m_work.path());
    process.start(QStringLiteral(KESTROVA_BINARY), arguments);
    EXPECT_TRUE(process.waitForStarted()) << process.errorString().toStdString();
    return process;
}

ProgramRun EndToEndTest::finish(QProcess& process)
{
    if (!process.waitForFinished(commandTimeoutMilliseconds)) {
        ADD_FAILURE() << "kestrova " << process.arguments().join(QLatin1Char(' ')).toStdString()
                      << " did not end";
        process.kill();
        process.waitForFinished();
    }
    return ProgramRun::of(process);
}

ProgramRun EndToEndTest::run(const QStringList& arguments)
{
    return finish(start(arguments));
}

void EndToEndTest::configure(const QStringList& arguments)
{
    const ProgramRun result = run(QStringList {QStringLiteral("settings")} + arguments);
    ASSERT_EQ(result.exitCode, 0) << result.errors.toStdString();
}

QProcess& EndToEndTest::startService()
{
    QProcessEnvironment serviceEnvironment = environment();
    serviceEnvironment.insert(QStringLiteral("KESTROVA_IDLE_SECONDS"), QStringLiteral("600"));
    QProcess& service = start({QStringLiteral("service")}, serviceEnvironment);
    const QDeadlineTimer deadline(waitMilliseconds);
    while (instanceProcess() != service.processId() && !deadline.hasExpired())
        QThread::msleep(pollMilliseconds);
    EXPECT_EQ(instanceProcess(), service.processId()) << "kestrova service did not take its name";
    return service;
}

std::optional<qint64> EndToEndTest::instanceProcess()
{
    const QDBusReply<uint> pid = QDBusConnection::sessionBus().interface()->servicePid(busName);
    return pid.isValid() ? std::optional(qint64(pid.value())) : std::nullopt;
}

std::optional<QJsonObject> EndToEndTest::waitForViewer(qsizetype count)
{
    const QDeadlineTimer deadline(waitMilliseconds);
    QList<QJsonObject> records = viewerRecords();
    while (records.size() < count && !deadline.hasExpired()) {
        QThread::msleep(pollMilliseconds);
        records = viewerRecords();
    }
    if (records.size() < count)
        return std::nullopt;
    return records.last();
}

QStringList EndToEndTest::argumentsOf(const QJsonObject& record)
{
    QStringList arguments;
    for (const auto& argument : record.value(QStringLiteral("arguments")).toArray())
        arguments << argument.toString();
    return arguments;
}

void EndToEndTest::dismissWindow(const QString& title)
{
    const std::optional<quint32> window = DesktopUser::waitForWindow(title);
    ASSERT_TRUE(window) << "no window titled \"" << title.toStdString() << "\"";
    EXPECT_TRUE(DesktopUser::becomesActive(*window))
        << "\"" << title.toStdString() << "\" is not in front";
    DesktopUser::press(QStringLiteral("Return"));
}

void EndToEndTest::expectAlert(QProcess& command, const QString& title, const QString& message)
{
    dismissWindow(title);
    const ProgramRun result = finish(command);
    const QString line = title + QStringLiteral(": ") + message;
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_TRUE(result.errors.contains(line + QLatin1Char('\n')))
        << "expected \"" << line.toStdString() << "\" in:\n"
        << result.errors.toStdString();
}
