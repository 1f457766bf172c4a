#include "support/Corpus.h"
#include "support/QtPrinters.h"
#include "support/ShellLinkWriter.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct ProcessResult {
    int exitCode = -1;
    QString out;
    QString err;
};

ProcessResult run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(120000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
        QString::fromUtf8(process.readAllStandardOutput()),
        QString::fromUtf8(process.readAllStandardError())};
}

ProcessResult kestrova(const QStringList& arguments)
{
    return run(QStringLiteral(KESTROVA_BINARY), arguments);
}

class InfoCommand : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_folder.isValid()); }

    QString write(const QString& name, const QByteArray& bytes)
    {
        const QString path = m_folder.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    QString makeShortcut(const QString& name, const QStringList& options)
    {
        const QString path = m_folder.filePath(name);
        const ProcessResult made =
            run(QStringLiteral(MAKE_SHORTCUT_BINARY), options + QStringList {path});
        EXPECT_EQ(made.exitCode, 0) << qPrintable(made.err);
        return path;
    }

    QTemporaryDir m_folder;
};

}

TEST_F(InfoCommand, PrintsWhatTheReaderFound)
{
    const QString path = makeShortcut(QStringLiteral("net.lnk"),
        {QStringLiteral("--net"), QStringLiteral("\\\\127.0.0.1\\Demo"), QStringLiteral("--suffix"),
            QStringLiteral("docs\\a.txt")});
    const ProcessResult result = kestrova({QStringLiteral("info"), path});
    EXPECT_EQ(result.exitCode, 0) << qPrintable(result.err);
    const QStringList lines = result.out.split(QLatin1Char('\n'));
    EXPECT_EQ(lines.value(0), path + QLatin1Char(':'));
    for (const char* expected :
        {"  fullFilename: \\\\127.0.0.1\\Demo/docs\\a.txt", "  share: //127.0.0.1/Demo",
            "  filename: docs/a.txt", "  composedLinkName: smb://127.0.0.1/Demo/docs/a.txt",
            "  shareEncoding: 28591 Western (ISO Latin 1)",
            "  pathEncoding: 1200 Unicode (UTF-16LE)",
            "  share from: CommonNetworkRelativeLink.NetName",
            "  path from: LinkInfo.CommonPathSuffixUnicode", "    isFileOrDir: 1"})
        EXPECT_TRUE(lines.contains(QString::fromUtf8(expected))) << expected << "\n"
                                                                 << qPrintable(result.out);
}

TEST_F(InfoCommand, JsonHoldsOneObjectPerReadableFile)
{
    const QString local = makeShortcut(
        QStringLiteral("local.lnk"), {QStringLiteral("--local"), QStringLiteral("C:\\dir\\b.txt")});
    const QString broken = write(QStringLiteral("broken.lnk"), "not a shortcut");
    const QString net = makeShortcut(QStringLiteral("net.lnk"),
        {QStringLiteral("--net"), QStringLiteral("\\\\srv\\s"), QStringLiteral("--suffix"),
            QStringLiteral("x")});
    const ProcessResult result =
        kestrova({QStringLiteral("info"), QStringLiteral("--json"), local, broken, net});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.err, broken + QStringLiteral(": not a readable Windows shortcut\n"));
    const QJsonArray reports = QJsonDocument::fromJson(result.out.toUtf8()).array();
    ASSERT_EQ(reports.size(), 2);
    const QJsonObject first = reports[0].toObject();
    EXPECT_EQ(first[QStringLiteral("file")].toString(), local);
    EXPECT_EQ(first[QStringLiteral("fullFilename")].toString(), QStringLiteral("C:\\dir\\b.txt"));
    EXPECT_TRUE(first[QStringLiteral("share")].isNull());
    EXPECT_EQ(first[QStringLiteral("from")].toObject()[QStringLiteral("path")].toString(),
        QStringLiteral("LinkInfo.LocalBasePath"));
    EXPECT_TRUE(first[QStringLiteral("flags")].toObject()[QStringLiteral("isFileOrDir")].toBool());
    EXPECT_EQ(reports[1].toObject()[QStringLiteral("composedLinkName")].toString(),
        QStringLiteral("smb://srv/s/x"));
}

TEST_F(InfoCommand, EnvironmentTargetIsShownAndPreferred)
{
    const QString path = makeShortcut(QStringLiteral("env.lnk"),
        {QStringLiteral("--local"), QStringLiteral("C:\\a.txt"), QStringLiteral("--env"),
            QStringLiteral("%HOMESHARE%\\a.txt"), QStringLiteral("--prefer-env")});
    const ProcessResult result = kestrova({QStringLiteral("info"), path});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_TRUE(result.out.contains(QStringLiteral("  fullFilename: %HOMESHARE%\\a.txt\n")));
    EXPECT_TRUE(result.out.contains(
        QStringLiteral("  path from: EnvironmentVariableDataBlock.TargetUnicode\n")));
    EXPECT_TRUE(result.out.contains(QStringLiteral("    preferEnvironmentPath: 1\n")));
}

TEST_F(InfoCommand, ControlCharactersAreShownEscaped)
{
    ShellLinkContents contents;
    contents.localBasePath = "C:\\\x1b[31mred\x9b.txt";
    const QString path = write(QStringLiteral("escape.lnk"), ShellLinkWriter::write(contents));
    const ProcessResult result = kestrova({QStringLiteral("info"), path});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_TRUE(
        result.out.contains(QStringLiteral("  fullFilename: C:\\\\u001b[31mred\\u009b.txt\n")))
        << qPrintable(result.out);
    EXPECT_FALSE(result.out.contains(QChar(0x1b)));
}

TEST_F(InfoCommand, UsageErrorsExitWithOne)
{
    EXPECT_EQ(kestrova({QStringLiteral("info")}).exitCode, 1);
    const ProcessResult unknown =
        kestrova({QStringLiteral("info"), QStringLiteral("--color"), QStringLiteral("a.lnk")});
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_EQ(unknown.err, QStringLiteral("kestrova: info: unknown option --color\n"));
    const ProcessResult missing =
        kestrova({QStringLiteral("info"), QStringLiteral("--"), QStringLiteral("--json")});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_EQ(missing.err, QStringLiteral("--json: not a readable Windows shortcut\n"));
}

TEST(InfoCommandCorpus, ReadsWholeCorpusInOneRun)
{
    KESTROVA_REQUIRE_CORPUS();
    QStringList files;
    QDirIterator iterator(
        Corpus::path(QStringLiteral("lnk")), QDir::Files, QDirIterator::Subdirectories);
    while (iterator.hasNext()) {
        const QString file = iterator.next();
        if (!file.endsWith(QLatin1String("MANIFEST.tsv"))
            && !file.endsWith(QLatin1String("README.md")))
            files << file;
    }
    const ProcessResult result =
        kestrova(QStringList {QStringLiteral("info"), QStringLiteral("--json")} + files);
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(QJsonDocument::fromJson(result.out.toUtf8()).array().size(), 549);
    EXPECT_EQ(result.err.count(QStringLiteral(": not a readable Windows shortcut\n")), 496);
}
