#include "TerminalFolder.h"

#include <gtest/gtest.h>

#include <ostream>

using namespace Qt::StringLiterals;

// The commands in a terminal without display and without session bus: each process
// serves its own request and prints its alerts as "TITLE: MESSAGE".
namespace {

class CommandLine : public testing::Test {
protected:
    TerminalFolder m_folder;
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
    return u"(see kestrova help %1)\n"_s.arg(command);
}

}

TEST_P(CommandOutcome, EndsWithItsStatusAndMessage)
{
    const ProgramRun run = m_folder.kestrova(GetParam().arguments);
    EXPECT_EQ(run.exitCode, GetParam().exitCode);
    EXPECT_TRUE(run.errors.endsWith(GetParam().errorsEnd)) << run.errors.toStdString();
    if (GetParam().exitCode == 1)
        EXPECT_TRUE(run.errors.startsWith(u"kestrova: %1: "_s.arg(GetParam().arguments.first())))
            << run.errors.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Commands, CommandOutcome,
    testing::Values(CommandCase {"NotAShortcutAlertsOncePerFile",
                        {u"open"_s, u"/nonexistent/a.lnk"_s, u"/nonexistent/b.lnk"_s}, 2,
                        u"Convert Shortcut Failed: Invalid Shortcut File. Failed to create alias.\n"
                        u"/nonexistent/a.lnk: no such file\n"
                        u"Convert Shortcut Failed: Invalid Shortcut File. Failed to create alias.\n"
                        u"/nonexistent/b.lnk: no such file\n"_s},
        CommandCase {"OpenLinkUndecodable", {u"open-link"_s, u"\\\\fs1\\s\\caf%C3%A9.doc"_s}, 2,
            u"Error: Pasteboard contains empty String selection\n"_s},
        // Without a display there is no selection to read, and no clipboard to fill.
        CommandCase {"OpenLinkWithoutSelection", {u"open-link"_s}, 2,
            u"Error: Pasteboard doesn't contain a proper selection\n"_s},
        CommandCase {"CopyPathWithoutClipboard", {u"copy-path"_s, u"a"_s}, 2,
            u"\nError: There is no clipboard without a display (kestrova winpath prints the paths)\n"_s},
        CommandCase {"OpenWithoutFiles", {u"open"_s}, 1, usage(u"open")},
        CommandCase {"OpenWithOption", {u"open"_s, u"-x"_s, u"a"_s}, 1, usage(u"open")},
        CommandCase {"OpenLinkTwoTexts", {u"open-link"_s, u"a"_s, u"b"_s}, 1, usage(u"open-link")},
        CommandCase {
            "OpenLinkQtOption", {u"open-link"_s, u"-platformpluginpath"_s}, 1, usage(u"open-link")},
        CommandCase {"WinpathWithoutFiles", {u"winpath"_s}, 1, usage(u"winpath")},
        CommandCase {"InfoWithoutFiles", {u"info"_s}, 1, usage(u"info")},
        CommandCase {"InfoUnknownOption", {u"info"_s, u"--color"_s, u"a.lnk"_s}, 1,
            u"kestrova: info: unknown option --color (see kestrova help info)\n"_s},
        CommandCase {"ServiceWithArgument", {u"service"_s, u"now"_s}, 1, usage(u"service")},
        CommandCase {"UnknownCommand", {u"frobnicate"_s}, 1,
            u"kestrova: frobnicate: unknown command (see kestrova --help)\n"_s}),
    [](const testing::TestParamInfo<CommandCase>& testCase) { return testCase.param.name; });

TEST_F(CommandLine, HelpExplainsEveryCommand)
{
    const ProgramRun run = m_folder.kestrova({u"--help"_s});
    EXPECT_EQ(run.exitCode, 0);
    for (const char* command :
        {"open FILE...", "open-link [TEXT]", "copy-path [FILE...]", "winpath FILE...", "service"})
        EXPECT_TRUE(run.output.contains(QLatin1String(command))) << command;
}

// Steps go to the system log; a script that keeps stderr (not a terminal) asks for
// them there as well, with the controls of a stranger's text escaped.
TEST_F(CommandLine, VerboseCopiesTheStepsToStderrEscaped)
{
    const QStringList arguments = {u"open-link"_s, u"--"_s, u"\\\\fs1\\s\\"_s + hostileName};
    QProcessEnvironment verbosity;
    verbosity.insert(u"KESTROVA_VERBOSE"_s, u"1"_s);
    const ProgramRun quiet = m_folder.kestrova(arguments);
    const ProgramRun verbose = m_folder.kestrova(arguments, {}, verbosity);
    EXPECT_FALSE(quiet.errors.contains(u"kestrova: "_s));
    EXPECT_TRUE(
        verbose.errors.contains(u"kestrova: String: \\\\fs1\\s\\"_s + escapedHostileName + u'\n'))
        << verbose.errors.toStdString();
    EXPECT_FALSE(verbose.errors.contains(rawControls)) << verbose.errors.toStdString();
    EXPECT_EQ(verbose.exitCode, quiet.exitCode);
}

// No file here is on a mounted share: each gets its line, in order, and the status says
// that some had no Windows path.
TEST_F(CommandLine, WinpathReportsEachFileWithoutWindowsPath)
{
    const QString local = m_folder.write(hostileName, "x");
    const ProgramRun run = m_folder.kestrova({u"winpath"_s, local, u"gone.doc"_s});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.output, QString());
    EXPECT_TRUE(run.errors.endsWith(u"kestrova: winpath: %1/%2: not on a mounted network share\n"
                                    "kestrova: winpath: %1/gone.doc: no such file\n"_s.arg(
                                        QDir(m_folder.path()).absolutePath(), escapedHostileName)))
        << run.errors.toStdString();
}
