#include "filesvc/JLResourceFork.h"

#include "filesvc/AppleDouble.h"
#include "filesvc/JLCarbonUtilities.h"
#include "support/LogCapture.h"
#include "support/QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

constexpr quint32 kText = 0x54455854; // 'TEXT'
constexpr quint32 kString = 0x53545220; // 'STR '

class ResourceForkFiles : public testing::Test {
protected:
    QString path(const QString& name) const { return m_root.filePath(name); }
    QByteArray sidecarBytes(const QString& name) const
    {
        QFile file(path(QStringLiteral("._") + name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void writeFile(const QString& name, const QByteArray& bytes) const
    {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    }
    // A file whose sidecar holds the fork bytes given.
    void writeFileWithFork(const QString& name, const QByteArray& fork) const
    {
        writeFile(name, "data fork");
        AppleDoubleFile sidecar;
        sidecar.resourceFork = fork;
        writeFile(QStringLiteral("._") + name, AppleDouble::serialize(sidecar));
    }
    std::unique_ptr<JLResourceFork> openForWriting(const QString& name) const
    {
        return JLResourceFork::initForWritingAtPath(path(name));
    }

    QTemporaryDir m_temporary;
    QDir m_root {m_temporary.path()};
};

TEST_F(ResourceForkFiles, ChangesReachTheSidecarAtCloseAndReadBack)
{
    auto fork = openForWriting(QStringLiteral("new"));
    ASSERT_TRUE(fork);
    EXPECT_TRUE(QFile::exists(path(QStringLiteral("new"))));
    EXPECT_TRUE(fork->removeType(kText, 1)) << "removing a missing resource succeeds";
    EXPECT_TRUE(fork->addData("zero", kText, 0, QStringLiteral("Zéro")));
    EXPECT_TRUE(fork->addData("one", kText, 1, QStringLiteral("first")));
    EXPECT_TRUE(fork->addData("two", kText, 1, QStringLiteral("second")));
    EXPECT_TRUE(fork->addData("three", kString, std::nullopt));
    ASSERT_TRUE(fork->setAttributeFlags(0xFF, kText, 1));
    EXPECT_FALSE(fork->setAttributeFlags(0x08, kText, 9));
    const QByteArray before = sidecarBytes(QStringLiteral("new"));
    ASSERT_TRUE(fork->closeFile());
    EXPECT_EQ(fork->fileReference(), 0);
    EXPECT_TRUE(fork->closeFile()) << "a second close does nothing";
    EXPECT_NE(sidecarBytes(QStringLiteral("new")), before);

    const auto again = JLResourceFork::initForReadingAtPath(path(QStringLiteral("new")));
    ASSERT_TRUE(again);
    EXPECT_EQ(again->dataForType(kText, qint16(1)), QByteArray("two"));
    EXPECT_EQ(again->getAttributeFlags(kText, 1), quint16(0xDD))
        << "changed and purgeable stay clear";
    EXPECT_EQ(again->dataForType(kString, qint16(1)), QByteArray("three")) << "the first free id";
    EXPECT_EQ(again->nameOfResourceType(kString, 1), QString());
    EXPECT_EQ(again->nameOfResourceType(kText, 9), std::nullopt);
    EXPECT_EQ(again->getId(kText, QStringLiteral("second")), qint16(1));
    EXPECT_EQ(again->dataForType(kText, QStringLiteral("Zéro")), QByteArray("zero"));
    EXPECT_EQ(again->dataForType(kText, std::optional<QString>()), QByteArray("zero"));
    EXPECT_EQ(again->everyResourceType(), (QList<quint32> {kText, kString}));
    EXPECT_FALSE(again->addData("no", kText, 2, std::nullopt)) << "opened for reading";
    (void)again->closeFile();
}

TEST_F(ResourceForkFiles, OpeningFailsWhereThereIsNoForkToOpen)
{
    writeFile(QStringLiteral("plain"), "no sidecar");
    writeFileWithFork(QStringLiteral("empty-entry"), QByteArray());
    for (const char* name : {"missing", "plain", "empty-entry"})
        EXPECT_FALSE(JLResourceFork::initForReadingAtPath(path(QString::fromUtf8(name)))) << name;
    EXPECT_FALSE(openForWriting(QStringLiteral("plain"))) << "an existing file without a map";
    EXPECT_FALSE(openForWriting(QStringLiteral("no-folder/file")));
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("._plain"))));
}

TEST_F(ResourceForkFiles, NeverOverwritesASidecarThatIsNotOurs)
{
    writeFileWithFork(QStringLiteral("broken"), "not a resource map");
    AppleDoubleFile withComment;
    withComment.filler = "Netatalk        ";
    withComment.resourceFork = *ResourceForkFormat::serialize(ResourceFork());
    QByteArray foreign = AppleDouble::serialize(withComment);
    foreign[41] = 4; // the fork entry becomes a comment entry
    writeFile(QStringLiteral("foreign"), "data");
    writeFile(QStringLiteral("._foreign"), foreign);
    writeFile(QStringLiteral("garbage"), "data");
    writeFile(QStringLiteral("._garbage"), "no AppleDouble file");
    for (const char* name : {"broken", "foreign", "garbage"}) {
        const QString file = QString::fromUtf8(name);
        const QByteArray before = sidecarBytes(file);
        EXPECT_FALSE(openForWriting(file)) << name;
        const bool finderInfoTaken =
            JLCarbonUtilities::setFinderInfoFlags(path(file), 0x8000, 0x8000, 1, 2);
        // A fork that is no resource map keeps its bytes when the Finder information
        // changes; a sidecar with entries of its own, or no AppleDouble file, stays as it is.
        if (file == QLatin1String("broken")) {
            EXPECT_TRUE(finderInfoTaken);
            EXPECT_EQ(AppleDouble::parse(sidecarBytes(file))->resourceFork, "not a resource map");
        } else {
            EXPECT_FALSE(finderInfoTaken) << name;
            EXPECT_EQ(sidecarBytes(file), before) << name;
        }
    }
}

