#include "app/TerminalFolder.h"
#include "support/Files.h"
#include "support/ShellLinkWriter.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

class InfoCommand : public testing::Test {
protected:
    ProgramRun info(const QStringList& arguments)
    {
        return m_folder.kestrova(QStringList {u"info"_s} + arguments);
    }

    QString makeShortcut(const QString& name, const QStringList& options)
    {
        const QString path = m_folder.filePath(name);
        const ProgramRun made =
            runProgram(QStringLiteral(MAKE_SHORTCUT_BINARY), options + QStringList {path});
        EXPECT_EQ(made.exitCode, 0) << made.errors.toStdString();
        return path;
    }

    TerminalFolder m_folder;
};

}

TEST_F(InfoCommand, PrintsWhatTheReaderFound)
{
    const QString net = makeShortcut(
        u"net.lnk"_s, {u"--net"_s, u"\\\\127.0.0.1\\Demo"_s, u"--suffix"_s, u"docs\\a.txt"_s});
    const QString env = makeShortcut(u"env.lnk"_s,
        {u"--local"_s, u"C:\\a.txt"_s, u"--env"_s, u"%HOMESHARE%\\a.txt"_s, u"--prefer-env"_s});
    const ProgramRun result = info({net, env});
    EXPECT_EQ(result.exitCode, 0) << result.errors.toStdString();
    const QStringList lines = result.output.split(u'\n');
    EXPECT_EQ(lines.value(0), net + u':');
    for (const char* expected :
        {"  fullFilename: \\\\127.0.0.1\\Demo/docs\\a.txt", "  share: //127.0.0.1/Demo",
            "  filename: docs/a.txt", "  composedLinkName: smb://127.0.0.1/Demo/docs/a.txt",
            "  shareEncoding: 28591 Western (ISO Latin 1)",
            "  pathEncoding: 1200 Unicode (UTF-16LE)",
            "  share from: CommonNetworkRelativeLink.NetName",
            "  path from: LinkInfo.CommonPathSuffixUnicode", "    isFileOrDir: 1",
            // The environment's target is shown and preferred.
            "  fullFilename: %HOMESHARE%\\a.txt",
            "  path from: EnvironmentVariableDataBlock.TargetUnicode",
            "    preferEnvironmentPath: 1"})
        EXPECT_TRUE(lines.contains(QString::fromUtf8(expected))) << expected << "\n"
                                                                 << result.output.toStdString();
}

// Text shows a stranger's controls escaped; JSON holds one exact object per readable file.
TEST_F(InfoCommand, ReportsTextEscapedAndJsonExact)
{
    const QString local = makeShortcut(u"local.lnk"_s, {u"--local"_s, u"C:\\dir\\b.txt"_s});
    const QString junk = m_folder.write(u"junk\u202E.lnk"_s, "junk");
    ShellLinkContents contents;
    // Every kind of character JSON escapes, the controls it must escape as well, and text
    // that only UTF-8 carries: a surrogate pair and a lone surrogate.
    const QString share = u"s\u202E\u2066\x7f\"\t\x01\u0085\U0001F600\u00E9\xDC00"_s;
    contents.netNameUnicode = u"\\\\fs1\\"_s + share;
    contents.commonPathSuffix = "a.doc";
    const QString hostile = m_folder.write(hostileName, ShellLinkWriter::write(contents));

    const ProgramRun text = info({hostile, junk});
    EXPECT_EQ(text.exitCode, 2);
    EXPECT_TRUE(text.output.startsWith(m_folder.path() + u'/' + escapedHostileName))
        << text.output.toStdString();
    EXPECT_TRUE(text.output.contains(
        u"share: //fs1/s\\u202e\\u2066\\u007f\"\\u0009\\u0001\\u0085\U0001F600\u00E9"_s))
        << text.output.toStdString();
    EXPECT_EQ(text.errors,
        u"kestrova: info: %1/junk\\u202e.lnk: not a Windows shortcut\n"_s.arg(m_folder.path()));
    EXPECT_FALSE((text.output + text.errors).contains(rawControls));

    const ProgramRun json = info({u"--json"_s, local, junk, hostile});
    EXPECT_EQ(json.exitCode, 2);
    EXPECT_FALSE(json.output.contains(rawControls));
    QJsonParseError parsed;
    const QJsonArray reports = QJsonDocument::fromJson(json.output.toUtf8(), &parsed).array();
    EXPECT_EQ(parsed.error, QJsonParseError::NoError) << json.output.toStdString();
    ASSERT_EQ(reports.size(), 2) << json.output.toStdString();
    const QJsonObject first = reports[0].toObject();
    EXPECT_EQ(first[u"file"_s].toString(), local);
    EXPECT_EQ(first[u"fullFilename"_s].toString(), u"C:\\dir\\b.txt"_s);
    EXPECT_TRUE(first[u"share"_s].isNull());
    EXPECT_EQ(first[u"from"_s][u"path"_s].toString(), u"LinkInfo.LocalBasePath"_s);
    EXPECT_TRUE(first[u"flags"_s][u"isFileOrDir"_s].toBool());
    EXPECT_EQ(reports[1][u"file"_s].toString(), hostile);
    EXPECT_EQ(reports[1][u"share"_s].toString(), u"//fs1/"_s + share);
    EXPECT_EQ(reports[1][u"fullFilename"_s].toString(), u"\\\\fs1\\%1/a.doc"_s.arg(share));
}

