#include "AppController.h"
#include "KestrovaProcess.h"
#include "TestAppEnvironment.h"
#include "instance/AppBusProtocol.h"
#include "instance/KestrovaInstance.h"
#include "platform/ControlEscapes.h"
#include "support/PrivateSessionBus.h"
#include "support/ShellLinkWriter.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDir>
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

    ProgramRun kestrova(const QStringList& arguments)
    {
        return runKestrova(arguments,
            terminalEnvironment(m_folder.filePath(QStringLiteral("config")), m_bus.address()),
            m_folder.path());
    }

    void expectRun(const QStringList& arguments, int exitCode, const QString& errors)
    {
        SCOPED_TRACE(arguments.join(QLatin1Char(' ')).toStdString());
        const ProgramRun run = kestrova(arguments);
        EXPECT_EQ(run.exitCode, exitCode);
        EXPECT_EQ(run.errors, errors);
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

TEST_F(InstanceHandover, RequestsCarryTheirFilesTextsAndFailuresBack)
{
    ShellLinkContents contents;
    contents.netName = "\\\\fs1\\Projects";
    contents.commonPathSuffix = "plans\\a.doc";
    QFile good(m_folder.filePath(QStringLiteral("good.lnk")));
    ASSERT_TRUE(good.open(QIODevice::WriteOnly));
    good.write(ShellLinkWriter::write(contents));
    good.close();

    // Relative names reach the instance, whose working folder is another, made absolute.
    expectRun({QStringLiteral("open"), QStringLiteral("bad.lnk"), QStringLiteral("good.lnk")}, 2,
        notAShortcutLine + QLatin1Char('\n'));
    ASSERT_EQ(m_app.opened().size(), 1);
    EXPECT_EQ(m_app.opened().first().networkShare, QStringLiteral("//fs1/Projects"));
    expectRun({QStringLiteral("open"), QStringLiteral("good.lnk")}, 0, QString());

    expectRun({QStringLiteral("copy-path"), QStringLiteral("b c.doc"), QStringLiteral("--"),
                  QStringLiteral("-a.doc")},
        0, QString());
    const QString folder = QDir(m_folder.path()).absolutePath();
    EXPECT_EQ(m_app.clipboardText(),
        folder + QStringLiteral("/b c.doc\n") + folder + QStringLiteral("/-a.doc"));

    // Without a text or files the instance reads its own selection and clipboard.
    m_app.setSelection(QStringLiteral("text/plain"), "X:\\a%C3%A9.doc");
    expectRun({QStringLiteral("open-link")}, 2,
        QStringLiteral("Error: Pasteboard contains empty String selection\n"));
    m_app.setClipboardText(QStringLiteral("words, no files"));
    expectRun({QStringLiteral("copy-path")}, 2,
        QStringLiteral("Error: Pasteboard doesn't contain a proper selection\n"));
    EXPECT_EQ(m_app.clipboardText(), QStringLiteral("words, no files"));

    m_app.setOpenSucceeds(false);
    expectRun({QStringLiteral("open-link"), QStringLiteral("\\\\fs1\\share\\a.doc")}, 2,
        QStringLiteral("Could not follow link: The target could not be opened.\n"));
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
        const ProgramRun run = kestrova({QStringLiteral("open-link"), QStringLiteral("--"), text});
        EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
        // The log shows a newline escaped, so that one line stays one line.
        EXPECT_EQ(lastLogged(QStringLiteral("String: ")), ControlEscapes::escapeControls(text));
        m_app.alerts().takeAlerts();
    }
    EXPECT_EQ(m_app.opened().size(), texts.size());
    EXPECT_FALSE(QFile::exists(marker));
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
    const auto action = [](const char* name) {
        return QVariantList {
            QLatin1String(name), QVariant::fromValue(QVariantList()), QVariantMap()};
    };
    const auto files = [](const char* uri) {
        return QVariantList {QStringList {QLatin1String(uri)}, QVariantMap()};
    };
    const QString invalidArgs = QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs");
    EXPECT_EQ(call(QStringLiteral("Activate"), {QVariantMap()}).type(), QDBusMessage::ReplyMessage);
    EXPECT_EQ(
        call(QStringLiteral("ActivateAction"), action("format-disk")).errorName(), invalidArgs);
    EXPECT_EQ(
        call(QStringLiteral("Open"), files("https://example.org/a.lnk")).errorName(), invalidArgs);

    m_app.setClipboardFiles("file:///srv/a.doc\r\n");
    const QDBusMessage copy = call(QStringLiteral("ActivateAction"), action("copy-path"));
    EXPECT_EQ(copy.type(), QDBusMessage::ReplyMessage) << copy.errorMessage().toStdString();
    EXPECT_EQ(m_app.clipboardText(), QStringLiteral("/srv/a.doc"));

    const QDBusMessage open = call(QStringLiteral("Open"), files("file:///nonexistent/a%20b.lnk"));
    EXPECT_EQ(open.errorName(), AppBusProtocol::failureError);
    EXPECT_EQ(open.errorMessage(), notAShortcutLine);
}
