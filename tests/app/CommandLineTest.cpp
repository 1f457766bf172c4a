#include "KestrovaProcess.h"
#include "support/ShellLinkWriter.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

#include <ostream>

// The commands in a terminal without display and without session bus: each process
// serves its own request and prints its alerts as "TITLE: MESSAGE".
namespace {

// A name as a stranger's share may give it: a terminal title sequence, DEL, a C1
// control, a newline and a right-to-left override that shows "txt.lnk" reversed.
const QString hostileName = QStringLiteral("a\x1b]0;owned\x07\x7f\u0085\n\u202Etxt.lnk");
const QString escapedHostileName =
    QStringLiteral("a\\u001b]0;owned\\u0007\\u007f\\u0085\\u000a\\u202etxt.lnk");
const QRegularExpression rawControls(
    QStringLiteral("[\\x00-\\x09\\x0b-\\x1f\\x7f-\\x9f\\x{202a}-\\x{202e}\\x{2066}-\\x{2069}]"));

class CommandLine : public testing::Test {
protected:
    ProgramRun kestrova(const QStringList& arguments, bool verbose = false)
    {
        QProcessEnvironment environment =
            terminalEnvironment(m_folder.filePath(QStringLiteral("config")));
        if (verbose)
            environment.insert(QStringLiteral("KESTROVA_VERBOSE"), QStringLiteral("1"));
        return runKestrova(arguments, environment, m_folder.path());
    }
    QString writeFile(const QString& name, const QByteArray& bytes)
    {
        QFile file(m_folder.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return QDir(m_folder.path()).absoluteFilePath(name);
    }

    QTemporaryDir m_folder;
};

struct CommandCase {
    const char* name;
    QStringList arguments;
    int exitCode;
    QString errorsEnd; // GIO's volume monitors may complain of the missing bus first
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const CommandCase& testCase, std::ostream* out)
{
    *out << testCase.name;
}

class CommandOutcome : public CommandLine, public testing::WithParamInterface<CommandCase> { };

QString usage(QStringView command)
{
    return QStringLiteral("(see kestrova help %1)\n").arg(command);
}

}

TEST_P(CommandOutcome, EndsWithItsStatusAndMessage)
{
    const ProgramRun run = kestrova(GetParam().arguments);
    EXPECT_EQ(run.exitCode, GetParam().exitCode);
    EXPECT_TRUE(run.errors.endsWith(GetParam().errorsEnd)) << run.errors.toStdString();
    if (GetParam().exitCode == 1)
        EXPECT_TRUE(run.errors.startsWith(
            QStringLiteral("kestrova: %1: ").arg(GetParam().arguments.first())))
            << run.errors.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Commands, CommandOutcome,
    testing::Values(
        CommandCase {"NotAShortcutAlertsOncePerFile",
            {QStringLiteral("open"), QStringLiteral("/nonexistent/a.lnk"),
                QStringLiteral("/nonexistent/b.lnk")},
            2,
            QStringLiteral("Convert Shortcut Failed: Invalid Shortcut File. Failed to create "
                           "alias.\n")
                .repeated(2)},
        CommandCase {"OpenLinkUndecodable",
            {QStringLiteral("open-link"), QStringLiteral("\\\\fs1\\s\\caf%C3%A9.doc")}, 2,
            QStringLiteral("Error: Pasteboard contains empty String selection\n")},
        // Without a display there is no selection to read, and no clipboard to fill.
        CommandCase {"OpenLinkWithoutSelection", {QStringLiteral("open-link")}, 2,
            QStringLiteral("Error: Pasteboard doesn't contain a proper selection\n")},
        CommandCase {"CopyPathWithoutClipboard", {QStringLiteral("copy-path"), QStringLiteral("a")},
            2,
            QStringLiteral("\nError: There is no clipboard without a display (kestrova winpath "
                           "prints the paths)\n")},
        CommandCase {"OpenWithoutFiles", {QStringLiteral("open")}, 1, usage(u"open")},
        CommandCase {"OpenWithOption",
            {QStringLiteral("open"), QStringLiteral("-x"), QStringLiteral("a")}, 1, usage(u"open")},
        CommandCase {"OpenLinkTwoTexts",
            {QStringLiteral("open-link"), QStringLiteral("a"), QStringLiteral("b")}, 1,
            usage(u"open-link")},
        CommandCase {"OpenLinkQtOption",
            {QStringLiteral("open-link"), QStringLiteral("-platformpluginpath")}, 1,
            usage(u"open-link")},
        CommandCase {"WinpathWithoutFiles", {QStringLiteral("winpath")}, 1, usage(u"winpath")},
        CommandCase {"InfoWithoutFiles", {QStringLiteral("info")}, 1, usage(u"info")},
        CommandCase {"ServiceWithArgument", {QStringLiteral("service"), QStringLiteral("now")}, 1,
            usage(u"service")},
        CommandCase {"UnknownCommand", {QStringLiteral("frobnicate")}, 1,
            QStringLiteral("kestrova: frobnicate: unknown command (see kestrova --help)\n")}),
    [](const testing::TestParamInfo<CommandCase>& testCase) { return testCase.param.name; });

TEST_F(CommandLine, HelpExplainsEveryCommand)
{
    const ProgramRun run = kestrova({QStringLiteral("--help")});
    EXPECT_EQ(run.exitCode, 0);
    for (const char* command :
        {"open FILE...", "open-link [TEXT]", "copy-path [FILE...]", "winpath FILE...", "service"})
        EXPECT_TRUE(run.output.contains(QLatin1String(command))) << command;
}

// Steps go to the system log; a script that keeps stderr (not a terminal) asks for
// them there as well, with the controls of a stranger's text escaped.
TEST_F(CommandLine, VerboseCopiesTheStepsToStderrEscaped)
{
    const QStringList arguments = {QStringLiteral("open-link"), QStringLiteral("--"),
        QStringLiteral("\\\\fs1\\s\\") + hostileName};
    const ProgramRun quiet = kestrova(arguments);
    const ProgramRun verbose = kestrova(arguments, true);
    EXPECT_FALSE(quiet.errors.contains(QStringLiteral("kestrova: ")));
    EXPECT_TRUE(verbose.errors.contains(
        QStringLiteral("kestrova: String: \\\\fs1\\s\\") + escapedHostileName + QLatin1Char('\n')))
        << verbose.errors.toStdString();
    EXPECT_FALSE(verbose.errors.contains(rawControls)) << verbose.errors.toStdString();
    EXPECT_EQ(verbose.exitCode, quiet.exitCode);
}

TEST_F(CommandLine, InfoShowsHostileNamesEscapedAndJsonExact)
{
    ShellLinkContents contents;
    contents.netNameUnicode = QStringLiteral("\\\\fs1\\s\u202E\u2066\x7f");
    contents.commonPathSuffix = "a.doc";
    const QString shortcut = writeFile(hostileName, ShellLinkWriter::write(contents));
    const QString junk = writeFile(QStringLiteral("junk\u202E.lnk"), "junk");

    const ProgramRun text = kestrova({QStringLiteral("info"), shortcut, junk});
    EXPECT_EQ(text.exitCode, 2);
    EXPECT_TRUE(text.output.startsWith(m_folder.path() + QLatin1Char('/') + escapedHostileName))
        << text.output.toStdString();
    EXPECT_TRUE(text.output.contains(QStringLiteral("share: //fs1/s\\u202e\\u2066\\u007f")));
    EXPECT_EQ(text.errors,
        QStringLiteral("kestrova: info: %1/junk\\u202e.lnk: not a Windows shortcut\n")
            .arg(m_folder.path()));
    EXPECT_FALSE((text.output + text.errors).contains(rawControls));

    const ProgramRun json = kestrova({QStringLiteral("info"), QStringLiteral("--json"), shortcut});
    EXPECT_EQ(json.exitCode, 0) << json.errors.toStdString();
    EXPECT_FALSE(json.output.contains(rawControls));
    const QJsonArray reports = QJsonDocument::fromJson(json.output.toUtf8()).array();
    ASSERT_EQ(reports.size(), 1) << json.output.toStdString();
    EXPECT_EQ(reports[0][QStringLiteral("file")].toString(), shortcut);
    EXPECT_EQ(
        reports[0][QStringLiteral("share")].toString(), QStringLiteral("//fs1/s\u202E\u2066\x7f"));
}

TEST_F(CommandLine, InfoSaysWhyAFileIsNoShortcut)
{
    writeFile(QStringLiteral("text.lnk"), "plain words");
    QFile large(m_folder.filePath(QStringLiteral("large.lnk")));
    ASSERT_TRUE(large.open(QIODevice::WriteOnly) && large.resize(qint64(17) << 20));
    QStringList files = {QStringLiteral("missing.lnk"), QStringLiteral("."),
        QStringLiteral("text.lnk"), QStringLiteral("large.lnk")};
    QString expected =
        QStringLiteral("kestrova: info: missing.lnk: no such file\n"
                       "kestrova: info: .: a folder, not a shortcut\n"
                       "kestrova: info: text.lnk: not a Windows shortcut\n"
                       "kestrova: info: large.lnk: too large for a shortcut (over 16 "
                       "MiB)\n");
    // Root reads whatever the permissions say.
    if (::geteuid() != 0) {
        writeFile(QStringLiteral("locked.lnk"), "x");
        QFile::setPermissions(m_folder.filePath(QStringLiteral("locked.lnk")), {});
        files << QStringLiteral("locked.lnk");
        expected += QStringLiteral("kestrova: info: locked.lnk: permission denied\n");
    }
    const ProgramRun run = kestrova(QStringList {QStringLiteral("info")} + files);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.errors, expected);
    EXPECT_EQ(run.output, QString());
}

// No file here is on a mounted share: each gets its line, in order, and the status says
// that some had no Windows path.
TEST_F(CommandLine, WinpathReportsEachFileWithoutWindowsPath)
{
    const QString local = writeFile(hostileName, "x");
    const ProgramRun run = kestrova({QStringLiteral("winpath"), local, QStringLiteral("gone.doc")});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.output, QString());
    const QString folder = QDir(m_folder.path()).absolutePath();
    EXPECT_TRUE(run.errors.endsWith(
        QStringLiteral("kestrova: winpath: %1/%2: not on a mounted network share\n"
                       "kestrova: winpath: %1/gone.doc: no such file\n")
            .arg(folder, escapedHostileName)))
        << run.errors.toStdString();
}
