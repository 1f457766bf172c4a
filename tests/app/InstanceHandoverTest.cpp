#include "AppController.h"
#include "KestrovaProcess.h"
#include "TestAppEnvironment.h"
#include "instance/AppBusProtocol.h"
#include "instance/KestrovaInstance.h"
#include "support/PrivateSessionBus.h"
#include "support/ShellLinkWriter.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingReply>
#include <QDir>
#include <QEventLoop>
#include <QFile>

#include <gtest/gtest.h>

// A second kestrova process hands its request to the running instance, which this
// test serves itself over stand-ins on a private session bus.
namespace {

const QString notAShortcutLine =
    QStringLiteral("Convert Shortcut Failed: Invalid Shortcut File. Failed to create alias.");

class InstanceHandover : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_bus.isRunning()) << m_bus.failure().toStdString();
        ASSERT_TRUE(m_instance.registerOnBus(m_connection));
    }

    KestrovaRun kestrova(const QStringList& arguments)
    {
        return runKestrova(arguments,
            terminalEnvironment(m_folder.filePath(QStringLiteral("config")), m_bus.address()),
            m_folder.path());
    }

    QString writeFile(const QString& name, const QByteArray& bytes)
    {
        QFile file(m_folder.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    }

    QString lastLogged(const QString& prefix) const
    {
        const QStringList& lines = m_app.logLines();
        for (auto line = lines.crbegin(); line != lines.crend(); ++line) {
            if (line->startsWith(prefix))
                return line->mid(prefix.size());
        }
        return QStringLiteral("(not logged)");
    }

    PrivateSessionBus m_bus;
    QDBusConnection m_connection = m_bus.connect();
    QTemporaryDir m_folder;
    TestAppEnvironment m_app;
    AppController m_controller {m_app.environment()};
    KestrovaInstance m_instance {m_controller, std::chrono::minutes(10)};
};

}

TEST_F(InstanceHandover, OpenCarriesAbsolutePathsAndAlertsBack)
{
    ShellLinkContents contents;
    contents.netName = "\\\\fs1\\Projects";
    contents.commonPathSuffix = "plans\\a.doc";
    writeFile(QStringLiteral("good.lnk"), ShellLinkWriter::write(contents));
    writeFile(QStringLiteral("bad.lnk"), "junk");

    const KestrovaRun run =
        kestrova({QStringLiteral("open"), QStringLiteral("bad.lnk"), QStringLiteral("good.lnk")});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.errors, notAShortcutLine + QLatin1Char('\n'));
    ASSERT_EQ(m_app.opened().size(), 1);
    EXPECT_EQ(m_app.opened().first().networkShare, QStringLiteral("//fs1/Projects"));

    const KestrovaRun good = kestrova({QStringLiteral("open"), QStringLiteral("good.lnk")});
    EXPECT_EQ(good.exitCode, 0);
    EXPECT_EQ(good.errors, QString());
}

TEST_F(InstanceHandover, FailedOpeningCarriesShortcutsMessage)
{
    m_app.setOpenSucceeds(false);
    const KestrovaRun run =
        kestrova({QStringLiteral("open-link"), QStringLiteral("\\\\fs1\\share\\a.doc")});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(
        run.errors, QStringLiteral("Could not follow link: The target could not be opened.\n"));
}

TEST_F(InstanceHandover, HostileTextsArriveVerbatimAndRunNothing)
{
    const QString marker = m_folder.filePath(QStringLiteral("ran"));
    const QStringList texts = {QStringLiteral("$(touch %1)").arg(marker),
        QStringLiteral("`touch %1`").arg(marker), QStringLiteral("a.doc; touch %1").arg(marker),
        QStringLiteral("\"'\\\\srv\\s\\a'\" && touch %1 | sh").arg(marker),
        QStringLiteral("\\\\srv\\s\\a.doc\ntouch %1\n").arg(marker),
        QStringLiteral("-platformpluginpath"), QString(100000, QLatin1Char('\\'))};
    for (const QString& text : texts) {
        const KestrovaRun run = kestrova({QStringLiteral("open-link"), QStringLiteral("--"), text});
        EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
        EXPECT_EQ(lastLogged(QStringLiteral("String: ")), text);
        m_app.alerts().takeAlerts();
    }
    EXPECT_EQ(m_app.opened().size(), texts.size());
    EXPECT_FALSE(QFile::exists(marker));
}

TEST_F(InstanceHandover, OpenLinkWithoutTextReadsTheSelection)
{
    m_app.setSelection(QStringLiteral("text/plain"), "X:\\a%C3%A9.doc");
    const KestrovaRun run = kestrova({QStringLiteral("open-link")});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.errors, QStringLiteral("Error: Pasteboard contains empty String selection\n"));
}

TEST_F(InstanceHandover, CopyPathCarriesPathsInOrder)
{
    const KestrovaRun run = kestrova({QStringLiteral("copy-path"), QStringLiteral("b c.doc"),
        QStringLiteral("--"), QStringLiteral("-a.doc")});
    EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    const QString folder = QDir(m_folder.path()).absolutePath();
    EXPECT_EQ(m_app.clipboardText(),
        folder + QStringLiteral("/b c.doc\n") + folder + QStringLiteral("/-a.doc"));
}

TEST_F(InstanceHandover, CopyPathWithoutFilesReadsTheClipboard)
{
    m_app.setClipboardText(QStringLiteral("words, no files"));
    const KestrovaRun run = kestrova({QStringLiteral("copy-path")});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.errors, QStringLiteral("Error: Pasteboard doesn't contain a proper selection\n"));
    EXPECT_EQ(m_app.clipboardText(), QStringLiteral("words, no files"));
}

TEST_F(InstanceHandover, DesktopCallsOfTheFreedesktopInterface)
{
    QDBusConnection caller = m_bus.connect();
    const auto call = [&](const QString& method, const QVariantList& arguments) {
        QDBusMessage message = QDBusMessage::createMethodCall(AppBusProtocol::serviceName,
            AppBusProtocol::objectPath, AppBusProtocol::interfaceName, method);
        message.setArguments(arguments);
        QDBusPendingCall pending = caller.asyncCall(message);
        while (!pending.isFinished())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        return pending.reply();
    };
    EXPECT_EQ(call(QStringLiteral("Activate"), {QVariantMap()}).type(), QDBusMessage::ReplyMessage);

    const QDBusMessage unknown = call(QStringLiteral("ActivateAction"),
        {QStringLiteral("format-disk"), QVariant::fromValue(QVariantList()), QVariantMap()});
    EXPECT_EQ(unknown.errorName(), QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"));

    const QDBusMessage notFile = call(QStringLiteral("Open"),
        {QStringList {QStringLiteral("https://example.org/a.lnk")}, QVariantMap()});
    EXPECT_EQ(notFile.errorName(), QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"));

    m_app.setClipboardFiles("file:///srv/a.doc\r\n");
    const QDBusMessage copy = call(QStringLiteral("ActivateAction"),
        {QStringLiteral("copy-path"), QVariant::fromValue(QVariantList()), QVariantMap()});
    EXPECT_EQ(copy.type(), QDBusMessage::ReplyMessage) << copy.errorMessage().toStdString();
    EXPECT_EQ(m_app.clipboardText(), QStringLiteral("/srv/a.doc"));

    const QDBusMessage open = call(QStringLiteral("Open"),
        {QStringList {QStringLiteral("file:///nonexistent/a%20b.lnk")}, QVariantMap()});
    EXPECT_EQ(open.errorName(), AppBusProtocol::failureError);
    EXPECT_EQ(open.errorMessage(), notAShortcutLine);
}
