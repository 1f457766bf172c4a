#include "KestrovaProcess.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ostream>

// The commands in a terminal without display and without session bus: each process
// serves its own request and prints its alerts as "TITLE: MESSAGE".
namespace {

class CommandLine : public testing::Test {
protected:
    KestrovaRun kestrova(const QStringList& arguments)
    {
        return runKestrova(arguments, terminalEnvironment(configHome()), m_folder.path());
    }
    QString configHome() const { return m_folder.filePath(QStringLiteral("config")); }
    QString writeFile(const QString& name, const QByteArray& bytes)
    {
        QFile file(m_folder.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    }

    QTemporaryDir m_folder;
};

struct UsageCase {
    const char* name;
    QStringList arguments;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const UsageCase& testCase, std::ostream* out)
{
    *out << testCase.name;
}

class CommandUsage : public testing::TestWithParam<UsageCase> { };

}

TEST_F(CommandLine, NotAShortcutPrintsAlertOncePerFile)
{
    writeFile(QStringLiteral("a.lnk"), "junk");
    const KestrovaRun run =
        kestrova({QStringLiteral("open"), QStringLiteral("a.lnk"), QStringLiteral("missing.lnk")});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.errors,
        QStringLiteral("Convert Shortcut Failed: Invalid Shortcut File. Failed to create alias.\n")
            .repeated(2));
    EXPECT_EQ(run.output, QString());
}

TEST_F(CommandLine, OpenLinkServiceErrorsArePrinted)
{
    const KestrovaRun undecodable =
        kestrova({QStringLiteral("open-link"), QStringLiteral("\\\\fs1\\s\\caf%C3%A9.doc")});
    EXPECT_EQ(undecodable.exitCode, 2);
    EXPECT_EQ(
        undecodable.errors, QStringLiteral("Error: Pasteboard contains empty String selection\n"));
    // Without a display there is no selection to read.
    const KestrovaRun noSelection = kestrova({QStringLiteral("open-link")});
    EXPECT_EQ(noSelection.exitCode, 2);
    EXPECT_EQ(noSelection.errors,
        QStringLiteral("Error: Pasteboard doesn't contain a proper selection\n"));
}

// Steps go to the system log; a script that keeps stderr (not a terminal) asks for
// them there as well.
TEST_F(CommandLine, VerboseCopiesTheStepsToStderr)
{
    const QStringList arguments = {
        QStringLiteral("open-link"), QStringLiteral("\\\\fs1\\s\\a%.doc")};
    QProcessEnvironment environment = terminalEnvironment(configHome());
    const KestrovaRun quiet = runKestrova(arguments, environment, m_folder.path());
    environment.insert(QStringLiteral("KESTROVA_VERBOSE"), QStringLiteral("1"));
    const KestrovaRun verbose = runKestrova(arguments, environment, m_folder.path());
    EXPECT_FALSE(quiet.errors.contains(QStringLiteral("kestrova: ")));
    EXPECT_TRUE(verbose.errors.contains(QStringLiteral("kestrova: String: \\\\fs1\\s\\a%.doc\n")))
        << verbose.errors.toStdString();
    EXPECT_EQ(verbose.exitCode, quiet.exitCode);
}

TEST_F(CommandLine, HostileTextsRunNothing)
{
    const QString marker = m_folder.filePath(QStringLiteral("ran"));
    const QStringList texts = {QStringLiteral("$(touch %1)").arg(marker),
        QStringLiteral("`touch %1`").arg(marker), QStringLiteral("x; touch %1").arg(marker),
        QStringLiteral("\\\\srv\\s\\'\"; touch %1 #").arg(marker),
        QStringLiteral("a\ntouch %1\n").arg(marker), QString(100000, QLatin1Char('A'))};
    for (const QString& text : texts) {
        const KestrovaRun run = kestrova({QStringLiteral("open-link"), QStringLiteral("--"), text});
        EXPECT_TRUE(run.exitedNormally);
        EXPECT_EQ(run.exitCode, 2);
        // Lines of GIO's volume monitors, which find no bus, may come first.
        EXPECT_TRUE(run.errors.contains(QRegularExpression(
            QStringLiteral("^Could not follow link: "), QRegularExpression::MultilineOption)))
            << run.errors.left(400).toStdString();
    }
    EXPECT_FALSE(QFile::exists(marker));
}

TEST_F(CommandLine, CopyPathWithoutDisplaySaysThereIsNoClipboard)
{
    const KestrovaRun run = kestrova({QStringLiteral("copy-path"), QStringLiteral("a.doc")});
    EXPECT_EQ(run.exitCode, 2);
    // GIO's volume monitors complain on stderr first that the bus cannot be reached.
    EXPECT_TRUE(run.errors.endsWith(
        QStringLiteral("\nError: There is no clipboard without a display (kestrova winpath "
                       "prints the paths)\n")))
        << run.errors.toStdString();
}

TEST_F(CommandLine, WinpathPrintsWindowsFormsOnePerLine)
{
    const QString folder = QDir(m_folder.path()).absolutePath();
    QString share = folder + QStringLiteral("/share");
    share.replace(QLatin1Char('/'), QLatin1Char('\\'));
    writeSettings(configHome(),
        QStringLiteral(R"({"useBackslash": true, "useQuotationMarks": true, "mappingEnabled": true,
            "driveMapping": [{"driveLetter": "X:", "driveName": "%1"}]})")
            .arg(QString(share).replace(QLatin1Char('\\'), QLatin1String("\\\\")))
            .toUtf8());
    const KestrovaRun run = kestrova(
        {QStringLiteral("winpath"), QStringLiteral("share/a b.doc"), QStringLiteral("c.doc")});
    EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    QString local = folder + QStringLiteral("/c.doc");
    local.replace(QLatin1Char('/'), QLatin1Char('\\'));
    EXPECT_EQ(run.output, QStringLiteral("\"X:\\a b.doc\"\n\"%1\"\n").arg(local));
}

TEST_P(CommandUsage, IsAUsageError)
{
    QTemporaryDir folder;
    const KestrovaRun run = runKestrova(GetParam().arguments,
        terminalEnvironment(folder.filePath(QStringLiteral("config"))), folder.path());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.errors.startsWith(QStringLiteral("kestrova: "))) << run.errors.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Commands, CommandUsage,
    testing::Values(UsageCase {"OpenWithoutFiles", {QStringLiteral("open")}},
        UsageCase {
            "OpenWithOption", {QStringLiteral("open"), QStringLiteral("-x"), QStringLiteral("a")}},
        UsageCase {"OpenLinkTwoTexts",
            {QStringLiteral("open-link"), QStringLiteral("a"), QStringLiteral("b")}},
        UsageCase {"OpenLinkQtOption",
            {QStringLiteral("open-link"), QStringLiteral("-platformpluginpath")}},
        UsageCase {"WinpathWithoutFiles", {QStringLiteral("winpath")}},
        UsageCase {"ServiceWithArgument", {QStringLiteral("service"), QStringLiteral("now")}}),
    [](const testing::TestParamInfo<UsageCase>& testCase) { return testCase.param.name; });

TEST(CommandHelp, ExplainsEveryCommand)
{
    QTemporaryDir folder;
    const KestrovaRun run =
        runKestrova({QStringLiteral("--help")}, terminalEnvironment(folder.path()), folder.path());
    EXPECT_EQ(run.exitCode, 0);
    for (const char* command :
        {"open FILE...", "open-link [TEXT]", "copy-path [FILE...]", "winpath FILE...", "service"})
        EXPECT_TRUE(run.output.contains(QLatin1String(command))) << command;
}
