#include "TestFolder.h"
#include "filesvc/JLAlias.h"
#include "filesvc/ResourceForkOtherSources.h"
#include "support/ProgramRun.h"
#include "support/QtPrinters.h"

#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QtEndian>

using namespace Qt::StringLiterals;

// What we write, read by Qt, Pillow and the npm package macos-alias.
namespace {

// The PNG elements of an icon family, by type, as "type WIDTHxHEIGHT".
QStringList elementsOf(const QByteArray& family)
{
    if (family.size() < 8 || !family.startsWith("icns")
        || qFromBigEndian<quint32>(family.constData() + 4) != quint32(family.size()))
        return {u"no icon family"_s};
    QStringList elements;
    for (qsizetype at = 8; at + 8 <= family.size();) {
        const quint32 length = qFromBigEndian<quint32>(family.constData() + at + 4);
        const QImage image = QImage::fromData(family.sliced(at + 8, length - 8), "PNG");
        elements.append(u"%1 %2x%3"_s.arg(QString::fromLatin1(family.sliced(at, 4)))
                            .arg(image.width())
                            .arg(image.height()));
        at += length;
    }
    return elements;
}

// What a program of another project printed, or why it failed.
QString run(const QString& program, const QStringList& arguments)
{
    const ProgramRun run = runProgram(program, arguments);
    return run.exitCode == 0 ? run.output.trimmed() : u"failed: "_s + run.errors;
}

using IndependentReaders = TestFolder;

TEST_F(IndependentReaders, QtAndPillowReadTheThemeIconInThreeSizes)
{
    const QString target = write(u"notes.txt"_s, "text\n");
    EXPECT_TRUE(ResourceForkOtherSources::iconNamesForPath(target).contains(u"text-plain"_s));
    const std::optional<QByteArray> family =
        ResourceForkOtherSources::iconFamilyDataForFile(target);
    ASSERT_TRUE(family) << "no icon theme icon for text/plain";
    EXPECT_EQ(elementsOf(*family),
        (QStringList {u"ic07 128x128"_s, u"ic08 256x256"_s, u"ic09 512x512"_s}));
    EXPECT_FALSE(ResourceForkOtherSources::iconFamilyDataForFile(path("missing")));
    EXPECT_FALSE(ResourceForkOtherSources::iconFamilyForIconNames({u"no-such-icon-anywhere"_s}));
    // Debian's own interpreter, which python3-pil belongs to, whatever else is on PATH.
    const QString python =
        QFile::exists(u"/usr/bin/python3"_s) ? u"/usr/bin/python3"_s : u"python3"_s;
    const QString sizes = run(python,
        {u"-c"_s,
            u"import sys\ntry:\n    from PIL import Image\nexcept ImportError:\n"
            u"    print('no Pillow'); sys.exit(0)\nim = Image.open(sys.argv[1])\n"
            u"print(sorted(s[0] for s in im.info['sizes']))"_s,
            write(u"a.icns"_s, *family)});
    if (sizes == QLatin1String("no Pillow"))
        GTEST_SKIP() << "Pillow (python3-pil) is not installed";
    EXPECT_EQ(sizes, u"[128, 256, 512]"_s);
}

// macos-alias 0.2.12 decodes version 2 records strictly; the build fetches it.
TEST_F(IndependentReaders, MacosAliasDecodesOurRecords)
{
    if (QStandardPaths::findExecutable(u"node"_s).isEmpty())
        GTEST_SKIP() << "node is not installed";
    const QString folder = QStringLiteral(KESTROVA_NODE_FOLDER);
    ASSERT_TRUE(QFile::exists(folder + u"/node_modules/macos-alias/lib/decode.js"_s))
        << "the build did not fetch macos-alias 0.2.12 (is npm installed?)";
    ASSERT_TRUE(m_root.mkdir(u"Project Files"_s));
    const QString target = write(u"Project Files/Report.doc"_s, {});
    const std::unique_ptr<JLAlias> alias = JLAlias::aliasWithPath(target);
    ASSERT_TRUE(alias);
    const QString script =
        u"const decode = require(process.argv[1] + '/node_modules/macos-alias/lib/decode');"
        u"const info = decode(require('fs').readFileSync(process.argv[2]));"
        u"console.log(JSON.stringify({volume: info.volume.name, target: info.target.filename,"
        u" parent: info.parent.id, id: info.target.id, path: info.target.path,"
        u" abspath: info.target.abspath, mount: info.volume.abspath}));"_s;
    const QString output =
        run(u"node"_s, {u"-e"_s, script, folder, write(u"record.alis"_s, alias->data())});
    const QJsonObject decoded = QJsonDocument::fromJson(output.toUtf8()).object();
    ASSERT_FALSE(decoded.isEmpty()) << output.toStdString();
    EXPECT_EQ(decoded.value(u"target"_s).toString(), u"Report.doc"_s);
    EXPECT_EQ(decoded.value(u"id"_s).toInteger(), inodeOf(target));
    EXPECT_EQ(decoded.value(u"parent"_s).toInteger(), inodeOf(path("Project Files")));
    EXPECT_EQ(decoded.value(u"volume"_s).toString(), *alias->lastKnownVolumeName());
    EXPECT_TRUE(decoded.value(u"path"_s).toString().endsWith(u":Project Files:"_s));
    EXPECT_EQ(QDir::cleanPath(decoded.value(u"mount"_s).toString() + u'/'
                  + decoded.value(u"abspath"_s).toString()),
        target);
}

}
