#include "support/Corpus.h"
#include "support/ProgramRun.h"
#include "support/QtPrinters.h"
#include "support/ShellLinkWriter.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

ProgramRun kestrova(const QStringList& arguments)
{
    return runProgram(QStringLiteral(KESTROVA_BINARY), arguments);
}

class InfoCommand : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_folder.isValid()); }

    QString write(const QString& name, const QByteArray& bytes)
    {
        QString path = m_folder.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    QString makeShortcut(const QString& name, const QStringList& options)
    {
        QString path = m_folder.filePath(name);
        const ProgramRun made =
            runProgram(QStringLiteral(MAKE_SHORTCUT_BINARY), options + QStringList {path});
        EXPECT_EQ(made.exitCode, 0) << qPrintable(made.errors);
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
    const ProgramRun result = kestrova({QStringLiteral("info"), path});
    EXPECT_EQ(result.exitCode, 0) << qPrintable(result.errors);
    const QStringList lines = result.output.split(QLatin1Char('\n'));
    EXPECT_EQ(lines.value(0), path + QLatin1Char(':'));
    for (const char* expected :
        {"  fullFilename: \\\\127.0.0.1\\Demo/docs\\a.txt", "  share: //127.0.0.1/Demo",
            "  filename: docs/a.txt", "  composedLinkName: smb://127.0.0.1/Demo/docs/a.txt",
            "  shareEncoding: 28591 Western (ISO Latin 1)",
            "  pathEncoding: 1200 Unicode (UTF-16LE)",
            "  share from: CommonNetworkRelativeLink.NetName",
            "  path from: LinkInfo.CommonPathSuffixUnicode", "    isFileOrDir: 1"})
        EXPECT_TRUE(lines.contains(QString::fromUtf8(expected))) << expected << "\n"
                                                                 << qPrintable(result.output);
}

TEST_F(InfoCommand, JsonHoldsOneObjectPerReadableFile)
{
    const QString local = makeShortcut(
        QStringLiteral("local.lnk"), {QStringLiteral("--local"), QStringLiteral("C:\\dir\\b.txt")});
    const QString broken = write(QStringLiteral("broken.lnk"), "not a shortcut");
    const QString net = makeShortcut(QStringLiteral("net.lnk"),
        {QStringLiteral("--net"), QStringLiteral("\\\\srv\\s"), QStringLiteral("--suffix"),
            QStringLiteral("x")});
    const ProgramRun result =
        kestrova({QStringLiteral("info"), QStringLiteral("--json"), local, broken, net});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.errors,
        QStringLiteral("kestrova: info: ") + broken + QStringLiteral(": not a Windows shortcut\n"));
    const QJsonArray reports = QJsonDocument::fromJson(result.output.toUtf8()).array();
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
    const ProgramRun result = kestrova({QStringLiteral("info"), path});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_TRUE(result.output.contains(QStringLiteral("  fullFilename: %HOMESHARE%\\a.txt\n")));
    EXPECT_TRUE(result.output.contains(
        QStringLiteral("  path from: EnvironmentVariableDataBlock.TargetUnicode\n")));
    EXPECT_TRUE(result.output.contains(QStringLiteral("    preferEnvironmentPath: 1\n")));
}

TEST_F(InfoCommand, ControlCharactersAreShownEscaped)
{
    ShellLinkContents contents;
    contents.localBasePath = "C:\\\x1b[31mred\x9b.txt";
    const QString path = write(QStringLiteral("escape.lnk"), ShellLinkWriter::write(contents));
    const ProgramRun result = kestrova({QStringLiteral("info"), path});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_TRUE(
        result.output.contains(QStringLiteral("  fullFilename: C:\\\\u001b[31mred\\u009b.txt\n")))
        << qPrintable(result.output);
    EXPECT_FALSE(result.output.contains(QChar(0x1b)));
}

TEST_F(InfoCommand, UsageErrorsExitWithOne)
{
    EXPECT_EQ(kestrova({QStringLiteral("info")}).exitCode, 1);
    const ProgramRun unknown =
        kestrova({QStringLiteral("info"), QStringLiteral("--color"), QStringLiteral("a.lnk")});
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_EQ(unknown.errors,
        QStringLiteral("kestrova: info: unknown option --color (see kestrova help info)\n"));
    const ProgramRun missing =
        kestrova({QStringLiteral("info"), QStringLiteral("--"), QStringLiteral("--json")});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_EQ(missing.errors, QStringLiteral("kestrova: info: --json: no such file\n"));
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
    const ProgramRun result =
        kestrova(QStringList {QStringLiteral("info"), QStringLiteral("--json")} + files);
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(QJsonDocument::fromJson(result.output.toUtf8()).array().size(), 549);
    EXPECT_EQ(result.errors.count(QStringLiteral("\n")), 496);
    EXPECT_EQ(result.errors.count(QStringLiteral("kestrova: info: ")), 496);
}
