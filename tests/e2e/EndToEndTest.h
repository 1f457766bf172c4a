#pragma once

#include "support/ProgramRun.h"
#include "support/QtPrinters.h"
#include "tools/PrivateDesktop.h"

#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <optional>

// The kestrova program as a user runs it, under tests/harness/with-xvfb, with-file-server
// and with-desktop: an X server with a window manager, Samba on 127.0.0.1 with the guest
// share "share", a session bus and GVfs. Each test gets a private XDG desktop whose
// application for documents is the recording viewer; no share is mounted when it starts.
class EndToEndTest : public testing::Test {
protected:
    static inline const QString kShare = QStringLiteral("share");

    void SetUp() override;
    void TearDown() override;

    // Puts a file on the server's side of the share (not through the mount).
    void putOnShare(const QString& relativePath, const QByteArray& contents);
    // The path of a file of the share below GVfs's FUSE folder.
    static QString mountedPath(const QString& relativePath);
    // A file of the test's folder, or at an absolute path.
    QString writeFile(const QString& name, const QByteArray& contents);
    // A shortcut to \\127.0.0.1\share\<suffix> (suffix with backslashes).
    QString writeShortcut(const QString& name, const QString& suffix);
    // Another application (xclip) holds the selection (primary, clipboard) with data of one
    // type until another program takes it; whether it serves it.
    bool holdSelection(const QString& selection, const QString& type, const QByteArray& data);
    // Makes the viewer the default application of one more type as well.
    void addViewerType(const QString& contentType);

    // Starts kestrova in the user's session (or the environment given); the fixture stops
    // it at the end if need be.
    QProcess& start(const QStringList& arguments, QProcessEnvironment environment = {},
        bool ownSession = false);
    // As typed in a terminal: no display, and no controlling terminal to ask a password on.
    QProcess& startWithoutDisplay(const QStringList& arguments);
    // Waits a minute at most for a started command to end (killed then, exit code -1).
    static ProgramRun finish(QProcess& process);
    ProgramRun run(const QStringList& arguments) { return finish(start(arguments)); }
    // The process that owns com.dovrane.Kestrova on the bus, or none.
    static std::optional<qint64> instanceProcess();

    // What the recording viewer was asked to open, one record per start.
    QList<QJsonObject> viewerRecords() const { return m_desktop.records(); }
    // The arguments of the viewer's start number count, once it has started so often.
    QStringList viewerArguments(qsizetype count = 1) const;

    // What a user does on the display, through the tools a desktop answers to (xdotool,
    // xclip). Answers a share's password question as "Connect as guest"; false when none showed.
    static bool connectAsGuest();
    static QString readSelection(
        const QString& selection, const QString& type = QStringLiteral("UTF8_STRING"));

    // Waits for the window titled title, checks that it comes in front and presses Return.
    static void dismissWindow(const QString& title);
    // Dismisses the alert and checks that the command fails reporting "TITLE: MESSAGE".
    static void expectAlert(QProcess& command, const QString& title, const QString& message);

    PrivateDesktop m_desktop;
    QTemporaryDir m_work;

private:
    std::deque<std::unique_ptr<QProcess>> m_processes;
};
