#include "EndToEndTest.h"
#include "support/Eventually.h"
#include "support/FileServer.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QHostAddress>
#include <QSet>
#include <QTcpServer>

using namespace Qt::StringLiterals;

// Many double clicks at once: every request reaches one instance and opens its target
// once, also while that instance waits for a server that never answers.
namespace {

constexpr int kRequests = 50;

class Load : public EndToEndTest {
protected:
    void SetUp() override
    {
        EndToEndTest::SetUp();
        if (IsSkipped())
            return;
        ASSERT_TRUE(FileServer::gioMount(kShare));
        for (int index = 0; index < kRequests; ++index) {
            const QString name = u"load/%1.txt"_s.arg(index);
            putOnShare(name, "text\n");
            m_targets << mountedPath(name);
            m_shortcuts << writeShortcut(u"%1.lnk"_s.arg(index), u"load\\%1.txt"_s.arg(index));
        }
        m_targets.sort();
    }
    QList<QProcess*> startAll()
    {
        QList<QProcess*> opens;
        for (const QString& shortcut : m_shortcuts)
            opens << &start({u"open"_s, shortcut});
        return opens;
    }
    // Each target opened once, all by one instance (the launch's startup-notification ID
    // names the launching process), and each open ends well. The instance brings every
    // new viewer to the front, which takes it a second or so an open.
    void expectEachOpenedOnce(const QList<QProcess*>& opens)
    {
        QStringList opened;
        for (qsizetype count = 1; count <= kRequests; ++count)
            opened += viewerArguments(count);
        QSet<QString> launchers;
        for (const QJsonObject& record : viewerRecords())
            launchers << record.value(u"startupId"_s).toString().section(u'-', 0, 1);
        EXPECT_EQ(launchers.size(), 1)
            << QStringList(launchers.begin(), launchers.end()).join(u' ').toStdString();
        opened.sort();
        EXPECT_EQ(opened, m_targets);
        for (QProcess* open : opens) {
            const ProgramRun result = finish(*open);
            EXPECT_EQ(result.exitCode, 0) << result.errors.toStdString();
        }
    }
    QStringList m_shortcuts;
    QStringList m_targets;
};

TEST_F(Load, FiftyOpensWithNoInstanceRunning)
{
    ASSERT_FALSE(instanceProcess());
    expectEachOpenedOnce(startAll());
}

// The server takes the connection on the SMB port and never answers: the instance gives
// the mount up after its time limit, and the requests that came meanwhile follow.
// The request that holds it comes from the desktop, which is answered at once.
TEST_F(Load, FiftyOpensWhileTheInstanceWaitsForASilentServer)
{
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress(u"127.0.0.2"_s), 445));
    start({u"service"_s});
    ASSERT_TRUE(eventually([] { return instanceProcess().has_value(); }));
    const ProgramRun secondService = run({u"service"_s});
    EXPECT_EQ(secondService.exitCode, 2);
    EXPECT_TRUE(secondService.errors.contains(u"another instance runs"_s));
    // A desktop's call is answered at once, though the mount it starts takes long.
    QDBusMessage openLink = QDBusMessage::createMethodCall(u"com.dovrane.Kestrova"_s,
        u"/com/dovrane/Kestrova"_s, u"org.freedesktop.Application"_s, u"ActivateAction"_s);
    openLink << u"open-link"_s << QVariantList {u"\\\\127.0.0.2\\silent\\a.txt"_s} << QVariantMap();
    const QDBusMessage answer = QDBusConnection::sessionBus().call(openLink, QDBus::Block, 10000);
    EXPECT_EQ(answer.type(), QDBusMessage::ReplyMessage) << answer.errorMessage().toStdString();
    ASSERT_TRUE(silent.waitForNewConnection(20000)) << "the instance is not mounting";
    const QList<QProcess*> opens = startAll();
    dismissWindow(u"Could not follow link"_s);
    expectEachOpenedOnce(opens);
}

}
