#include "TestFolder.h"
#include "filesvc/AppleDouble.h"
#include "filesvc/JLAlias.h"
#include "filesvc/JLCarbonUtilities.h"
#include "shortcut/HVWindowsShortcut.h"
#include "support/FileServer.h"
#include "support/ProgramRun.h"
#include "volumes/AliasShareMounter.h"

#include <QtEndian>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

class AliasFileServer : public FileServerTest {
protected:
    // What smbclient, as a Mac client would, reads of the share.
    ProgramRun smbclient(const QString& command) const
    {
        return runProgram(u"smbclient"_s, {u"//127.0.0.1/"_s + m_share, u"-N"_s, u"-c"_s, command});
    }
    QByteArray stream(const QString& name) const
    {
        QTemporaryDir local;
        const QString copy = local.filePath(u"stream"_s);
        const ProgramRun run = smbclient(u"get \"%1\" \"%2\""_s.arg(name, copy));
        EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString() << run.output.toStdString();
        return readFile(copy);
    }
    QString m_share = qEnvironmentVariable("KESTROVA_MAC_SHARES").section(u'\n', 0, 0);
};

// Through vfs_fruit a Mac reads the Finder information and the fork as AFP streams.
TEST_F(AliasFileServer, AMacSeesTheAliasOfAConvertedShortcut)
{
    ASSERT_FALSE(m_share.isEmpty()) << "the harness serves no mac share";
    const QString folder = FileServer::shareFolder(m_share);
    ASSERT_TRUE(QDir(folder).mkpath(u"Documents"_s));
    const QString onServer = folder + u"/Documents/Report.doc"_s;
    writeFile(onServer, "report\n");
    ASSERT_TRUE(JLCarbonUtilities::setFinderInfoFlags(onServer, 0, 0, 0x5738424E, 0x4D535744));
    ASSERT_TRUE(FileServer::gioMount(m_share));
    const std::optional<QString> mounted = FileServer::gvfsFolder(m_share);
    ASSERT_TRUE(mounted);
    AliasShareMounter::install();
    const auto shortcut = HVWindowsShortcut::initWithMountString(
        u"\\\\127.0.0.1\\%1\\Documents\\Report.doc"_s.arg(m_share));
    const QString aliasPath = *mounted + u"/Report.doc"_s;
    if (!shortcut->saveAsAlias(aliasPath)) {
        const auto alias = JLAlias::aliasWithPath(*mounted + u"/Documents/Report.doc"_s);
        FAIL() << shortcut->errorMessage().value_or(QString()).toStdString() << ": "
               << (alias ? alias->writeAliasFile(aliasPath).reason().toStdString() : "no alias");
    }
    const AppleDoubleFile written = *AppleDouble::parse(readFile(folder + u"/._Report.doc"_s));
    EXPECT_EQ(stream(u"Report.doc:AFP_Resource"_s), written.resourceFork);
    const QByteArray afpInfo = stream(u"Report.doc:AFP_AfpInfo"_s);
    ASSERT_EQ(afpInfo.size(), 60);
    EXPECT_EQ(afpInfo.sliced(16, 8), QByteArray("W8BNMSWD"));
    EXPECT_EQ(qFromBigEndian<quint16>(afpInfo.constData() + 24) & 0x8400, 0x8000);
    const ProgramRun info = smbclient(u"allinfo \"Report.doc\""_s);
    ASSERT_EQ(info.exitCode, 0) << info.errors.toStdString();
    EXPECT_TRUE(info.output.contains(u":AFP_AfpInfo:"_s)) << info.output.toStdString();
    EXPECT_TRUE(info.output.contains(u":AFP_Resource:"_s)) << info.output.toStdString();
    // Whatever layout Samba left the sidecar in, the alias still reads and resolves.
    const std::unique_ptr<JLAlias> alias = JLAlias::initWithContentsOfFile(aliasPath);
    ASSERT_TRUE(alias);
    EXPECT_EQ(alias->path(), *mounted + u"/Documents/Report.doc"_s);
    EXPECT_EQ(alias->lastKnownShareURL(), u"smb://127.0.0.1/"_s + m_share);
}

}
