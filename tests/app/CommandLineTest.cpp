#include "TerminalFolder.h"
#include "alerts/ProgramTargetQuestion.h"
#include "preferences/PreferencesTestFolder.h"
#include "support/Files.h"
#include "support/LogCapture.h"
#include "support/ShellLinkWriter.h"
#include "volumes/GuestServers.h"
#include "workspace/ProgramTarget.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace Qt::StringLiterals;

// The commands in a terminal without display and without session bus: each process
// serves its own request and prints its alerts as "TITLE: MESSAGE".
namespace {

class CommandLine : public testing::Test {
protected:
    TerminalFolder m_folder;
};

class InfoCommand : public CommandLine {
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
};

QString usage(QStringView command)
{
    return u"(see kestrova help %1)\n"_s.arg(command);
}

QStringList words(const char* text)
{
    return QString::fromUtf8(text).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

// `kestrova settings` over a temporary domain, with no session bus to announce on.
class SettingsCommand : public testing::Test {
protected:
    ProgramRun settings(const QStringList& arguments)
    {
        return runProgram(QStringLiteral(KESTROVA_BINARY), QStringList {u"settings"_s} + arguments,
            m_folder.environment());
    }
    QString output(const char* arguments) { return output(words(arguments)); }
    QString output(const QStringList& arguments)
    {
        const ProgramRun run = settings(arguments);
        EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
        return run.output;
    }

    PreferencesTestFolder m_folder;
};

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
            u"Error: There is no clipboard without a display (kestrova winpath prints the paths)\n"_s},
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

TEST_F(InfoCommand, PrintsWhatTheReaderFoundAsTextEscapedAndAsExactJson)
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
            "  share from: CommonNetworkRelativeLink.NetName",
            "  path from: LinkInfo.CommonPathSuffixUnicode", "    isFileOrDir: 1",
            // The environment's target is shown and preferred.
            "  fullFilename: %HOMESHARE%\\a.txt",
            "  path from: EnvironmentVariableDataBlock.TargetUnicode",
            "    preferEnvironmentPath: 1"})
        EXPECT_TRUE(lines.contains(QString::fromUtf8(expected))) << expected << "\n"
                                                                 << result.output.toStdString();
    // Text shows a stranger's controls escaped; JSON holds one exact object per readable file.
    const QString local = makeShortcut(u"local.lnk"_s, {u"--local"_s, u"C:\\dir\\b.txt"_s});
    const QString junk = m_folder.write(u"junk\u202E.lnk"_s, "junk");
    // Every kind of character JSON escapes, the controls it must escape as well, and text
    // that only UTF-8 carries: a surrogate pair and a lone surrogate.
    const QString share = u"s\u202E\u2066\x7f\"\t\x01\u0085\U0001F600\u00E9\xDC00"_s;
    const QString hostile = m_folder.write(hostileName,
        ShellLinkWriter::write(
            {.netNameUnicode = u"\\\\fs1\\"_s + share, .commonPathSuffix = "a.doc"}));

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
    QFile large(m_folder.filePath(u"large.lnk"_s));
    ASSERT_TRUE(large.open(QIODevice::WriteOnly) && large.resize(qint64(17) << 20));
    // An alias file whose sidecar is malformed.
    m_folder.write(u"bad.txt"_s, "");
    m_folder.write(u"._bad.txt"_s, "not an AppleDouble file");
    QStringList files = {
        u"--"_s, u"missing.lnk"_s, u"."_s, u"large.lnk"_s, u"bad.txt"_s, u"--json"_s};
    QString expected = u"kestrova: info: missing.lnk: no such file\n"
                       "kestrova: info: .: a folder, not a shortcut\n"
                       "kestrova: info: large.lnk: too large for a shortcut (over 16 MiB)\n"
                       "kestrova: info: bad.txt: its alias information cannot be read: ._bad.txt: "
                       "Invalid AppleDouble file: no AppleDouble signature\n"
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
    writeFile(m_folder.filePath(u"caf.lnk"_s),
        ShellLinkWriter::write({.netName = "\\\\fs1\\s", .commonPathSuffix = "a.doc"}));
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

TEST_F(SettingsCommand, SetsEachKeyAndListsThemWithDefaultsMarked)
{
    m_folder.writeSystemFile(R"({"dfsInstalled": true, "showDetails": true})");
    m_folder.writeUserFile(R"({"useBackslash": 1, "driveMapping": [
        {"driveLetter": "X:", "driveName": "\\\\fs1\\data"}, {"driveLetter": "Y:"}]})");
    // The mount method is stored in lower case, as the settings window writes it.
    for (const char* change : {"set mountMethod NFS", "set createAlias true",
             "set mappingEnabled true", "set showDetails false", "set useQuotationMarks true"})
        output(change);
    EXPECT_EQ(output("get mountMethod"), u"nfs\n"_s);
    const QString listing = output("");
    EXPECT_EQ(listing,
        QStringLiteral("mountMethod        nfs\n"
                       "createAlias        true\n"
                       "useBackslash       false  (default)\n"
                       "driveMapping       X: -> \\\\fs1\\data\n"
                       "                   Y: -> Map To\n"
                       "mappingEnabled     true\n"
                       "showDetails        false\n"
                       "useQuotationMarks  true\n"
                       "dfsInstalled       true  (system)\n"));
    const QString help = runProgram(QStringLiteral(KESTROVA_BINARY), words("help settings")).output;
    for (const QString& line : listing.split(u'\n', Qt::SkipEmptyParts)) {
        const QString key = line.section(u' ', 0, 0);
        EXPECT_TRUE(key.isEmpty() || help.contains(u"  "_s + key + u": "_s)) << key.toStdString();
    }
}

