#include "KTDragTextField.h"
#include "KTPasswordSheet.h"
#include "PaneTest.h"
#include "support/FileServer.h"
#include "support/ProgramRun.h"
#include "support/ShellLinkWriter.h"

#include <QDir>
#include <QPushButton>
#include <QTcpServer>
#include <QTest>

// The password sheet and the drop fields against the harness's Samba server
// (tests/harness/with-file-server): the real smbpasswd, real shares mounted by GVfs.
namespace {

QString changeUser()
{
    return qEnvironmentVariable("KESTROVA_SMB_CHANGE_USER");
}

QString changePassword()
{
    return qEnvironmentVariable("KESTROVA_SMB_CHANGE_PASSWORD");
}

// Whether the account logs in with this password, as smbclient sees it.
bool logsIn(const QString& password)
{
    return runProgram(QStringLiteral("smbclient"),
               {QStringLiteral("-L"), QStringLiteral("//127.0.0.1"), QStringLiteral("-U"),
                   changeUser() + QLatin1Char('%') + password})
               .exitCode
        == 0;
}

// Watches every process's command line while it lives: whether a password showed in one,
// and whether smbpasswd was seen at all.
class CommandLineWatch : public QObject {
public:
    explicit CommandLineWatch(QStringList secrets)
        : m_secrets(std::move(secrets))
    {
        connect(&m_timer, &QTimer::timeout, this, &CommandLineWatch::look);
        m_timer.start(2);
    }
    bool sawSecret = false;
    bool sawProgram = false;

private:
    void look()
    {
        const QStringList processes = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
        for (const QString& process : processes) {
            QFile file(QStringLiteral("/proc/%1/cmdline").arg(process));
            if (!file.open(QIODevice::ReadOnly))
                continue;
            const QByteArray line = file.readAll();
            sawProgram = sawProgram || line.startsWith("/usr/bin/smbpasswd");
            for (const QString& secret : m_secrets)
                sawSecret = sawSecret || line.contains(secret.toUtf8());
        }
    }
    QStringList m_secrets;
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

    void TearDown() override
    {
        PaneTest::TearDown();
        if (!FileServer::isRunning())
            return;
        FileServer::unmountEverything();
        // Each test starts from the harness's password.
        QProcess reset;
        reset.start(QStringLiteral("smbpasswd"),
            {QStringLiteral("-c"), qEnvironmentVariable("KESTROVA_SMB_CONF"), QStringLiteral("-s"),
                QStringLiteral("-a"), changeUser()});
        reset.write(
            (changePassword() + QLatin1Char('\n') + changePassword() + QLatin1Char('\n')).toUtf8());
        reset.closeWriteChannel();
        EXPECT_TRUE(reset.waitForFinished() && reset.exitCode() == 0);
    }

    // Fills the sheet, confirms, and gives the alert that answers.
    DialogAnswer* change(
        const QString& server, const QString& user, const QString& old, const QString& password)
    {
        const QList<QLineEdit*> fields {m_sheet->domainServerField(), m_sheet->usernameField(),
            m_sheet->oldPasswordField(), m_sheet->passwordField(), m_sheet->passwordVerifyField()};
        const QStringList texts {server, user, old, password, password};
        for (qsizetype index = 0; index < fields.size(); ++index)
            fields[index]->setText(texts[index]);
        m_alert = std::make_unique<DialogAnswer>(QStringLiteral("OK"));
        QTest::mouseClick(m_sheet->changePasswordButton(), Qt::LeftButton);
        EXPECT_TRUE(m_alert->wait(60000));
        return m_alert.get();
    }

    KTPasswordSheet* m_sheet = nullptr;
    std::unique_ptr<DialogAnswer> m_alert;
};

const QString newPassword = QStringLiteral("Kestrova-New-2");

}

TEST_F(PaneFileServer, ChangedPasswordLogsInAndTheOldOneNoLonger)
{
    const CommandLineWatch watch({changePassword(), newPassword});
    const DialogAnswer* alert =
        change(QStringLiteral("127.0.0.1"), changeUser(), changePassword(), newPassword);
    EXPECT_EQ(alert->title, QStringLiteral("Password Changed"));
    EXPECT_EQ(alert->text,
        QStringLiteral("Succesfully changed password for user %1 on server 127.0.0.1")
            .arg(changeUser()));
    EXPECT_FALSE(watch.sawSecret);
    EXPECT_TRUE(logsIn(newPassword));
    EXPECT_FALSE(logsIn(changePassword()));
}

