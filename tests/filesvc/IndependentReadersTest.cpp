#include "filesvc/AliasFile.h"
#include "filesvc/JLAlias.h"
#include "filesvc/JLCarbonUtilities.h"
#include "filesvc/JLResourceFork.h"
#include "filesvc/JLResourceForkOtherSources.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

using namespace AliasFileCodes;

// The PNG elements of an icon family, by type, as "type WIDTHxHEIGHT".
QStringList elementsOf(const QByteArray& family)
{
    QStringList elements;
    if (family.size() < 8 || !family.startsWith("icns")
        || qFromBigEndian<quint32>(family.constData() + 4) != quint32(family.size()))
        return {QStringLiteral("no icon family")};
    for (qsizetype at = 8; at + 8 <= family.size();) {
        const quint32 length = qFromBigEndian<quint32>(family.constData() + at + 4);
        const QImage image = QImage::fromData(family.sliced(at + 8, length - 8), "PNG");
        elements.append(QStringLiteral("%1 %2x%3")
                            .arg(QString::fromLatin1(family.sliced(at, 4)))
                            .arg(image.width())
                            .arg(image.height()));
        at += length;
    }
    return elements;
}

// Runs a program of another project; the test is skipped where it is not installed.
QString run(const QString& program, const QStringList& arguments, const QString& folder = QString())
{
    QProcess process;
    process.setWorkingDirectory(folder);
    process.start(program, arguments);
    process.waitForFinished(600000);
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return QStringLiteral("failed: ") + QString::fromUtf8(process.readAllStandardError());
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

class IconFamilies : public testing::Test {
protected:
    QString make(const QString& name) const
    {
        QFile file(m_root.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("text\n");
        return file.fileName();
    }
    QTemporaryDir m_temporary;
    QDir m_root {m_temporary.path()};
};

TEST_F(IconFamilies, HoldTheThemeIconOfTheContentTypeInThreeSizes)
{
    const QString target = make(QStringLiteral("notes.txt"));
    EXPECT_TRUE(JLResourceForkOtherSources::iconNamesForPath(target).contains(
        QStringLiteral("text-plain")));
    const std::optional<QByteArray> family =
        JLResourceForkOtherSources::iconFamilyDataForFile(target);
    ASSERT_TRUE(family) << "no icon theme icon for text/plain";
    EXPECT_EQ(elementsOf(*family),
        (QStringList {QStringLiteral("ic07 128x128"), QStringLiteral("ic08 256x256"),
            QStringLiteral("ic09 512x512")}));
    EXPECT_FALSE(JLResourceForkOtherSources::iconFamilyDataForFile(
        m_root.filePath(QStringLiteral("missing"))));
    EXPECT_FALSE(JLResourceForkOtherSources::iconFamilyForIconNames(
        {QStringLiteral("no-such-icon-anywhere")}));
}

TEST_F(IconFamilies, GoIntoAliasesOfUntypedFilesUnlessLeftOut)
{
    const QString target = make(QStringLiteral("plain.txt"));
    const std::unique_ptr<JLAlias> alias = JLAlias::aliasWithPath(target);
    ASSERT_TRUE(alias);
    const struct {
        bool include;
        quint16 flags;
        bool icon;
    } cases[] = {{true, 0x8400, true}, {false, 0x8000, false}, {true, 0x8400, true}};
    const QString aliasPath = m_root.filePath(QStringLiteral("plain alias"));
    for (const auto& row : cases) {
        ASSERT_TRUE(alias->writeToFile(aliasPath, row.include));
        quint16 flags = 0;
        ASSERT_TRUE(JLCarbonUtilities::finderInfoFlags(aliasPath, &flags, nullptr, nullptr));
        EXPECT_EQ(flags, row.flags);
        const auto fork = JLResourceFork::initForReadingAtPath(aliasPath);
        ASSERT_TRUE(fork);
        EXPECT_EQ(fork->dataForType(kIconFamilyResourceType, kCustomIconId).has_value(), row.icon);
        EXPECT_EQ(
            fork->nameOfResourceType(kIconFamilyResourceType, kCustomIconId).value_or(QString()),
            QString());
        (void)fork->closeFile();
    }
}

TEST_F(IconFamilies, PillowReadsTheSizesWritten)
{
    const std::optional<QByteArray> family =
        JLResourceForkOtherSources::iconFamilyDataForFile(make(QStringLiteral("a.txt")));
    ASSERT_TRUE(family);
    QFile file(m_root.filePath(QStringLiteral("a.icns")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(*family);
    file.close();
    // Debian's own interpreter, which python3-pil belongs to, whatever else is on PATH.
    const QString python = QFile::exists(QStringLiteral("/usr/bin/python3"))
        ? QStringLiteral("/usr/bin/python3")
        : QStringLiteral("python3");
    const QString sizes = run(python,
        {QStringLiteral("-c"),
            QStringLiteral(
                "import sys\ntry:\n    from PIL import Image\nexcept ImportError:\n    print('no "
                "Pillow'); sys.exit(0)\n"
                "im = Image.open(sys.argv[1]); print(sorted(s[0] for s in im.info['sizes']))"),
            file.fileName()});
    if (sizes == QLatin1String("no Pillow"))
        GTEST_SKIP() << "Pillow (python3-pil) is not installed";
    EXPECT_EQ(sizes, QStringLiteral("[128, 256, 512]"));
}

// The npm package macos-alias 0.2.12 decodes version 2 alias records strictly; it is
// installed once into the build folder.
QString macosAliasFolder()
{
    QString folder = QStringLiteral(KESTROVA_NODE_FOLDER);
    if (QFile::exists(folder + QStringLiteral("/node_modules/macos-alias/lib/decode.js")))
        return folder;
    QDir().mkpath(folder);
    (void)run(QStringLiteral("npm"),
        {QStringLiteral("install"), QStringLiteral("--force"), QStringLiteral("--ignore-scripts"),
            QStringLiteral("--no-audit"), QStringLiteral("--no-fund"), QStringLiteral("--prefix"),
            folder, QStringLiteral("macos-alias@0.2.12")},
        folder);
    return QFile::exists(folder + QStringLiteral("/node_modules/macos-alias/lib/decode.js"))
        ? folder
        : QString();
}

TEST_F(IconFamilies, MacosAliasDecodesOurRecords)
{
    if (QStandardPaths::findExecutable(QStringLiteral("node")).isEmpty()
        || QStandardPaths::findExecutable(QStringLiteral("npm")).isEmpty())
        GTEST_SKIP() << "node and npm are not installed";
    const QString folder = macosAliasFolder();
    ASSERT_FALSE(folder.isEmpty()) << "npm could not install macos-alias@0.2.12";
    ASSERT_TRUE(QDir().mkpath(m_root.filePath(QStringLiteral("Project Files"))));
    const QString target = make(QStringLiteral("Project Files/Report.doc"));
    const std::unique_ptr<JLAlias> alias = JLAlias::aliasWithPath(target);
    ASSERT_TRUE(alias);
    QFile record(m_root.filePath(QStringLiteral("record.alis")));
    ASSERT_TRUE(record.open(QIODevice::WriteOnly));
    record.write(alias->data());
    record.close();
    const QString script = QStringLiteral(
        "const decode = require(process.argv[1] + '/node_modules/macos-alias/lib/decode');"
        "const info = decode(require('fs').readFileSync(process.argv[2]));"
        "console.log(JSON.stringify({volume: info.volume.name, target: info.target.filename,"
        " parent: info.parent.id, id: info.target.id, path: info.target.path,"
        " abspath: info.target.abspath, mount: info.volume.abspath}));");
    const QString output =
        run(QStringLiteral("node"), {QStringLiteral("-e"), script, folder, record.fileName()});
    const QJsonObject decoded = QJsonDocument::fromJson(output.toUtf8()).object();
    ASSERT_FALSE(decoded.isEmpty()) << output.toStdString();
    struct stat status { };
    ASSERT_EQ(::stat(QFile::encodeName(target).constData(), &status), 0);
    EXPECT_EQ(decoded.value(QStringLiteral("target")).toString(), QStringLiteral("Report.doc"));
    EXPECT_EQ(decoded.value(QStringLiteral("id")).toInteger(), qint64(quint32(status.st_ino)));
    EXPECT_EQ(decoded.value(QStringLiteral("volume")).toString(), *alias->lastKnownVolumeName());
    EXPECT_TRUE(decoded.value(QStringLiteral("path"))
                    .toString()
                    .endsWith(QStringLiteral(":Project Files:")));
    const QString mountPoint = decoded.value(QStringLiteral("mount")).toString();
    EXPECT_EQ(QDir::cleanPath(mountPoint + QLatin1Char('/')
                  + decoded.value(QStringLiteral("abspath")).toString()),
        target);
    ASSERT_EQ(
        ::stat(QFile::encodeName(m_root.filePath(QStringLiteral("Project Files"))).constData(),
            &status),
        0);
    EXPECT_EQ(decoded.value(QStringLiteral("parent")).toInteger(), qint64(quint32(status.st_ino)));
}

}
