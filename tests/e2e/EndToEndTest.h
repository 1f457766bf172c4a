#pragma once

#include "support/ProgramRun.h"
#include "support/QtPrinters.h"
#include "tools/PrivateDesktop.h"

#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <optional>

// An end-to-end test: the kestrova program as a user runs it, on a desktop of its own.
// CTest runs these programs under tests/harness/with-xvfb, with-file-server and
// with-desktop: an X server with an EWMH window manager, Samba on 127.0.0.1 with the
// guest share "share", a session bus and GVfs. Each test gets a private XDG desktop whose
// default application for documents is the recording viewer, and settings of its own;
// no share is mounted when it starts. Without the harnesses the tests skip.
class EndToEndTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The share the tests use, and a path on it in Windows form: \\127.0.0.1\share\a\b.txt.
    static QString share() { return QStringLiteral("share"); }
    static QString uncPath(const QString& relativePath);

    // Puts a file on the server's share (not through the mount): relativePath with "/".
    void putOnShare(const QString& relativePath, const QByteArray& contents);
    // Mounts the share as a file manager would (gio mount, as guest).
    void mountShare();
    // The path of a file of the share below GVfs's FUSE folder; the share must be mounted.
    static QString mountedPath(const QString& relativePath);

    // A local file of the test (a shortcut, say) with the given contents.
    QString writeFile(const QString& name, const QByteArray& contents);
    // A shortcut to \\127.0.0.1\<shareName>\<suffix> (suffix with backslashes).
    QString writeShortcut(const QString& name, const QString& shareName, const QString& suffix);

    // The environment of the user's session: display, bus, the private desktop.
    QProcessEnvironment environment() const;
    // Makes the viewer the default application of one more type as well.
    void addViewerType(const QString& contentType);

    // Starts kestrova with the arguments; the fixture stops it at the end if need be.
    QProcess& start(const QStringList& arguments);
    QProcess& start(const QStringList& arguments, const QProcessEnvironment& environment);
    // The same as a command typed in a terminal without a display: no DISPLAY, and no
    // controlling terminal to ask a password on.
    QProcess& startWithoutDisplay(const QStringList& arguments);
    // Waits for a started command to end (60 s at most; killed then, exit code -1).
    static ProgramRun finish(QProcess& process);
    ProgramRun run(const QStringList& arguments);
    // Changes a setting the way a user does: kestrova settings set|map ...
    void configure(const QStringList& arguments);
    // Starts `kestrova service` and waits until it owns its bus name.
    QProcess& startService();
    // The process that owns com.dovrane.Kestrova on the bus, or none.
    static std::optional<qint64> instanceProcess();

    // What the recording viewer was asked to open, one record per start.
    QList<QJsonObject> viewerRecords() const { return m_desktop.records(); }
    // Waits until the viewer has count records; returns the last of them.
    std::optional<QJsonObject> waitForViewer(qsizetype count = 1);
    static QStringList argumentsOf(const QJsonObject& record);

    // Waits for the window titled title, checks that it comes in front of every other,
    // and presses Return in it, as a user dismisses an alert.
    static void dismissWindow(const QString& title);
    // Dismisses the alert titled title and checks that the command then fails and
    // reports it as "TITLE: MESSAGE".
    static void expectAlert(QProcess& command, const QString& title, const QString& message);

    PrivateDesktop m_desktop;
    QTemporaryDir m_work;

private:
    QProcess& launch(
        const QStringList& arguments, const QProcessEnvironment& environment, bool ownSession);
    void stopViewers();

    std::deque<std::unique_ptr<QProcess>> m_processes;
};