struct Refusal {
    const char* name;
    const char* server;
    const char* user; // none: the account of its own
    bool rightPassword;
    const char* message;
};

// Names the case in test listings.
void PrintTo(const Refusal& row, std::ostream* out)
{
    *out << row.name;
}

class RefusedChangeOnServer : public PaneFileServer,
                              public testing::WithParamInterface<Refusal> { };

TEST_P(RefusedChangeOnServer, ShowsTheProgramsText)
{
    const Refusal& refusal = GetParam();
    const DialogAnswer* alert = change(QString::fromUtf8(refusal.server),
        refusal.user ? QString::fromUtf8(refusal.user) : changeUser(),
        refusal.rightPassword ? changePassword() : QStringLiteral("wrong-1"), newPassword);
    EXPECT_EQ(alert->title, QStringLiteral("Password Change failed"));
    EXPECT_TRUE(alert->text.contains(QString::fromUtf8(refusal.message)))
        << alert->text.toStdString();
    EXPECT_TRUE(logsIn(changePassword()));
}

INSTANTIATE_TEST_SUITE_P(PaneFileServer, RefusedChangeOnServer,
    testing::Values(Refusal {"WrongOldPassword", "127.0.0.1", nullptr, false,
                        "Could not connect to machine 127.0.0.1: NT_STATUS_LOGON_FAILURE"},
        Refusal {"UnknownUser", "127.0.0.1", "nobody-here", false,
            "Could not connect to machine 127.0.0.1: NT_STATUS_"},
        Refusal {"NoServer", "127.0.0.9", nullptr, true,
            "Unable to connect to SMB server on machine 127.0.0.9. Error was : "
            "NT_STATUS_CONNECTION_REFUSED."}),
    [](const testing::TestParamInfo<Refusal>& row) { return std::string(row.param.name); });

TEST_F(PaneFileServer, ServerThatNeverAnswersEndsInTheProgramsOwnFailure)
{
    // Takes connections on the SMB port and says nothing.
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress(QStringLiteral("127.0.0.2")), 445))
        << silent.errorString().toStdString();
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(100);
    const CommandLineWatch watch({changePassword(), newPassword});
    const DialogAnswer* alert =
        change(QStringLiteral("127.0.0.2"), changeUser(), changePassword(), newPassword);
    EXPECT_EQ(alert->title, QStringLiteral("Password Change failed"));
    EXPECT_TRUE(alert->text.contains(QStringLiteral("NT_STATUS_IO_TIMEOUT")))
        << alert->text.toStdString();
    EXPECT_GT(ticks, 50) << "the window stood still while the program waited";
    EXPECT_TRUE(watch.sawProgram);
    EXPECT_FALSE(watch.sawSecret);
}

TEST_F(PaneFileServer, FilesOnAShareDropAsTheServerNamesThem)
{
    const QString share = FileServer::guestShares().first();
    const QDir folder(FileServer::shareFolder(share));
    ASSERT_TRUE(folder.mkpath(QStringLiteral("docs")));
    writeFile(folder.filePath(QStringLiteral("docs/plan.txt")), "the plan\n");
    ShellLinkContents link;
    link.netName = (QStringLiteral("\\\\127.0.0.1\\") + share).toLatin1();
    link.commonPathSuffix = "docs\\plan.txt";
    writeFile(folder.filePath(QStringLiteral("docs/plan.lnk")), ShellLinkWriter::write(link));
    ASSERT_TRUE(FileServer::gioMount(share));
    const QString mounted = FileServer::gvfsFolder(share).value_or(QString());
    const QString remote = FileServer::shareText(share) + QStringLiteral("/docs/");

    KTDragTextField* field = m_sheet->domainServerField();
    field->setFocus();
    const auto dropped = [&](const QString& name, const QString& answer) {
        field->clear();
        const DialogAnswer question(answer);
        EXPECT_TRUE(dropUrls(field, fileUrls({mounted + QStringLiteral("/docs/") + name})));
        (void)QTest::qWaitFor([&] { return !field->text().isEmpty(); });
        return field->text();
    };
    EXPECT_EQ(dropped(QStringLiteral("plan.txt"), {}), remote + QStringLiteral("plan.txt"));
    EXPECT_EQ(dropped(QStringLiteral("plan.lnk"), QStringLiteral("Insert Shortcut Destination")),
        remote + QStringLiteral("plan.txt"));
    EXPECT_EQ(dropped(QStringLiteral("plan.lnk"), QStringLiteral("Insert File Location")),
        remote + QStringLiteral("plan.lnk"));
}
