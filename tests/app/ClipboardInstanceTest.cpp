#include "KestrovaProcess.h"
#include "instance/AppBusProtocol.h"
#include "support/PrivateSessionBus.h"

#include <QDBusConnectionInterface>
#include <QDir>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

// The instance on a real X server with a window manager: it owns the clipboard it
// filled and stays while it does, reads the PRIMARY selection, and shows its alerts in
// front. xclip and xdotool stand for the other applications and the user.
namespace {

constexpr int waitMilliseconds = 20000;

class ClipboardInstance : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_bus.isRunning()) << m_bus.failure().toStdString();
        writeSettings(configHome(), R"({"useBackslash": true, "useQuotationMarks": true})");
    }

    void TearDown() override
    {
        for (QProcess* process : {&m_instance, &m_selectionOwner}) {
            if (process->state() != QProcess::NotRunning) {
                process->terminate();
                process->waitForFinished();
            }
        }
    }

    QString configHome() const { return m_folder.filePath(QStringLiteral("config")); }

    QProcessEnvironment environment() const
    {
        QProcessEnvironment result = m_bus.environment();
        result.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome());
        result.insert(QStringLiteral("KESTROVA_IDLE_SECONDS"), QStringLiteral("1"));
        result.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtimeFolder.path());
        return result;
    }

    KestrovaRun kestrova(const QStringList& arguments)
    {
        return runKestrova(arguments, environment(), m_folder.path());
    }

    // Starts a kestrova command that stays running, as the instance.
    void startKestrova(const QStringList& arguments)
    {
        m_instance.setProcessEnvironment(environment());
        m_instance.setWorkingDirectory(m_folder.path());
        m_instance.start(QStringLiteral(KESTROVA_BINARY), arguments);
        ASSERT_TRUE(m_instance.waitForStarted());
    }

    // Another application takes a selection with the given contents and keeps it.
    void takeSelection(const char* selection, const char* type, const QByteArray& data)
    {
        if (m_selectionOwner.state() != QProcess::NotRunning) {
            m_selectionOwner.kill();
            m_selectionOwner.waitForFinished();
        }
        m_selectionOwner.start(QStringLiteral("xclip"),
            {QStringLiteral("-quiet"), QStringLiteral("-selection"), QLatin1String(selection),
                QStringLiteral("-t"), QLatin1String(type), QStringLiteral("-i")});
        ASSERT_TRUE(m_selectionOwner.waitForStarted());
        m_selectionOwner.write(data);
        m_selectionOwner.waitForBytesWritten();
        m_selectionOwner.closeWriteChannel();
        ASSERT_TRUE(waitForSelection(selection, data, type));
    }

    static QString readSelection(const char* selection, const char* type = "UTF8_STRING")
    {
        QProcess xclip;
        xclip.start(QStringLiteral("xclip"),
            {QStringLiteral("-o"), QStringLiteral("-selection"), QLatin1String(selection),
                QStringLiteral("-t"), QLatin1String(type)});
        xclip.waitForFinished();
        return QString::fromUtf8(xclip.readAllStandardOutput());
    }

    static bool waitForSelection(
        const char* selection, const QByteArray& data, const char* type = "UTF8_STRING")
    {
        for (int attempt = 0; attempt < 100; ++attempt) {
            if (readSelection(selection, type) == QString::fromUtf8(data))
                return true;
            QThread::msleep(50);
        }
        return false;
    }

    // Waits for the alert titled title, which must be the active window, and presses
    // Return in it, as a user dismisses it.
    static void dismissAlert(const QString& title)
    {
        QProcess search;
        search.start(QStringLiteral("xdotool"),
            {QStringLiteral("search"), QStringLiteral("--sync"), QStringLiteral("--name"),
                QLatin1Char('^') + title + QLatin1Char('$')});
        ASSERT_TRUE(search.waitForFinished(waitMilliseconds)) << "no alert " << title.toStdString();
        // The first window of that name; Qt may add a second, unmapped one.
        const QByteArray window = search.readAllStandardOutput().split('\n').first();
        QProcess active;
        for (int attempt = 0; attempt < 100 && active.readAllStandardOutput().trimmed() != window;
             ++attempt) {
            QThread::msleep(50);
            active.start(QStringLiteral("xdotool"), {QStringLiteral("getactivewindow")});
            active.waitForFinished();
        }
        active.start(QStringLiteral("xdotool"), {QStringLiteral("getactivewindow")});
        active.waitForFinished();
        EXPECT_EQ(active.readAllStandardOutput().trimmed(), window) << "the alert is not in front";
        QProcess::execute(
            QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("Return")});
    }

    QTemporaryDir m_folder;
    QTemporaryDir m_runtimeFolder;
    PrivateSessionBus m_bus;
    QDBusConnection m_connection = m_bus.connect();
    QProcess m_instance;
    QProcess m_selectionOwner;
};

}

