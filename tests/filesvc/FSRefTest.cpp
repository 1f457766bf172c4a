#include "filesvc/FSRef.h"

#include "filesvc/JLCarbonUtilities.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class FSRefTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_root.isValid());
        QFile file(path("a.doc"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    QString path(const char* relative) const
    {
        return m_root.path() + QLatin1Char('/') + QString::fromUtf8(relative);
    }

    QTemporaryDir m_root;
};

TEST_F(FSRefTest, IsMadeOnlyForAnExistingItem)
{
    EXPECT_TRUE(FSRef::fromPath(path("a.doc")));
    EXPECT_TRUE(FSRef::fromPath(m_root.path()));
    EXPECT_FALSE(FSRef::fromPath(path("missing.doc")));
    EXPECT_FALSE(FSRef::fromPath(QString()));
}

TEST_F(FSRefTest, HoldsTheAbsoluteCleanPath)
{
    ASSERT_TRUE(QDir(m_root.path()).mkdir(QStringLiteral("sub")));
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(m_root.path()));
    const std::optional<FSRef> ref = FSRef::fromPath(QStringLiteral(".//sub/../a.doc"));
    QDir::setCurrent(previous);
    ASSERT_TRUE(ref);
    EXPECT_EQ(ref->path(), QFileInfo(path("a.doc")).canonicalFilePath());
    // As the kernel resolves paths: a missing folder cannot be left with "..".
    EXPECT_FALSE(FSRef::fromPath(path("missing/../a.doc")));
    EXPECT_EQ(FSRef::fromPath(path("./a.doc"))->path(), path("a.doc"));
}

TEST_F(FSRefTest, StringWithFSRefGivesThePathWhileItHoldsTheSameItem)
{
    const std::optional<FSRef> ref = FSRef::fromPath(path("a.doc"));
    ASSERT_TRUE(ref);
    EXPECT_EQ(JLCarbonUtilities::stringWithFSRef(*ref), path("a.doc"));

    // The item moved away and another took its name: the path names another item now.
    ASSERT_TRUE(QFile::rename(path("a.doc"), path("moved.doc")));
    EXPECT_EQ(JLCarbonUtilities::stringWithFSRef(*ref), std::nullopt);
    QFile replacement(path("a.doc"));
    ASSERT_TRUE(replacement.open(QIODevice::WriteOnly));
    replacement.close();
    EXPECT_EQ(JLCarbonUtilities::stringWithFSRef(*ref), std::nullopt);

    ASSERT_TRUE(QFile::remove(path("a.doc")));
    ASSERT_TRUE(QFile::rename(path("moved.doc"), path("a.doc")));
    EXPECT_EQ(JLCarbonUtilities::stringWithFSRef(*ref), path("a.doc"));
}

TEST_F(FSRefTest, FollowsSymbolicLinksToTheirTarget)
{
    ASSERT_TRUE(QFile::link(path("a.doc"), path("link.doc")));
    const std::optional<FSRef> link = FSRef::fromPath(path("link.doc"));
    const std::optional<FSRef> target = FSRef::fromPath(path("a.doc"));
    ASSERT_TRUE(link && target);
    EXPECT_EQ(link->inode(), target->inode());
    EXPECT_EQ(link->path(), path("link.doc"));
    ASSERT_TRUE(QFile::link(path("missing.doc"), path("dangling.doc")));
    EXPECT_FALSE(FSRef::fromPath(path("dangling.doc")));
}

}