TEST_F(SettingsCommand, MapAndUnmapEditTheListInOrderAndKeepWhatTheyDoNotKnow)
{
    m_folder.writeUserFile(R"({"mountMethod": "smb\u001b]0;owned\u0007", "driveMapping": [7,
        {"driveLetter": "X:", "driveName": "a", "note": 1}]})");
    // Stored control characters are printed escaped.
    EXPECT_EQ(output("get mountMethod"), u"smb\\u001b]0;owned\\u0007\n"_s);
    // A mapping made while mappings are off is kept, and the user hears why it does nothing.
    EXPECT_EQ(settings({u"map"_s, u"Y:"_s, u"\\\\fs2\\home"_s}).errors,
        u"kestrova: settings: drive mappings are off; turn them on with: kestrova settings "
        "set mappingEnabled true\n"_s);
    output({u"map"_s, u"%HOMESHARE%"_s, u"//fs3/me"_s});
    output({u"map"_s, u"x:"_s, u"\\\\fs9\\new"_s});
    EXPECT_EQ(output("get driveMapping"),
        u"x:\t\\\\fs9\\new\nY:\t\\\\fs2\\home\n%HOMESHARE%\t//fs3/me\n"_s);
    output("unmap y:");
    output("unmap %homeshare%");
    EXPECT_EQ(m_folder.userFileJson(), json(R"({"mountMethod": "smb\u001b]0;owned\u0007",
        "driveMapping": [7, {"driveLetter": "x:", "driveName": "\\\\fs9\\new", "note": 1}]})"));
}

TEST_F(SettingsCommand, BadInputChangesNothing)
{
    const struct {
        QStringList arguments;
        int exitCode;
        const char* message;
    } cases[] = {
        {words("set colour blue"), 1, "unknown key colour"},
        {words("get colour"), 1, "unknown key colour"},
        {words("set createAlias TRUE"), 1, "createAlias takes true or false, not TRUE"},
        {words("set mountMethod ftp"), 1, "mountMethod takes one of smb, afp, nfs, cifs, not ftp"},
        {words("set driveMapping X:"), 1, "driveMapping is changed with map and unmap"},
        {{u"map"_s, u"X:"_s, QString()}, 1, "the share is empty"},
        {{u"map"_s, QString(), u"\\\\fs\\a"_s}, 1, "the drive letter is empty"},
        {{u"map"_s, u"X:\n"_s, u"\\\\fs\\a"_s}, 1, "control characters"},
        {words("map X:"), 1, "(see kestrova help settings)"},
        {words("frobnicate"), 1, "unexpected arguments: frobnicate"},
        {words("unmap Q:"), 2, "no mapping for Q:"},
    };
    const QByteArray original = R"({"createAlias": false, "mountMethod": "afp",
        "driveMapping": [{"driveLetter": "X:", "driveName": "\\\\fs1\\data"}]})";
    m_folder.writeUserFile(original);
    for (const auto& test : cases) {
        SCOPED_TRACE(test.arguments.join(QLatin1Char(' ')).toStdString());
        const ProgramRun run = settings(test.arguments);
        EXPECT_EQ(run.exitCode, test.exitCode);
        EXPECT_TRUE(run.errors.contains(QLatin1String(test.message))) << run.errors.toStdString();
        EXPECT_EQ(m_folder.userFileBytes(), original);
    }
    // Of a corrupt file the defaults are shown, saying so, and the file stays.
    const QByteArray corrupt = R"({"mountMethod": "afp",)";
    m_folder.writeUserFile(corrupt);
    const ProgramRun run = settings({});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.output.contains(u"mountMethod        smb  (default)"_s))
        << run.output.toStdString();
    EXPECT_TRUE(run.errors.contains(m_folder.userFile() + u" is corrupt: it is no valid JSON"_s))
        << run.errors.toStdString();
    EXPECT_EQ(m_folder.userFileBytes(), corrupt);
}

TEST_F(SettingsCommand, ForgetGuestsLetsEveryServerAskAgain)
{
    QProcessEnvironment environment = m_folder.environment();
    environment.insert(u"XDG_STATE_HOME"_s, m_folder.root());
    qputenv("XDG_STATE_HOME", m_folder.root().toUtf8());
    GuestServers servers(GuestServers::defaultFile());
    servers.remember(u"FS1"_s);
    ASSERT_TRUE(servers.contains(u"fs1"_s));
    for (int run = 0; run < 2; ++run) {
        const ProgramRun forget = runProgram(
            QStringLiteral(KESTROVA_BINARY), words("settings forget-guests"), environment);
        EXPECT_EQ(forget.exitCode, 0) << forget.errors.toStdString();
    }
    EXPECT_FALSE(servers.contains(u"fs1"_s));
    qunsetenv("XDG_STATE_HOME");
}
