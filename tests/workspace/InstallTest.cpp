// The desktop integration installed with the build's own rules into a temporary prefix.
#include "support/Eventually.h"
#include "support/PrivateSessionBus.h"
#include "support/ProgramRun.h"
#include "support/QtPrinters.h"
#include "support/ShellLinkWriter.h"
#include "tools/PrivateDesktop.h"

#include <QDBusConnectionInterface>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

namespace {

const QString kManifest = QStringLiteral(KESTROVA_BINARY_DIR "/install_manifest_desktop.txt");

// Output and errors together, as a terminal shows them, for failure messages.
std::string said(const ProgramRun& run)
{
    return (run.output + run.errors).toStdString();
}

class DesktopInstallation : public testing::Test {
protected:
    void SetUp() override
    {
        // Installing writes into the build folder: parallel test processes take turns.
        ASSERT_TRUE(m_lock.tryLock(300000)) << "another installation test holds the lock";
        ASSERT_TRUE(m_prefix.isValid());
        ASSERT_NO_FATAL_FAILURE(install(QStringLiteral("desktop")));
        m_desktop.prependDataDir(share({}));
    }

    void install(const QString& component)
    {
        const ProgramRun run = runProgram(QStringLiteral(KESTROVA_CMAKE),
            {QStringLiteral("--install"), QStringLiteral(KESTROVA_BINARY_DIR),
                QStringLiteral("--prefix"), m_prefix.path(), QStringLiteral("--component"),
                component});
        ASSERT_EQ(run.exitCode, 0) << said(run);
    }

    // GIO ignores desktop entries whose program is not on PATH.
    QProcessEnvironment environment() const
    {
        QProcessEnvironment environment = m_desktop.environment();
        environment.insert(QStringLiteral("PATH"),
            QStringLiteral(KESTROVA_PROGRAM_DIR ":") + environment.value(QStringLiteral("PATH")));
        return environment;
    }

    // Content type and default application of a new shortcut, as a new process sees them.
    QStringList probeShortcut(const QString& name) const
    {
        QFile file(QDir(m_desktop.root()).filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(ShellLinkWriter::write({})) <= 0)
            return {};
        file.close();
        const ProgramRun probe =
            runProgram(QStringLiteral(KESTROVA_WORKSPACE_PROBE), {file.fileName()}, environment());
        return probe.output.trimmed().split(QLatin1Char('\t')).mid(1, 2);
    }

    QString share(const QString& relativePath) const
    {
        return m_prefix.filePath(QStringLiteral("share/") + relativePath);
    }

    QLockFile m_lock {QStringLiteral(KESTROVA_BINARY_DIR "/desktop-installation-test.lock")};
    QTemporaryDir m_prefix;
    PrivateDesktop m_desktop;
};

TEST_F(DesktopInstallation, InstalledEntriesAndActionsRunTheInstalledProgram)
{
    QFile service(share(QStringLiteral("dbus-1/services/com.dovrane.Kestrova.service")));
    ASSERT_TRUE(service.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(service.readAll());
    EXPECT_TRUE(text.contains(u"Name=com.dovrane.Kestrova\n"));
    EXPECT_TRUE(
        text.contains(QStringLiteral("Exec=%1/bin/kestrova service\n").arg(m_prefix.path())))
        << text.toStdString();

    for (const char* action : {"nemo/actions/kestrova-open-windows-link.nemo_action",
             "kio/servicemenus/kestrova-open-windows-link.desktop",
             "kestrova/file-managers/thunar/uca.xml"}) {
        QFile file(share(QLatin1String(action)));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << action;
        EXPECT_TRUE(file.readAll().contains("kestrova open %F")) << action;
    }
    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    const QString validator =
        QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    ASSERT_FALSE(python.isEmpty() || validator.isEmpty()) << "scripts/bootstrap installs them";
    const ProgramRun checks[] = {
        runProgram(python,
            {QStringLiteral("-c"),
                QStringLiteral("import ast,sys; ast.parse(open(sys.argv[1]).read())"),
                share(QStringLiteral("nautilus-python/extensions/kestrova-nautilus.py"))}),
        runProgram(validator, {share(QStringLiteral("applications/com.dovrane.Kestrova.desktop"))}),
        runProgram(validator,
            {share(QStringLiteral("applications/com.dovrane.Kestrova.Settings.desktop"))})};
    for (const ProgramRun& check : checks) {
        EXPECT_EQ(check.exitCode, 0) << said(check);
        EXPECT_FALSE((check.output + check.errors).contains(u"error")) << said(check);
    }
}

// The settings window as the desktop starts it from its installed entry.
TEST_F(DesktopInstallation, SettingsEntryStartsTheInstalledWindow)
{
    ASSERT_NO_FATAL_FAILURE(install(QStringLiteral("Unspecified")));
    EXPECT_TRUE(QFileInfo(share(QStringLiteral("kestrova/ReadMe.html"))).isFile());
    PrivateSessionBus bus;
    ASSERT_TRUE(bus.isRunning()) << bus.failure().toStdString();
    QProcessEnvironment session = bus.environment(environment());
    session.insert(QStringLiteral("PATH"),
        m_prefix.filePath(QStringLiteral("bin:")) + session.value(QStringLiteral("PATH")));
    session.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));

