#include "KTDragTextField.h"
#include "PaneTest.h"
#include "PasswordSheet.h"
#include "support/FileServer.h"
#include "support/ProgramRun.h"
#include "support/ShellLinkWriter.h"

#include <QDir>
#include <QPushButton>
#include <QTableView>
#include <QTcpServer>
#include <QTest>

using namespace Qt::StringLiterals;

// Against the harness's Samba server: the real smbpasswd, real shares mounted by GVfs.
namespace {

const QString changeUser = qEnvironmentVariable("KESTROVA_SMB_CHANGE_USER");
const QString changePassword = qEnvironmentVariable("KESTROVA_SMB_CHANGE_PASSWORD");

// Whether the account logs in with this password, as smbclient sees it.
bool logsIn(const QString& password)
{
    return runProgram(
               u"smbclient"_s, {u"-L"_s, u"//127.0.0.1"_s, u"-U"_s, changeUser + u'%' + password})
               .exitCode
        == 0;
}

// Watches every process's command line: whether a password or smbpasswd showed in one.
class CommandLineWatch {
public:
    explicit CommandLineWatch(const QStringList& secrets)
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this, secrets] {
            for (const QString& process : QDir(u"/proc"_s).entryList(QDir::Dirs)) {
                const QByteArray line = readFile(u"/proc/%1/cmdline"_s.arg(process));
                sawProgram = sawProgram || line.startsWith("/usr/bin/smbpasswd");
                for (const QString& secret : secrets)
                    sawSecret = sawSecret || line.contains(secret.toUtf8());
            }
        });
        m_timer.start(2);
    }
    bool sawSecret = false;
    bool sawProgram = false;

private:
    QTimer m_timer;
};

class PaneFileServer : public PaneTest {
protected:
    void SetUp() override
    {
        KESTROVA_REQUIRE_FILE_SERVER();
        FileServer::unmountEverything();
        PaneTest::SetUp();
        openWindow();
        m_pane->openPasswordSheet();
        m_sheet = m_pane->passwordWindow();
    }
    PasswordSheet* m_sheet = nullptr;
};

}

// Each outcome as smbpasswd tells it, without a password on a command line; the change
// that succeeds comes last, so that each row before it starts from the harness's password.
TEST_F(PaneFileServer, PasswordChangeShowsTheOutcomeAsTheProgramTellsIt)
{
    // Takes connections on the SMB port and says nothing.
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress(u"127.0.0.2"_s), 445));
    const QString newPassword = u"Kestrova-New-2"_s;
    const struct {
        const char* server;
        bool rightPassword;
        bool changes;
        const char* message; // what the alert says, USER standing for the account
        int ticks; // at least this many tenths of a second in which the window kept working
    } cases[] = {{"127.0.0.1", false, false,
                     "Could not connect to machine 127.0.0.1: NT_STATUS_LOGON_FAILURE", 0},
        {"127.0.0.2", true, false, "NT_STATUS_IO_TIMEOUT", 50},
        {"127.0.0.1", true, true, "Succesfully changed password for user USER on server 127.0.0.1",
            0}};
    for (const auto& row : cases) {
        SCOPED_TRACE(row.message);
        m_sheet->domainServerField()->setText(QString::fromUtf8(row.server));
        m_sheet->usernameField()->setText(changeUser);
        m_sheet->oldPasswordField()->setText(row.rightPassword ? changePassword : u"x1"_s);
        m_sheet->passwordField()->setText(newPassword);
        m_sheet->passwordVerifyField()->setText(newPassword);
        const Ticker ticker(100);
        const CommandLineWatch watch({changePassword, newPassword});
        DialogAnswer alert(u"OK"_s);
        QTest::mouseClick(m_sheet->changePasswordButton(), Qt::LeftButton);
        ASSERT_TRUE(alert.wait(60000));
        EXPECT_EQ(alert.title, row.changes ? u"Password Changed"_s : u"Password Change failed"_s);
        EXPECT_TRUE(
            alert.text.contains(QString::fromUtf8(row.message).replace(u"USER"_s, changeUser)))
            << alert.text.toStdString();
        EXPECT_FALSE(watch.sawSecret);
        EXPECT_GE(ticker.ticks, row.ticks) << "the window stood still while the program ran";
        EXPECT_TRUE(watch.sawProgram || row.ticks == 0);
        EXPECT_EQ(logsIn(newPassword), row.changes);
        EXPECT_EQ(logsIn(changePassword), !row.changes);
        (void)QTest::qWaitFor([&] { return !m_sheet->isVisible(); });
        if (!m_sheet->isVisible())
            m_pane->openPasswordSheet();
    }
}

TEST_F(PaneFileServer, FilesOnAShareDropAsTheServerNamesThem)
{
    const QString share = FileServer::guestShares().first();
    const QDir folder(FileServer::shareFolder(share));
    ASSERT_TRUE(folder.mkpath(u"docs"_s));
    writeFile(folder.filePath(u"docs/plan.txt"_s), "the plan\n");
    writeFile(folder.filePath(u"docs/plan.lnk"_s),
        ShellLinkWriter::write({.netName = (u"\\\\127.0.0.1\\"_s + share).toLatin1(),
            .commonPathSuffix = "docs\\plan.txt"}));
    ASSERT_TRUE(FileServer::gioMount(share));
    const QString mounted = FileServer::gvfsFolder(share).value_or(QString());
    const QString remote = u"//127.0.0.1/"_s + share + u"/docs/"_s;
    // The password sheet's server field, and the table's cell being edited.
    const auto dropped = [&](QLineEdit* field, const QString& name, const QString& answer) {
        field->clear();
        const DialogAnswer question(answer);
        EXPECT_TRUE(dropFiles(field, {mounted + u"/docs/"_s + name}));
        (void)QTest::qWaitFor([&] { return !field->text().isEmpty(); });
        return field->text();
    };
    KTDragTextField* server = m_sheet->domainServerField();
    server->setFocus();
    EXPECT_EQ(dropped(server, u"plan.txt"_s, {}), remote + u"plan.txt"_s);
    EXPECT_EQ(
        dropped(server, u"plan.lnk"_s, u"Insert Shortcut Destination"_s), remote + u"plan.txt"_s);
    m_sheet->done(0);
    ASSERT_TRUE(m_pane->insertObject(KTDriveMapping(u"X:"_s, QString()), 0));
    QTableView* table = m_pane->outlets().mappingTable;
    table->setCurrentIndex(table->model()->index(0, 1));
    table->edit(table->currentIndex());
    auto* cell = qobject_cast<KTDragTextField*>(table->viewport()->focusWidget());
    ASSERT_TRUE(cell);
    EXPECT_EQ(dropped(cell, u"plan.lnk"_s, u"Insert File Location"_s), remote + u"plan.lnk"_s);
}
