#include "preferences/PreferencesTestFolder.h"
#include "support/ProgramRun.h"
#include "volumes/GuestServers.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

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
}

TEST_F(SettingsCommand, DefaultsShownForACorruptFileSaySo)
{
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
