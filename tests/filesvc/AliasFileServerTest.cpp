#include "filesvc/AppleDouble.h"
#include "filesvc/JLAlias.h"
#include "filesvc/JLCarbonUtilities.h"
#include "shortcut/HVWindowsShortcut.h"
#include "support/FileServer.h"
#include "support/ProgramRun.h"
#include "volumes/KTAliasMounting.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class AliasFileServer : public FileServerTest {
protected:
    // What smbclient, as a Mac client would, reads of the share.
    ProgramRun smbclient(const QString& command) const
    {
        return runProgram(QStringLiteral("smbclient"),
            {QStringLiteral("//127.0.0.1/") + m_share, QStringLiteral("-N"), QStringLiteral("-c"),
                command});
    }
    QByteArray stream(const QString& name) const
    {
        QTemporaryDir local;
        const QString copy = local.filePath(QStringLiteral("stream"));
        const ProgramRun run = smbclient(QStringLiteral("get \"%1\" \"%2\"").arg(name, copy));
        EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString() << run.output.toStdString();
        return readAll(copy);
    }

    QString m_share = qEnvironmentVariable("KESTROVA_MAC_SHARES").section(QLatin1Char('\n'), 0, 0);
};

// The alias a converted shortcut leaves on a share, read through Samba's vfs_fruit as a
// Mac reads it: the Finder information as the AFP_AfpInfo stream, the fork as the
// AFP_Resource stream, byte for byte.
TEST_F(AliasFileServer, AMacSeesTheAliasOfAConvertedShortcut)
{
    ASSERT_FALSE(m_share.isEmpty()) << "the harness serves no mac share";
    const QString folder = FileServer::shareFolder(m_share);
    ASSERT_TRUE(QDir(folder).mkpath(QStringLiteral("Documents")));
    const QString onServer = folder + QStringLiteral("/Documents/Report.doc");
    QFile target(onServer);
    ASSERT_TRUE(target.open(QIODevice::WriteOnly));
    target.write("report\n");
    target.close();
    ASSERT_TRUE(JLCarbonUtilities::setFinderInfoFlags(onServer, 0, 0, 0x5738424E, 0x4D535744));

    ASSERT_TRUE(FileServer::gioMount(m_share));
    const std::optional<QString> mounted = FileServer::gvfsFolder(m_share);
    ASSERT_TRUE(mounted);
    KTAliasMounting::install();
    const auto shortcut = HVWindowsShortcut::initWithMountString(
        QStringLiteral("\\\\127.0.0.1\\%1\\Documents\\Report.doc").arg(m_share));
    const QString aliasPath = *mounted + QStringLiteral("/Report.doc");
    if (!shortcut->saveAsAlias(aliasPath)) {
        const auto alias =
            JLAlias::aliasWithPath(*mounted + QStringLiteral("/Documents/Report.doc"));
        FAIL() << shortcut->errorMessage().value_or(QString()).toStdString() << ": "
               << (alias ? alias->writeAliasFile(aliasPath).reason().toStdString() : "no alias");
    }

    const AppleDoubleFile written =
        *AppleDouble::parse(readAll(folder + QStringLiteral("/._Report.doc")));
    EXPECT_EQ(stream(QStringLiteral("Report.doc:AFP_Resource")), written.resourceFork);
    const QByteArray afpInfo = stream(QStringLiteral("Report.doc:AFP_AfpInfo"));
    ASSERT_EQ(afpInfo.size(), 60);
    EXPECT_EQ(afpInfo.sliced(16, 8), QByteArray("W8BNMSWD"));
    EXPECT_EQ(qFromBigEndian<quint16>(afpInfo.constData() + 24) & 0x8400, 0x8000);
    const ProgramRun info = smbclient(QStringLiteral("allinfo \"Report.doc\""));
    ASSERT_EQ(info.exitCode, 0) << info.errors.toStdString();
    EXPECT_TRUE(info.output.contains(QStringLiteral(":AFP_AfpInfo:"))) << info.output.toStdString();
    EXPECT_TRUE(info.output.contains(QStringLiteral(":AFP_Resource:")))
        << info.output.toStdString();

    // Whatever layout Samba left the sidecar in, the alias still reads and resolves.
    const std::unique_ptr<JLAlias> alias = JLAlias::initWithContentsOfFile(aliasPath);
    ASSERT_TRUE(alias);
    EXPECT_EQ(alias->path(), *mounted + QStringLiteral("/Documents/Report.doc"));
    EXPECT_EQ(alias->lastKnownShareURL(), QStringLiteral("smb://127.0.0.1/") + m_share);
}

}