    // The window keeps gio's output channels, so they must outlive gio.
    QProcess launch;
    launch.setProcessEnvironment(session);
    launch.setStandardOutputFile(QProcess::nullDevice());
    launch.setStandardErrorFile(QProcess::nullDevice());
    launch.start(QStringLiteral("gio"),
        {QStringLiteral("launch"),
            share(QStringLiteral("applications/com.dovrane.Kestrova.Settings.desktop"))});
    ASSERT_TRUE(launch.waitForFinished());
    ASSERT_EQ(launch.exitCode(), 0);
    QDBusConnection connection = bus.connect();
    QDBusConnectionInterface* names = connection.interface();
    const QString name = QStringLiteral("com.dovrane.Kestrova.Settings");
    const auto registered = [&] { return names->isServiceRegistered(name).value(); };
    ASSERT_TRUE(eventually(registered, std::chrono::seconds(20))) << "the window did not start";
    const uint pid = names->servicePid(name).value();
    EXPECT_EQ(QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).symLinkTarget(),
        m_prefix.filePath(QStringLiteral("bin/kestrova-settings")));
    ::kill(pid_t(pid), SIGTERM);
    EXPECT_TRUE(eventually([&] { return !registered(); }, std::chrono::seconds(20)));
}

// Shortcuts are Kestrova's by name and by first bytes until it is uninstalled again.
TEST_F(DesktopInstallation, ShortcutTypeComesAndGoesWithTheInstallation)
{
    const QStringList kestrova {QStringLiteral("application/x-ms-shortcut"),
        QStringLiteral("com.dovrane.Kestrova.desktop")};
    EXPECT_EQ(probeShortcut(QStringLiteral("Report.doc.lnk")), kestrova);
    EXPECT_EQ(probeShortcut(QStringLiteral("Report shortcut")), kestrova);

    QFile manifest(kManifest);
    ASSERT_TRUE(manifest.open(QIODevice::ReadOnly));
    const QStringList installed =
        QString::fromUtf8(manifest.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_GE(installed.size(), 10);
    for (const QString& file : installed)
        ASSERT_TRUE(file.startsWith(m_prefix.path())) << file.toStdString();
    const ProgramRun uninstall = runProgram(QStringLiteral(KESTROVA_CMAKE),
        {QStringLiteral("-DMANIFEST=") + kManifest, QStringLiteral("-P"),
            QStringLiteral(KESTROVA_SOURCE_DIR "/cmake/KestrovaUninstall.cmake")});
    ASSERT_EQ(uninstall.exitCode, 0) << said(uninstall);
    for (const QString& file : installed)
        EXPECT_FALSE(QFileInfo::exists(file)) << file.toStdString();

    const QStringList after = probeShortcut(QStringLiteral("Report.doc.lnk"));
    ASSERT_EQ(after.size(), 2);
    EXPECT_NE(after[0], kestrova[0]);
    EXPECT_NE(after[1], kestrova[1]);
}

}
