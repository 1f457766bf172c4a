#include "FakeMountParts.h"
#include "support/FileServer.h"
#include "support/LogCapture.h"
#include "volumes/GvfsServerMount.h"
#include "volumes/KTMounter.h"
#include "volumes/SystemMountTable.h"

#include <QHostAddress>
#include <QTcpServer>

#include <gtest/gtest.h>

#include <thread>

namespace {

using SilentServer = FileServerTest;

// The server takes the connection on the SMB port and never says a word; without a limit
// of Kestrova's own the mount would wait for whatever the SMB library allows.
TEST_F(SilentServer, MountIsGivenUpOnAtTheLimitAndFailsWithItsStatusHidden)
{
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress(QStringLiteral("127.0.0.2")), 445));
    ScriptedPrompt guest;
    GvfsServerMount gvfs(guest, std::chrono::seconds(2));
    SystemMountTable table;
    RecordingStatusDisplay status;
    KTMounter mounter(table, gvfs, [&] { return &status; });
    const LogCapture log;
    EXPECT_FALSE(
        mounter.mountNetworkVolume(QStringLiteral("//127.0.0.2/share"), QStringLiteral("smb")));
    EXPECT_EQ(status.calls.join(u'|'),
        QStringLiteral("setTitle Mounting drive smb://127.0.0.2/share|show true|hideNow"));
    EXPECT_TRUE(log.lines().contains(QStringLiteral(
        "Mounter: gave up mounting smb://127.0.0.2/share: the server did not answer within 2 s")))
        << log.lines().join(u'\n').toStdString();
    // The mounter is free for the next share at once.
    EXPECT_TRUE(mounter.mountNetworkVolume(
        FileServer::shareText(QStringLiteral("guest")), QStringLiteral("smb")));
}

// A user who takes longer than the limit to type the password still gets the share.
class SlowUser final : public CredentialPrompt {
public:
    std::optional<Credentials> askPassword(const CredentialRequest&) override
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        return Credentials {false, FileServer::user(), {}, FileServer::password()};
    }
};

TEST_F(SilentServer, TimeInThePasswordQuestionIsNotTheServers)
{
    SlowUser user;
    GvfsServerMount gvfs(user, std::chrono::seconds(1));
    EXPECT_TRUE(gvfs.mountServerVolume(QStringLiteral("smb://127.0.0.1/private")).mounted);
}

}