TEST_F(ClipboardInstance, KeepsRunningWhileItOwnsTheClipboard)
{
    startKestrova({QStringLiteral("service")});
    ASSERT_TRUE(
        waitForNameOwner(m_connection, AppBusProtocol::serviceName, true, waitMilliseconds));

    const KestrovaRun run =
        kestrova({QStringLiteral("copy-path"), QStringLiteral("a b.doc"), QStringLiteral("c.doc")});
    EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    QString folder = QDir(m_folder.path()).absolutePath();
    folder.replace(QLatin1Char('/'), QLatin1Char('\\'));
    EXPECT_EQ(
        readSelection("clipboard"), QStringLiteral("\"%1\\a b.doc\"\n\"%1\\c.doc\"").arg(folder));

    // Idle for longer than its idle time, it stays: the clipboard would go with it.
    EXPECT_FALSE(waitForEnd(m_instance, 3000));
    EXPECT_FALSE(readSelection("clipboard").isEmpty());

    takeSelection("clipboard", "UTF8_STRING", "another program's text");
    ASSERT_TRUE(waitForEnd(m_instance, waitMilliseconds));
    EXPECT_EQ(m_instance.exitCode(), 0);
    EXPECT_TRUE(
        waitForNameOwner(m_connection, AppBusProtocol::serviceName, false, waitMilliseconds));
}

TEST_F(ClipboardInstance, CommandThatServedItselfStaysForItsClipboard)
{
    startKestrova({QStringLiteral("copy-path"), QStringLiteral("x.doc")});
    QString expected = QDir(m_folder.path()).absoluteFilePath(QStringLiteral("x.doc"));
    expected =
        QLatin1Char('"') + expected.replace(QLatin1Char('/'), QLatin1Char('\\')) + QLatin1Char('"');
    ASSERT_TRUE(waitForSelection("clipboard", expected.toUtf8()));
    // Meanwhile it is the instance of the session, and serves another command.
    const KestrovaRun second = kestrova({QStringLiteral("copy-path"), QStringLiteral("y.doc")});
    EXPECT_EQ(second.exitCode, 0) << second.errors.toStdString();
    EXPECT_TRUE(readSelection("clipboard").endsWith(QStringLiteral("\\y.doc\"")));
    EXPECT_EQ(m_instance.state(), QProcess::Running);

    takeSelection("clipboard", "UTF8_STRING", "taken");
    ASSERT_TRUE(waitForEnd(m_instance, waitMilliseconds));
    EXPECT_EQ(m_instance.exitCode(), 0);
}

TEST_F(ClipboardInstance, OpenLinkReadsThePrimarySelection)
{
    takeSelection("primary", "UTF8_STRING", "X:\\caf%C3%A9.doc");
    const KestrovaRun undecodable = kestrova({QStringLiteral("open-link")});
    EXPECT_EQ(undecodable.exitCode, 2);
    EXPECT_EQ(
        undecodable.errors, QStringLiteral("Error: Pasteboard contains empty String selection\n"));
}

TEST_F(ClipboardInstance, AlertsAreWindowsInFrontAndReportedToTheCommand)
{
    startKestrova({QStringLiteral("open"), QStringLiteral("missing.lnk")});
    dismissAlert(QStringLiteral("Convert Shortcut Failed"));
    ASSERT_TRUE(waitForEnd(m_instance, waitMilliseconds));
    EXPECT_EQ(m_instance.exitCode(), 2);
    EXPECT_TRUE(m_instance.readAllStandardError().endsWith(
        "Convert Shortcut Failed: Invalid Shortcut File. Failed to create alias.\n"));

    takeSelection("primary", "text/html", "<p>Plans <a href=\"X:\\nothing\\a.doc\">here</a></p>");
    startKestrova({QStringLiteral("open-link")});
    dismissAlert(QStringLiteral("Could not follow link"));
    ASSERT_TRUE(waitForEnd(m_instance, waitMilliseconds));
    EXPECT_EQ(m_instance.exitCode(), 2);
    const QString errors = QString::fromUtf8(m_instance.readAllStandardError());
    EXPECT_TRUE(errors.startsWith(QStringLiteral("Could not follow link: ")))
        << errors.toStdString();
}

TEST_F(ClipboardInstance, CopyPathWithoutFilesReadsTheClipboardsFileList)
{
    startKestrova({QStringLiteral("service")});
    ASSERT_TRUE(
        waitForNameOwner(m_connection, AppBusProtocol::serviceName, true, waitMilliseconds));
    takeSelection(
        "clipboard", "text/uri-list", "file:///srv/one.doc\r\nfile:///srv/two%20b.doc\r\n");
    const KestrovaRun run = kestrova({QStringLiteral("copy-path")});
    EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_EQ(
        readSelection("clipboard"), QStringLiteral("\"\\srv\\one.doc\"\n\"\\srv\\two b.doc\""));
}
