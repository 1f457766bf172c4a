#include "TerminalFolder.h"
#include "alerts/ProgramTargetQuestion.h"
#include "support/LogCapture.h"
#include "workspace/ProgramTarget.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

// The commands in a terminal without display and without session bus: each process
// serves its own request and prints its alerts as "TITLE: MESSAGE".
namespace {

class CommandLine : public testing::Test {
protected:
    TerminalFolder m_folder;
};

QString usage(QStringView command)
{
    return u"(see kestrova help %1)\n"_s.arg(command);
}

}

TEST_F(CommandLine, EachCommandEndsWithItsStatusAndMessage)
{
    const struct {
        const char* name;
        QStringList arguments;
        int exitCode;
        QString errorsEnd; // GIO's volume monitors may complain of the missing bus first
    } rows[] = {{"NotAShortcutAlertsOncePerFile",
                    {u"open"_s, u"/nonexistent/a.lnk"_s, u"/nonexistent/b.lnk"_s}, 2,
                    u"Convert Shortcut Failed: Invalid Shortcut File. Failed to create alias.\n"
                    u"/nonexistent/a.lnk: no such file\n"
                    u"Convert Shortcut Failed: Invalid Shortcut File. Failed to create alias.\n"
                    u"/nonexistent/b.lnk: no such file\n"_s},
        {"OpenLinkUndecodable", {u"open-link"_s, u"\\\\fs1\\s\\caf%C3%A9.doc"_s}, 2,
            u"Error: Pasteboard contains empty String selection\n"_s},
        // Without a display there is no selection to read, and no clipboard to fill.
        {"OpenLinkWithoutSelection", {u"open-link"_s}, 2,
            u"Error: Pasteboard doesn't contain a proper selection\n"_s},
        {"CopyPathWithoutClipboard", {u"copy-path"_s, u"a"_s}, 2,
            u"\nError: There is no clipboard without a display (kestrova winpath prints the paths)\n"_s},
        {"OpenWithoutFiles", {u"open"_s}, 1, usage(u"open")},
        {"CopyPathUnknownScheme", {u"copy-path"_s, u"a.doc"_s, u"ftp://fs1/a.doc"_s}, 1,
            usage(u"copy-path")},
        {"OpenWithOption", {u"open"_s, u"-x"_s, u"a"_s}, 1, usage(u"open")},
        {"OpenLinkTwoTexts", {u"open-link"_s, u"a"_s, u"b"_s}, 1, usage(u"open-link")},
        {"OpenLinkQtOption", {u"open-link"_s, u"-platformpluginpath"_s}, 1, usage(u"open-link")},
        {"WinpathWithoutFiles", {u"winpath"_s}, 1, usage(u"winpath")},
        {"InfoWithoutFiles", {u"info"_s}, 1, usage(u"info")},
        {"InfoUnknownOption", {u"info"_s, u"--color"_s, u"a.lnk"_s}, 1,
            u"kestrova: info: unknown option --color (see kestrova help info)\n"_s},
        {"ServiceWithArgument", {u"service"_s, u"now"_s}, 1, usage(u"service")},
        {"Help", {u"--help"_s}, 0, QString()},
        {"UnknownCommand", {u"frobnicate"_s}, 1,
            u"kestrova: frobnicate: unknown command (see kestrova --help)\n"_s}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const ProgramRun run = m_folder.kestrova(row.arguments);
        EXPECT_EQ(run.exitCode, row.exitCode);
        EXPECT_TRUE(run.errors.endsWith(row.errorsEnd)) << run.errors.toStdString();
        if (row.exitCode == 1) {
            EXPECT_TRUE(run.errors.startsWith(u"kestrova: %1: "_s.arg(row.arguments.first())))
                << run.errors.toStdString();
        }
    }
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

// Files are names or URIs, as file managers hand them over. No file here is on a mounted
// share: each gets its line, in order, and the status says that some had no Windows path;
// a file given as an smb: URI has one without any mount.
TEST_F(CommandLine, WinpathReportsEachFileWithoutWindowsPath)
{
    const QString folder = QDir(m_folder.path()).absolutePath();
    const struct {
        QString operand;
        QString output; // or else
        QString error;
    } rows[] = {{m_folder.write(hostileName, "x"), {},
                    u"%1/%2: not on a mounted network share"_s.arg(folder, escapedHostileName)},
        {u"gone.doc"_s, {}, folder + u"/gone.doc: no such file"_s},
        {u"smb://dom;guest@127.0.0.1:445/share/My%20Dir/caf%C3%A9%231.doc"_s,
            u"//127.0.0.1/share/My Dir/caf\u00e9#1.doc"_s, {}},
        {u"SMB://fs1/Projects/%1B%5B2J/"_s, u"//fs1/Projects/\\u001b[2J"_s, {}},
        {u"file://localhost%1/gone.doc"_s.arg(folder), {}, folder + u"/gone.doc: no such file"_s},
        {m_folder.write(u"smb:notes.txt"_s, "x"), {},
            folder + u"/smb:notes.txt: not on a mounted network share"_s},
        {u"smb:\\\\fs1\\Projects"_s, {},
            u"smb:\\\\fs1\\Projects: no such file, and no URI (smb://server/share/path)"_s},
        {u"smb:///Projects"_s, {},
            u"smb:///Projects: an smb: URI names a server (smb://server/share/path)"_s},
        {u"file://fs1/a.doc"_s, {},
            u"file://fs1/a.doc: a file: URI of the computer fs1 names no file here"_s},
        {u"ftp://fs1/a.doc"_s, {},
            u"ftp://fs1/a.doc: ftp: URIs name no file here (give a file, a file: URI or an smb: "
            u"URI)"_s}};
    QStringList operands {u"winpath"_s};
    QString output;
    QString errors;
    for (const auto& row : rows) {
        operands << row.operand;
        output += row.output.isEmpty() ? QString() : row.output + u'\n';
        errors += row.error.isEmpty() ? QString() : u"kestrova: winpath: "_s + row.error + u'\n';
    }
    const ProgramRun run = m_folder.kestrova(operands);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.output, output);
    EXPECT_TRUE(run.errors.endsWith(errors)) << run.errors.toStdString();
}

TEST(ProgramTargetQuestionWithoutDisplay, RefusesForNobodyCanBeAsked)
{
    const LogCapture log;
    EXPECT_FALSE(ProgramTargetQuestion::ask(u"/srv/a.sh"_s,
        {u"application/x-shellscript"_s, {u"its first bytes are an interpreter line"_s}}));
}
