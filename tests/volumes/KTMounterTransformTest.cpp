#include "FakeMountParts.h"
#include "volumes/KTMounter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct TransformCase {
    const char* name;
    const char* path;
    // Null when the path comes back unchanged.
    const char* serverPath;
};

void PrintTo(const TransformCase& c, std::ostream* out)
{
    *out << c.name;
}

class KTMounterTransformPaths : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_root.isValid());
        ASSERT_TRUE(QDir(m_root.path()).mkpath(QStringLiteral("projects/plans")));
        m_table.setVolumes({
            KTMountEntry(QStringLiteral("ext4"), "/dev/vda", "/"),
            volume("cifs", "//alice@fs1/Projects", "projects"),
            volume("nfs", "//fs2/export/home", "home"),
            volume("nfs", "//fs2/", "nfsroot"),
            volume("cifs", "//fs1/Pct", "pct%41"),
            volume("gvfs.smb-share", "//fs1/my%20files", "myfiles"),
            volume("nfs4", "//[fd00::2]/srv", "v6"),
        });
    }

    QString path(const char* relative) const
    {
        return m_root.path() + QLatin1Char('/') + QString::fromUtf8(relative);
    }
    KTMountEntry volume(const char* type, const char* source, const char* relativeMountPoint) const
    {
        return KTMountEntry(
            QString::fromUtf8(type), source, QFile::encodeName(path(relativeMountPoint)));
    }

    QTemporaryDir m_root;
    FakeMountTable m_table;
    FakeServerMount m_server;
    KTMounter m_mounter {m_table, m_server, [] { return nullptr; }};
};

class KTMounterTransform : public KTMounterTransformPaths,
                           public testing::WithParamInterface<TransformCase> { };

TEST_P(KTMounterTransform, GivesServerPathOnNetworkVolumesOnly)
{
    const TransformCase& c = GetParam();
    const QString input = path(c.path);
    const QString expected = c.serverPath ? QString::fromUtf8(c.serverPath) : input;
    EXPECT_EQ(m_mounter.transformToNetworkVolumePath(input), expected);
}

INSTANTIATE_TEST_SUITE_P(KTMounter, KTMounterTransform,
    testing::Values(
        TransformCase {"fileInShare", "projects/plans/a.doc", "//fs1/Projects/plans/a.doc"},
        TransformCase {"mountPointItself", "projects", "//fs1/Projects"},
        TransformCase {"trailingSlash", "projects/", "//fs1/Projects"},
        TransformCase {"repeatedSlashes", "projects//plans///a.doc", "//fs1/Projects/plans/a.doc"},
        TransformCase {"dotComponents", "projects/./plans/../a.doc", "//fs1/Projects/a.doc"},
        TransformCase {"nfsExport", "home/bob/notes.txt", "//fs2/export/home/bob/notes.txt"},
        TransformCase {"nfsRootExport", "nfsroot/etc/motd", "//fs2/etc/motd"},
        TransformCase {"nfsRootExportItself", "nfsroot", "//fs2/"},
        TransformCase {"escapeInMountPoint", "pct%41/x.doc", "//fs1/Pct/x.doc"},
        TransformCase {"ipv6Server", "v6/a", "//[fd00::2]/srv/a"},
        TransformCase {"sourceWithSpace", "myfiles/a.doc", nullptr},
        TransformCase {"localDisk", "local/a.doc", nullptr}));

TEST_F(KTMounterTransformPaths, PathThroughSymbolicLinkReachesTheShare)
{
    ASSERT_TRUE(QFile::link(path("projects/plans"), path("plans-link")));
    EXPECT_EQ(m_mounter.transformToNetworkVolumePath(path("plans-link/a.doc")),
        QString(path("plans-link/a.doc")));
    ASSERT_TRUE(QFile(path("projects/plans/a.doc")).open(QIODevice::WriteOnly));
    EXPECT_EQ(m_mounter.transformToNetworkVolumePath(path("plans-link/a.doc")),
        QStringLiteral("//fs1/Projects/plans/a.doc"));
}

TEST_F(KTMounterTransformPaths, RelativePathIsTakenFromTheCurrentFolder)
{
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(path("projects")));
    const QString serverPath =
        m_mounter.transformToNetworkVolumePath(QStringLiteral("plans/a.doc"));
    QDir::setCurrent(previous);
    EXPECT_EQ(serverPath, QStringLiteral("//fs1/Projects/plans/a.doc"));
}

TEST_F(KTMounterTransformPaths, EmptyPathStaysEmpty)
{
    EXPECT_EQ(m_mounter.transformToNetworkVolumePath(QString()), QString());
}

}
