#include "PreferencesTestFolder.h"
#include "support/ProgramRun.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

const QString kestrova = QStringLiteral(KESTROVA_PROGRAM);

// `kestrova settings` over a temporary domain, with no session bus to announce on.
class SettingsCommand : public testing::Test {
protected:
    ProgramRun settings(const QStringList& arguments)
    {
        QProcessEnvironment environment = m_folder.environment();
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
            QStringLiteral("unix:path=/nonexistent/kestrova-test-bus"));
        return runProgram(
            kestrova, QStringList {QStringLiteral("settings")} + arguments, environment);
    }
    QString settingsOutput(const QStringList& arguments)
    {
        const ProgramRun run = settings(arguments);
        EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
        return run.output;
    }

    PreferencesTestFolder m_folder;
};

QStringList words(const char* text)
{
    return QString::fromUtf8(text).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

}

TEST_F(SettingsCommand, ListsEveryKeyWithDefaultsMarked)
{
    m_folder.writeSystemFile(R"({"dfsInstalled": true})");
    m_folder.writeUserFile(R"({"createAlias": true, "useBackslash": 1, "driveMapping": [
        {"driveLetter": "X:", "driveName": "\\\\fs1\\data"}, {"driveLetter": "Y:"}]})");
    EXPECT_EQ(settingsOutput({}),
        QStringLiteral("mountMethod        smb  (default)\n"
                       "createAlias        true\n"
                       "useBackslash       false  (default)\n"
                       "driveMapping       X: -> \\\\fs1\\data\n"
                       "                   Y: -> Map To\n"
                       "mappingEnabled     false  (default)\n"
                       "showDetails        false  (default)\n"
                       "useQuotationMarks  false  (default)\n"
                       "dfsInstalled       true  (system)\n"));
}

TEST_F(SettingsCommand, SetThenGetEachKey)
{
    // The mount method is stored in lower case, as the settings window writes it.
    const char* const cases[][3] = {{"createAlias", "true", "true"},
        {"useBackslash", "true", "true"}, {"mappingEnabled", "true", "true"},
        {"showDetails", "false", "false"}, {"useQuotationMarks", "true", "true"},
        {"dfsInstalled", "true", "true"}, {"mountMethod", "NFS", "nfs"}};
    for (const auto& [key, value, readBack] : cases) {
        SCOPED_TRACE(key);
        settingsOutput({QStringLiteral("set"), QLatin1String(key), QLatin1String(value)});
        EXPECT_EQ(settingsOutput({QStringLiteral("get"), QLatin1String(key)}),
            QLatin1String(readBack) + QLatin1Char('\n'));
    }
    EXPECT_EQ(m_folder.userFileObject(), jsonObject(R"({"createAlias": true, "useBackslash": true,
        "mappingEnabled": true, "showDetails": false, "useQuotationMarks": true,
        "dfsInstalled": true, "mountMethod": "nfs"})"));
}

TEST_F(SettingsCommand, MapAndUnmapEditTheListInOrder)
{
    settingsOutput({QStringLiteral("map"), QStringLiteral("X:"), QStringLiteral("\\\\fs1\\data")});
    settingsOutput({QStringLiteral("map"), QStringLiteral("Y:"), QStringLiteral("\\\\fs2\\home")});
    settingsOutput(
        {QStringLiteral("map"), QStringLiteral("%HOMESHARE%"), QStringLiteral("//fs3/me")});
    settingsOutput({QStringLiteral("map"), QStringLiteral("x:"), QStringLiteral("\\\\fs9\\new")});
    EXPECT_EQ(settingsOutput(words("get driveMapping")),
        QStringLiteral("x:\t\\\\fs9\\new\nY:\t\\\\fs2\\home\n%HOMESHARE%\t//fs3/me\n"));

    settingsOutput(words("unmap y:"));
    EXPECT_EQ(m_folder.userFileObject(), jsonObject(R"({"driveMapping": [
        {"driveLetter": "x:", "driveName": "\\\\fs9\\new"},
        {"driveLetter": "%HOMESHARE%", "driveName": "//fs3/me"}]})"));
    settingsOutput(words("unmap X:"));
    settingsOutput(words("unmap %homeshare%"));
    EXPECT_EQ(m_folder.userFileObject(), jsonObject(R"({"driveMapping": []})"));
}

TEST_F(SettingsCommand, BadInputChangesNothing)
{
    struct Case {
        QStringList arguments;
        int exitCode = 0;
        const char* message = nullptr;
    };
    const Case cases[] = {
        {words("set colour blue"), 1, "unknown key colour"},
        {words("get colour"), 1, "unknown key colour"},
        {words("set createAlias yes"), 1, "createAlias takes true or false, not yes"},
        {words("set createAlias TRUE"), 1, "createAlias takes true or false"},
        {words("set mountMethod ftp"), 1, "mountMethod takes one of smb, afp, nfs, cifs, not ftp"},
        {words("set driveMapping X:"), 1, "driveMapping is changed with map and unmap"},
        {{QStringLiteral("map"), QStringLiteral("X:"), QString()}, 1, "the share is empty"},
        {{QStringLiteral("map"), QString(), QStringLiteral("\\\\fs\\a")}, 1,
            "the drive letter is empty"},
        {{QStringLiteral("map"), QStringLiteral("X:\n"), QStringLiteral("\\\\fs\\a")}, 1,
            "control characters"},
        {words("map X:"), 1, "Usage: kestrova settings"},
        {words("set createAlias"), 1, "Usage: kestrova settings"},
        {words("frobnicate"), 1, "unexpected arguments: frobnicate"},
        {words("unmap Q:"), 2, "no mapping for Q:"},
    };
    const QByteArray original = R"({"createAlias": false, "mountMethod": "afp",
        "driveMapping": [{"driveLetter": "X:", "driveName": "\\\\fs1\\data"}]})";
    m_folder.writeUserFile(original);
    for (const Case& test : cases) {
        SCOPED_TRACE(test.arguments.join(QLatin1Char(' ')).toStdString());
        const ProgramRun run = settings(test.arguments);
        EXPECT_EQ(run.exitCode, test.exitCode);
        EXPECT_TRUE(run.errors.contains(QLatin1String(test.message))) << run.errors.toStdString();
        EXPECT_EQ(m_folder.userFileBytes(), original);
    }
}

TEST_F(SettingsCommand, StoredControlCharactersAreNotPrinted)
{
    m_folder.writeUserFile(R"({"mountMethod": "smb\u001b]0;owned\u0007"})");
    EXPECT_EQ(
        settingsOutput(words("get mountMethod")), QStringLiteral("smb\uFFFD]0;owned\uFFFD\n"));
}