TEST_F(ResourceForkFiles, ClosingReplacesTheSidecarWholeAndKeepsFinderInformation)
{
    ASSERT_TRUE(openForWriting(QStringLiteral("both"))->closeFile());
    QFile old(path(QStringLiteral("._both")));
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    const QByteArray oldBytes = sidecarBytes(QStringLiteral("both"));
    auto fork = openForWriting(QStringLiteral("both"));
    ASSERT_TRUE(fork && fork->addData(QByteArray(5000, 'x'), kText, 1, std::nullopt));
    ASSERT_TRUE(
        JLCarbonUtilities::setFinderInfoFlags(path(QStringLiteral("both")), 0x8000, 0x8000, 7, 9));
    ASSERT_TRUE(fork->closeFile());
    // A new file took the old one's name: whoever reads the old one reads it whole.
    EXPECT_EQ(old.readAll(), oldBytes);
    EXPECT_EQ(m_root.entryList(QDir::Files | QDir::Hidden),
        (QStringList {QStringLiteral("._both"), QStringLiteral("both")}));
    quint32 type = 0;
    ASSERT_TRUE(
        JLCarbonUtilities::finderInfoFlags(path(QStringLiteral("both")), nullptr, &type, nullptr));
    EXPECT_EQ(type, 7u);
    EXPECT_EQ(JLResourceForkData::dataWithResourceForkContentsOfFile(
                  path(QStringLiteral("both")), kText, 1),
        QByteArray(5000, 'x'));
}

TEST_F(ResourceForkFiles, FollowsASidecarLinkOnlyInsideItsFolder)
{
    QTemporaryDir elsewhere;
    AppleDoubleFile sidecar;
    sidecar.resourceFork = *ResourceForkFormat::serialize(ResourceFork());
    QFile outside(elsewhere.filePath(QStringLiteral("secret")));
    ASSERT_TRUE(outside.open(QIODevice::WriteOnly));
    outside.write(AppleDouble::serialize(sidecar));
    outside.close();
    writeFile(QStringLiteral("out"), "");
    ASSERT_TRUE(QFile::link(outside.fileName(), path(QStringLiteral("._out"))));
    writeFileWithFork(QStringLiteral("real"), sidecar.resourceFork);
    writeFile(QStringLiteral("in"), "");
    ASSERT_TRUE(QFile::link(QStringLiteral("._real"), path(QStringLiteral("._in"))));

    const Result<std::unique_ptr<JLResourceFork>> refused =
        JLResourceFork::open(JLResourceFork::kReadPermission, path(QStringLiteral("out")));
    ASSERT_FALSE(refused);
    EXPECT_TRUE(refused.reason().endsWith(QStringLiteral("is a link out of its folder")));
    EXPECT_TRUE(JLResourceFork::initForReadingAtPath(path(QStringLiteral("in"))));
}

TEST_F(ResourceForkFiles, ForgottenCloseIsLoggedAndStillWrites)
{
    const LogCapture log;
    {
        auto fork = openForWriting(QStringLiteral("forgotten"));
        ASSERT_TRUE(fork && fork->addData("kept", kText, 3, std::nullopt));
        auto closed = openForWriting(QStringLiteral("closed"));
        ASSERT_TRUE(closed && closed->closeFile());
    }
    EXPECT_EQ(log.lines(),
        QStringList {QStringLiteral("JLAlias ERROR: you neglected to call closeFile: before "
                                    "disposing this JLResourceFork")});
    EXPECT_EQ(JLResourceForkData::dataWithResourceForkContentsOfFile(
                  path(QStringLiteral("forgotten")), kText, 3),
        QByteArray("kept"));
}

TEST_F(ResourceForkFiles, WholeForkIsWrittenOnlyWhenItReadsAsOne)
{
    auto fork = openForWriting(QStringLiteral("whole"));
    ASSERT_TRUE(fork);
    EXPECT_FALSE(fork->writeEntireResourceFork(QByteArray()));
    EXPECT_FALSE(fork->writeEntireResourceFork("garbage that is no fork"));
    ResourceFork other;
    other.put(Resource {kText, 4, std::nullopt, 0, "four", 0});
    ASSERT_TRUE(fork->writeEntireResourceFork(*ResourceForkFormat::serialize(other)));
    EXPECT_EQ(fork->dataForType(kText, qint16(4)), QByteArray("four"));
    EXPECT_EQ(fork->dataForEntireResourceFork(), ResourceForkFormat::serialize(other).value());
    ASSERT_TRUE(fork->closeFile());
}

}