TEST_F(InfoCommand, SaysWhyAFileIsNoShortcut)
{
    m_folder.write(u"text.lnk"_s, "plain words");
    QFile large(m_folder.filePath(u"large.lnk"_s));
    ASSERT_TRUE(large.open(QIODevice::WriteOnly) && large.resize(qint64(17) << 20));
    QStringList files = {
        u"--"_s, u"missing.lnk"_s, u"."_s, u"text.lnk"_s, u"large.lnk"_s, u"--json"_s};
    QString expected = u"kestrova: info: missing.lnk: no such file\n"
                       "kestrova: info: .: a folder, not a shortcut\n"
                       "kestrova: info: text.lnk: not a Windows shortcut\n"
                       "kestrova: info: large.lnk: too large for a shortcut (over 16 MiB)\n"
                       "kestrova: info: --json: no such file\n"_s;
    // Root reads whatever the permissions say.
    if (::geteuid() != 0) {
        QFile::setPermissions(m_folder.write(u"locked.lnk"_s, "x"), {});
        files << u"locked.lnk"_s;
        expected += u"kestrova: info: locked.lnk: permission denied\n"_s;
    }
    const ProgramRun run = info(files);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.errors, expected);
    EXPECT_EQ(run.output, QString());
}

// A Latin-1 name, as old shares and archives give them: the commands open exactly the
// bytes they were given and show the byte that is not UTF-8 as \udce9.
TEST_F(InfoCommand, NamesThatAreNotUtf8StillOpenTheirFiles)
{
    ShellLinkContents contents;
    contents.netName = "\\\\fs1\\s";
    contents.commonPathSuffix = "a.doc";
    writeFile(m_folder.filePath(u"caf.lnk"_s), ShellLinkWriter::write(contents));
    ASSERT_EQ(::rename((m_folder.path().toUtf8() + "/caf.lnk").constData(),
                  (m_folder.path().toUtf8() + "/caf\xe9.lnk").constData()),
        0);
    // QProcess would pass the name as UTF-8; the shell passes its bytes.
    const auto kestrova = [&](const QStringList& arguments) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"XDG_CONFIG_HOME"_s, m_folder.filePath(u"config"_s));
        return runProgram(u"/bin/sh"_s,
            QStringList {u"-c"_s, u"cd \"$0\" && exec \"$@\" \"$(printf 'caf\\351.lnk')\""_s,
                m_folder.path(), QStringLiteral(KESTROVA_BINARY)}
                + arguments,
            environment);
    };
    const ProgramRun text = kestrova({u"info"_s});
    EXPECT_EQ(text.exitCode, 0) << text.errors.toStdString();
    EXPECT_TRUE(text.output.startsWith(u"caf\\udce9.lnk:\n"_s)) << text.output.toStdString();
    EXPECT_TRUE(text.output.contains(u"share: //fs1/s"_s));
    const ProgramRun json = kestrova({u"info"_s, u"--json"_s});
    EXPECT_TRUE(json.output.contains(u"\"file\": \"caf\\udce9.lnk\""_s))
        << json.output.toStdString();
    EXPECT_EQ(QJsonDocument::fromJson(json.output.toUtf8()).array().size(), 1);
    const ProgramRun winpath = kestrova({u"winpath"_s});
    EXPECT_EQ(winpath.exitCode, 2);
    EXPECT_EQ(winpath.errors,
        u"kestrova: winpath: %1/caf\\udce9.lnk: not on a mounted network share\n"_s.arg(
            m_folder.path()));
}
