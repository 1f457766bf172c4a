#include "filesvc/JLAlias.h"
#include "filesvc/JLResourceForkOtherSources.h"
#include "support/QtPrinters.h"

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

// What we write, read by the readers of other projects: Qt's PNG reader and Pillow for
// icon families, the npm package macos-alias for alias records.
namespace {

// The PNG elements of an icon family, by type, as "type WIDTHxHEIGHT".
QStringList elementsOf(const QByteArray& family)
{
    if (family.size() < 8 || !family.startsWith("icns")
        || qFromBigEndian<quint32>(family.constData() + 4) != quint32(family.size()))
        return {QStringLiteral("no icon family")};
    QStringList elements;
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

// Runs a program of another project to its end: its output, or why it failed.
QString run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(600000);
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return QStringLiteral("failed: ") + QString::fromUtf8(process.readAllStandardError());
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

qint64 inodeOf(const QString& path)
{
    struct stat status { };
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? qint64(quint32(status.st_ino)) : -1;
}

class IndependentReaders : public testing::Test {
protected:
    QString write(const QString& name, const QByteArray& contents) const
    {
        QFile file(m_root.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size());
        return file.fileName();
    }
    QTemporaryDir m_temporary;
    QDir m_root {m_temporary.path()};
};

TEST_F(IndependentReaders, QtAndPillowReadTheThemeIconInThreeSizes)
{
    const QString target = write(QStringLiteral("notes.txt"), "text\n");
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

    // Debian's own interpreter, which python3-pil belongs to, whatever else is on PATH.
    const QString python = QFile::exists(QStringLiteral("/usr/bin/python3"))
        ? QStringLiteral("/usr/bin/python3")
        : QStringLiteral("python3");
    const QString sizes = run(python,
        {QStringLiteral("-c"),
            QStringLiteral("import sys\ntry:\n    from PIL import Image\nexcept ImportError:\n"
                           "    print('no Pillow'); sys.exit(0)\nim = Image.open(sys.argv[1])\n"
                           "print(sorted(s[0] for s in im.info['sizes']))"),
            write(QStringLiteral("a.icns"), *family)});
    if (sizes == QLatin1String("no Pillow"))
        GTEST_SKIP() << "Pillow (python3-pil) is not installed";
    EXPECT_EQ(sizes, QStringLiteral("[128, 256, 512]"));
}

// The npm package macos-alias 0.2.12 decodes version 2 alias records strictly; it is
// installed once into the build folder.
QString macosAliasFolder()
{
    const QString folder = QStringLiteral(KESTROVA_NODE_FOLDER);
    const QString decoder = folder + QStringLiteral("/node_modules/macos-alias/lib/decode.js");
    if (!QFile::exists(decoder) && QDir().mkpath(folder)) {
        (void)run(QStringLiteral("npm"),
            {QStringLiteral("install"), QStringLiteral("--force"),
                QStringLiteral("--ignore-scripts"), QStringLiteral("--no-audit"),
                QStringLiteral("--no-fund"), QStringLiteral("--prefix"), folder,
                QStringLiteral("macos-alias@0.2.12")});
    }
    return QFile::exists(decoder) ? folder : QString();
}

TEST_F(IndependentReaders, MacosAliasDecodesOurRecords)
{
    if (QStandardPaths::findExecutable(QStringLiteral("node")).isEmpty()
        || QStandardPaths::findExecutable(QStringLiteral("npm")).isEmpty())
        GTEST_SKIP() << "node and npm are not installed";
    const QString folder = macosAliasFolder();
    ASSERT_FALSE(folder.isEmpty()) << "npm could not install macos-alias@0.2.12";
    ASSERT_TRUE(m_root.mkdir(QStringLiteral("Project Files")));
    const QString target = write(QStringLiteral("Project Files/Report.doc"), {});
    const std::unique_ptr<JLAlias> alias = JLAlias::aliasWithPath(target);
    ASSERT_TRUE(alias);
    const QString script = QStringLiteral(
        "const decode = require(process.argv[1] + '/node_modules/macos-alias/lib/decode');"
        "const info = decode(require('fs').readFileSync(process.argv[2]));"
        "console.log(JSON.stringify({volume: info.volume.name, target: info.target.filename,"
        " parent: info.parent.id, id: info.target.id, path: info.target.path,"
        " abspath: info.target.abspath, mount: info.volume.abspath}));");
    const QString output = run(QStringLiteral("node"),
        {QStringLiteral("-e"), script, folder,
            write(QStringLiteral("record.alis"), alias->data())});
    const QJsonObject decoded = QJsonDocument::fromJson(output.toUtf8()).object();
    ASSERT_FALSE(decoded.isEmpty()) << output.toStdString();
    EXPECT_EQ(decoded.value(QStringLiteral("target")).toString(), QStringLiteral("Report.doc"));
    EXPECT_EQ(decoded.value(QStringLiteral("id")).toInteger(), inodeOf(target));
    EXPECT_EQ(decoded.value(QStringLiteral("parent")).toInteger(),
        inodeOf(m_root.filePath(QStringLiteral("Project Files"))));
    EXPECT_EQ(decoded.value(QStringLiteral("volume")).toString(), *alias->lastKnownVolumeName());
    EXPECT_TRUE(decoded.value(QStringLiteral("path"))
                    .toString()
                    .endsWith(QStringLiteral(":Project Files:")));
    EXPECT_EQ(QDir::cleanPath(decoded.value(QStringLiteral("mount")).toString() + QLatin1Char('/')
                  + decoded.value(QStringLiteral("abspath")).toString()),
        target);
}

}
