#include "AppController.h"
#include "TerminalFolder.h"
#include "TestAppEnvironment.h"
#include "instance/AppBusProtocol.h"
#include "instance/KestrovaInstance.h"
#include "support/Eventually.h"
#include "support/SessionBus.h"
#include "support/ShellLinkWriter.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCall>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

// A second kestrova process hands its request to the running instance, which this
// test serves itself over stand-ins on a private session bus.
namespace {

class InstanceHandover : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SessionBus::isPrivate()) << "run under tests/harness/with-session-bus";
        // No installed program may be started in the place of the instance served here.
        ASSERT_EQ(m_connection.interface()->activatableServiceNames().value(),
            QStringList {u"org.freedesktop.DBus"_s});
        ASSERT_TRUE(m_instance.registerOnBus(m_connection));
    }

    void expectRun(const QStringList& arguments, int exitCode, const QString& errors)
    {
        SCOPED_TRACE(arguments.join(QLatin1Char(' ')).toStdString());
        const ProgramRun run =
            m_folder.kestrova(arguments, qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS"));
        EXPECT_EQ(run.exitCode, exitCode);
        EXPECT_EQ(run.errors, errors);
    }

    QDBusConnection m_connection = SessionBus::connect();
    TerminalFolder m_folder;
    TestAppEnvironment m_app;
    AppController m_controller {m_app.environment()};
    KestrovaInstance m_instance {m_controller, std::chrono::minutes(10)};
};

}

TEST_F(InstanceHandover, RequestsCarryTheirFilesTextsAndFailuresBack)
{
    const QString good = m_folder.write(u"good.lnk"_s,
        ShellLinkWriter::write(
            {.netName = "\\\\fs1\\Projects", .commonPathSuffix = "plans\\a.doc"}));
    m_folder.write(u"bad.lnk"_s, "junk");
    // Relative names reach the instance, whose working folder is another, made absolute.
    expectRun({u"open"_s, u"bad.lnk"_s, u"good.lnk"_s}, 2,
        u"Convert Shortcut Failed: Invalid Shortcut File. Failed to create alias.\n"_s
            + QDir(m_folder.path()).absoluteFilePath(u"bad.lnk"_s)
            + u": not a Windows shortcut\n"_s);
    ASSERT_EQ(m_app.opened.size(), 1);
    EXPECT_EQ(m_app.opened.first().networkShare, u"//fs1/Projects"_s);
    // Each request reads the settings as they are then.
    m_app.preferences().setMountMethod(u"nfs"_s);
    expectRun({u"open"_s, u"good.lnk"_s}, 0, QString());
    EXPECT_EQ(m_app.opened.last().mountMethod, u"nfs"_s);

    expectRun({u"copy-path"_s, u"b c.doc"_s, u"--"_s, u"-a.doc"_s}, 0, QString());
    const QString folder = QDir(m_folder.path()).absolutePath();
    EXPECT_EQ(m_app.clipboardText, folder + u"/b c.doc\n"_s + folder + u"/-a.doc"_s);
    expectRun({u"copy-path"_s, u"smb://fs1/Projects/a%20b.doc"_s}, 0, QString());
    EXPECT_EQ(m_app.clipboardText, u"//fs1/Projects/a b.doc"_s);

    // Without a text or files the instance reads its own selection and clipboard.
    m_app.selection = {{u"text/html"_s, "<p>see <a href=\"smb://h/s/d.doc\">d</a></p>"}};
    expectRun({u"open-link"_s}, 0, QString());
    EXPECT_EQ(m_app.opened.last().fullFilename, u"smb://h/s/d.doc"_s);
    // Rich text that is no RTF gives no text at all.
    m_app.selection = {{u"text/rtf"_s, "not rtf"}};
    expectRun({u"open-link"_s}, 2, u"Error: Pasteboard contains empty String selection\n"_s);
    m_app.clipboardText = u"words, no files"_s;
    expectRun({u"copy-path"_s}, 2, u"Error: Pasteboard doesn't contain a proper selection\n"_s);
    EXPECT_EQ(m_app.clipboardText, u"words, no files"_s);

    m_app.openSucceeds = false;
    expectRun({u"open-link"_s, u"\\\\fs1\\share\\a.doc"_s}, 2,
        u"Could not follow link: The target could not be opened.\n"
        u"  Windows path: \\\\fs1\\share\\a.doc\n"
        u"  Local path: none, as \\\\fs1\\share is not mounted\n"_s);
    EXPECT_FALSE(m_controller.openFile(good));
    EXPECT_EQ(m_app.alerts().takeAlerts().value(0).line(),
        u"Could not follow shortcut: The target could not be opened."_s);
}

TEST_F(InstanceHandover, DesktopCallsOfTheFreedesktopInterface)
{
    QDBusConnection caller = SessionBus::connect();
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
    const QString invalidArgs = u"org.freedesktop.DBus.Error.InvalidArgs"_s;
    EXPECT_EQ(call(u"Activate"_s, {QVariantMap()}).type(), QDBusMessage::ReplyMessage);
    EXPECT_EQ(call(u"ActivateAction"_s, action("format-disk")).errorName(), invalidArgs);
    EXPECT_EQ(call(u"Open"_s, files("https://example.org/a.lnk")).errorName(), invalidArgs);

    m_app.clipboardFiles = "file:///srv/a.doc\r\n";
    const QDBusMessage copy = call(u"ActivateAction"_s, action("copy-path"));
    EXPECT_EQ(copy.type(), QDBusMessage::ReplyMessage) << copy.errorMessage().toStdString();
    EXPECT_EQ(m_app.clipboardText, u"/srv/a.doc"_s);

    // A desktop is answered at once; the failure goes to the alert and the step log.
    const QDBusMessage open = call(u"Open"_s, files("file:///nonexistent/a%20b.lnk"));
    EXPECT_EQ(open.type(), QDBusMessage::ReplyMessage) << open.errorMessage().toStdString();
    EXPECT_TRUE(eventually([&] {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        return m_app.log.lines().contains(u"Open shortcut /nonexistent/a b.lnk: no such file"_s);
    })) << m_app.log.lines().join(u'\n').toStdString();
}
