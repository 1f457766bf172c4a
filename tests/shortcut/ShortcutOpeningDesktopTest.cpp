// Opening for real (under with-xvfb, with-file-server and with-desktop): smbd serves the
// share, GVfs mounts it, GIO launches the recording viewer, openbox brings it to the front.
#include "shortcut/HVWindowsShortcut.h"
#include "shortcut/OpeningServices.h"
#include "support/Eventually.h"
#include "support/FileServer.h"
#include "support/LogCapture.h"
#include "support/QtPrinters.h"
#include "support/ShellLinkWriter.h"
#include "tools/PrivateDesktopSetup.h"
#include "workspace/X11Session.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>

namespace {

const QString kShare = QStringLiteral("guest");

bool writeFile(const QString& path, const QByteArray& contents)
{
    QFile file(path);
    return QDir().mkpath(QFileInfo(path).path()) && file.open(QIODevice::WriteOnly)
        && file.write(contents) == contents.size();
}

class OpeningOnDesktop : public FileServerTest {
protected:
    void SetUp() override
    {
        FileServerTest::SetUp();
        if (IsSkipped())
            return;
        const std::shared_ptr<X11Session> session = X11Session::open();
        if (!session || !session->hasWindowManager())
            GTEST_SKIP() << "needs an X server with a window manager (with-xvfb, with-desktop)";
    }
    void TearDown() override
    {
        for (const QJsonObject& record : privateDesktop().records())
            ::kill(pid_t(record.value(QStringLiteral("pid")).toInteger()), SIGTERM);
        FileServerTest::TearDown();
    }

    // A shortcut file to \\127.0.0.1\guest\SUFFIX, read back as the application reads it.
    std::unique_ptr<HVWindowsShortcut> shortcutTo(const QString& suffix)
    {
        ShellLinkContents contents;
        contents.netName =
            (QStringLiteral("\\\\") + FileServer::address() + QLatin1Char('\\') + kShare)
                .toLatin1();
        contents.commonPathSuffix = suffix.toLatin1();
        const QString path = m_folder.filePath(QStringLiteral("target.lnk"));
        if (!writeFile(path, ShellLinkWriter::write(contents)))
            return nullptr;
        return HVWindowsShortcut::initWithContentsOfFile(path);
    }

    QStringList openedPaths() const
    {
        QStringList paths;
        for (const QJsonObject& record : privateDesktop().records())
            paths << record.value(QStringLiteral("arguments")).toArray().first().toString();
        return paths;
    }

    QTemporaryDir m_folder;
    LogCapture m_log;
};

// One mount serves all three: a missing target fails after mounting, a document opens, a
// program is refused unless the user allows it. (OpenShortcut in tests/e2e sees the window
// come to the front.)
TEST_F(OpeningOnDesktop, MountsTheShareAndOpensDocumentsButNoPrograms)
{
    const QString share = FileServer::shareFolder(kShare);
    ASSERT_TRUE(writeFile(share + QStringLiteral("/dir/a.txt"), "words\n"));
    ASSERT_TRUE(writeFile(share + QStringLiteral("/setup.exe"), QByteArray("MZ\x90\0\3\0\0\0", 8)));
    const std::unique_ptr<HVWindowsShortcut> missing = shortcutTo(QStringLiteral("dir\\gone.txt"));
    ASSERT_TRUE(missing);
    EXPECT_FALSE(missing->openFile());
    EXPECT_EQ(missing->errorMessage(), QStringLiteral("Target file does not exist"));
    EXPECT_EQ(m_log.lines().last(), QStringLiteral("No DFS installed. No file found"));
    const std::optional<QString> mountPoint = FileServer::gvfsFolder(kShare);
    ASSERT_TRUE(mountPoint) << "the share is mounted through GVfs";

    const std::unique_ptr<HVWindowsShortcut> shortcut = shortcutTo(QStringLiteral("dir\\a.txt"));
    ASSERT_TRUE(shortcut);
    ASSERT_TRUE(shortcut->openFile()) << shortcut->errorMessage().value_or(QString()).toStdString();
    const QString target = *mountPoint + QStringLiteral("/dir/a.txt");
    EXPECT_TRUE(m_log.lines().contains(QStringLiteral("Composed link is: ") + target));
    ASSERT_TRUE(eventually([&] { return !openedPaths().isEmpty(); }, std::chrono::seconds(15)));
    EXPECT_EQ(openedPaths(), QStringList {target});

    const std::unique_ptr<HVWindowsShortcut> program = shortcutTo(QStringLiteral("setup.exe"));
    ASSERT_TRUE(program);
    EXPECT_FALSE(program->openFile());
    const QString message = program->errorMessage().value_or(QString());
    EXPECT_TRUE(message.startsWith(
        QStringLiteral("\u201csetup.exe\u201d was not opened because it is a program: ")))
        << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("an MZ header"))) << message.toStdString();
    // Allowed, it goes to the desktop, which has no application for Windows programs.
    auto allowing = std::make_shared<OpeningServices>(OpeningServices::shared());
    QStringList asked;
    allowing->confirmProgramTarget = [&](const QString& path, const ProgramTargetVerdict&) {
        asked << path;
        return true;
    };
    program->setOpeningServices(allowing);
    EXPECT_FALSE(program->openFile());
    EXPECT_EQ(asked, QStringList {*mountPoint + QStringLiteral("/setup.exe")});
    EXPECT_TRUE(program->errorMessage()->startsWith(
        QStringLiteral("No application is set to open \u201csetup.exe\u201d")))
        << program->errorMessage()->toStdString();
    QThread::msleep(500);
    EXPECT_EQ(privateDesktop().records().size(), 1) << "nothing else was started";
}

}
