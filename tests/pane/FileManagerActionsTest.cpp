#include "FileManagerActions.h"

#include "../filesvc/TestFolder.h"

#include <QDBusConnection>
#include <QXmlStreamReader>

using namespace Qt::StringLiterals;

namespace {

using Actions = FileManagerActions;
using State = FileManagerActions::State;

const QString kOurFolder = QStringLiteral(KESTROVA_SOURCE_DIR "/data/file-managers");
const QByteArray kUserAction =
    "<action>\n\t<name>Open Terminal Here</name>\n\t<unique-id>1234-1</unique-id>\n</action>";

class FileManagerActionsTest : public TestFolder {
protected:
    void SetUp() override
    {
        TestFolder::SetUp();
        for (const char* folder : {"config/Thunar", "system/Thunar", "data", "share/applications",
                 "share/nemo/actions", "bin"})
            ASSERT_TRUE(QDir(path(u"."_s)).mkpath(QLatin1String(folder)));
        installed(u"share/applications/thunar.desktop"_s);
    }
    void installed(const QString& file, bool executable = false) const
    {
        write(file);
        if (executable)
            QFile::setPermissions(path(file), QFile::ReadOwner | QFile::ExeOwner);
    }
    Actions actions() const
    {
        return Actions({path(u"config"_s), {path(u"system"_s)}, path(u"data"_s), {path(u"share"_s)},
                           {path(u"bin"_s)}},
            kOurFolder, QDBusConnection(u"none"_s));
    }
    QString userFile() const { return path(u"config/Thunar/uca.xml"_s); }
    QList<State> states() const
    {
        QList<State> found;
        for (const Actions::Status& status : actions().statuses())
            found.append(status.state);
        return found;
    }
};

bool wellFormed(const QByteArray& bytes)
{
    QXmlStreamReader reader(bytes);
    while (!reader.atEnd())
        reader.readNext();
    return !reader.hasError();
}

struct StartingFile {
    const char* name;
    std::optional<QByteArray> user; // none: the user has no uca.xml
    std::optional<QByteArray> system;
    const char* refusal; // none: merged
};

const StartingFile startingFiles[] = {
    {"none", std::nullopt, std::nullopt, nullptr},
    {"none but the system's", std::nullopt, "<actions>" + kUserAction + "</actions>", nullptr},
    {"empty", "", std::nullopt, nullptr},
    {"the user's actions",
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- mine -->\n<actions>\n" + kUserAction
            + "\n</actions>\n",
        std::nullopt, nullptr},
    {"CRLF lines, entities and characters beyond 16 bits",
        "<?xml version=\"1.0\"?>\r\n<actions>\r\n<action><name>\xf0\x9f\x98\x80 &amp; &#x41; "
        "caf\xc3\xa9</name></action>\r\n<!-- a\r\n -->\r\n</actions>\r\n",
        std::nullopt, nullptr},
    {"an empty root with attributes", "<actions a=\"1\"/>\n<!-- after -->", std::nullopt, nullptr},
    {"malformed", "<actions>" + kUserAction, std::nullopt, "is no well-formed XML"},
    {"another root", "<menu>" + kUserAction + "</menu>", std::nullopt, "has <menu>"},
    {"not UTF-8", "<actions><action><name>Caf\xe9</name></action></actions>", std::nullopt,
        "is not UTF-8"},
};

// Ours are added once, whatever the user had, and the user's own actions stay byte for
// byte; a file that cannot be read as Thunar's is left alone with a reason.
TEST_F(FileManagerActionsTest, ThunarKeepsTheUsersActionsAndTurningOnTwiceChangesNothing)
{
    for (const StartingFile& row : startingFiles) {
        SCOPED_TRACE(row.name);
        QFile::remove(userFile());
        QFile::remove(path(u"system/Thunar/uca.xml"_s));
        if (row.user)
            writeFile(userFile(), *row.user);
        if (row.system)
            writeFile(path(u"system/Thunar/uca.xml"_s), *row.system);
        const Actions::Outcome first = actions().turnOn();
        if (row.refusal) {
            ASSERT_EQ(first.problems.size(), 1);
            EXPECT_TRUE(first.problems[0].startsWith(u"Thunar: "_s + userFile()));
            EXPECT_TRUE(first.problems[0].contains(QLatin1String(row.refusal)))
                << first.problems[0].toStdString();
            EXPECT_EQ(readFile(userFile()), *row.user);
            EXPECT_EQ(states(), QList {State::Off});
            continue;
        }
        EXPECT_TRUE(first.problems.isEmpty()) << first.problems.join(u'\n').toStdString();
        const QByteArray merged = readFile(userFile());
        EXPECT_TRUE(wellFormed(merged)) << merged.toStdString();
        for (const char* id : {"kestrova-open-windows-link", "kestrova-copy-windows-path"})
            EXPECT_EQ(merged.count(id), 1) << id;
        const QByteArray before = row.user.value_or(row.system.value_or(QByteArray()));
        // Everything around the place where ours go in stays as it was.
        const qsizetype rootEnd = before.lastIndexOf("</actions>");
        if (rootEnd >= 0) {
            EXPECT_TRUE(merged.startsWith(before.left(rootEnd)));
            EXPECT_TRUE(merged.endsWith(before.mid(rootEnd)));
        }
        EXPECT_EQ(states(), QList {State::On});
        const quint32 inode = inodeOf(userFile());
        EXPECT_TRUE(actions().turnOn().problems.isEmpty());
        EXPECT_EQ(readFile(userFile()), merged);
        EXPECT_EQ(inodeOf(userFile()), inode) << "written again";
    }
}

TEST_F(FileManagerActionsTest, FindsFileManagersByDesktopFileOrProgramAndNemoReadsTheSharedActions)
{
    EXPECT_EQ(states(), QList {State::Off}) << "Thunar, by its desktop file";
    installed(u"bin/nautilus"_s, true);
    installed(u"bin/dolphin"_s);
    installed(u"share/applications/nemo.desktop"_s);
    EXPECT_EQ(states(), (QList {State::Off, State::NotInstalled, State::Off}))
        << "Nautilus and Nemo and Thunar; Dolphin's file is no program";
    installed(u"share/nemo/actions/kestrova-open-windows-link.nemo_action"_s);
    EXPECT_EQ(states(), (QList {State::Off, State::OnForEveryUser, State::Off}));
}

// A script of the user's own under our name is kept; turned on, the scripts run ours.
TEST_F(FileManagerActionsTest, NautilusScriptsAreLinkedButTheUsersOwnScriptIsKept)
{
    installed(u"bin/nautilus"_s, true);
    ASSERT_TRUE(QDir(path(u"data"_s)).mkpath(u"nautilus/scripts"_s));
    const QString own = write(u"data/nautilus/scripts/Open Windows Link"_s, "#!/bin/sh\n");
    const Actions::Outcome refused = actions().turnOn();
    ASSERT_EQ(refused.problems.size(), 1);
    EXPECT_TRUE(refused.problems[0].startsWith(u"Nautilus: "_s));
    EXPECT_EQ(readFile(own), "#!/bin/sh\n");
    EXPECT_EQ(states(), (QList {State::Off, State::On}));
    QFile::remove(own);
    EXPECT_TRUE(actions().turnOn().problems.isEmpty());
    EXPECT_EQ(QFileInfo(own).symLinkTarget(), kOurFolder + u"/nautilus/open-windows-link.sh"_s);
    EXPECT_EQ(states(), (QList {State::On, State::On}));
}

}
