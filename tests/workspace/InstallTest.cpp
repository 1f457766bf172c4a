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

using namespace Qt::StringLiterals;

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
        ASSERT_NO_FATAL_FAILURE(install(u"desktop"_s));
        m_desktop.prependDataDir(share({}));
    }

    void install(const QString& component)
    {
        const ProgramRun run = runProgram(QStringLiteral(KESTROVA_CMAKE),
            {u"--install"_s, QStringLiteral(KESTROVA_BINARY_DIR), u"--prefix"_s, m_prefix.path(),
                u"--component"_s, component});
        ASSERT_EQ(run.exitCode, 0) << said(run);
    }

    // GIO ignores desktop entries whose program is not on PATH.
    QProcessEnvironment environment() const
    {
        QProcessEnvironment environment = m_desktop.environment();
        environment.insert(
            u"PATH"_s, QStringLiteral(KESTROVA_PROGRAM_DIR ":") + environment.value(u"PATH"_s));
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
        return m_prefix.filePath(u"share/"_s + relativePath);
    }

    QLockFile m_lock {QStringLiteral(KESTROVA_BINARY_DIR "/desktop-installation-test.lock")};
    QTemporaryDir m_prefix;
    PrivateDesktop m_desktop;
};

TEST_F(DesktopInstallation, InstalledEntriesRunTheProgramUntilUninstalled)
{
    // The bus service file is started from its installed place in DesktopActivation (e2e).
    for (const char* action : {"nemo/actions/kestrova-open-windows-link.nemo_action",
             "kio/servicemenus/kestrova-open-windows-link.desktop",
             "kestrova/file-managers/thunar/uca.xml"}) {
        QFile file(share(QLatin1String(action)));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << action;
        EXPECT_TRUE(file.readAll().contains("kestrova open %F")) << action;
    }
    const QString python = QStandardPaths::findExecutable(u"python3"_s);
    const QString validator = QStandardPaths::findExecutable(u"desktop-file-validate"_s);
    ASSERT_FALSE(python.isEmpty() || validator.isEmpty()) << "scripts/bootstrap installs them";
    const ProgramRun checks[] = {
        runProgram(python,
            {u"-c"_s, u"import ast,sys; ast.parse(open(sys.argv[1]).read())"_s,
                share(u"nautilus-python/extensions/kestrova-nautilus.py"_s)}),
        runProgram(validator, {share(u"applications/com.dovrane.Kestrova.desktop"_s)}),
        runProgram(validator, {share(u"applications/com.dovrane.Kestrova.Settings.desktop"_s)})};
    for (const ProgramRun& check : checks) {
        EXPECT_EQ(check.exitCode, 0) << said(check);
        EXPECT_FALSE((check.output + check.errors).contains(u"error")) << said(check);
    }

    // Shortcuts are Kestrova's by name and by first bytes until it is uninstalled again.
    const QStringList kestrova {u"application/x-ms-shortcut"_s, u"com.dovrane.Kestrova.desktop"_s};
    EXPECT_EQ(probeShortcut(u"Report.doc.lnk"_s), kestrova);
    EXPECT_EQ(probeShortcut(u"Report shortcut"_s), kestrova);

    QFile manifest(kManifest);
    ASSERT_TRUE(manifest.open(QIODevice::ReadOnly));
    const QStringList installed =
        QString::fromUtf8(manifest.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_GE(installed.size(), 10);
    for (const QString& file : installed)
        ASSERT_TRUE(file.startsWith(m_prefix.path())) << file.toStdString();
    const ProgramRun uninstall = runProgram(QStringLiteral(KESTROVA_CMAKE),
        {u"-DMANIFEST="_s + kManifest, u"-P"_s,
            QStringLiteral(KESTROVA_SOURCE_DIR "/cmake/KestrovaUninstall.cmake")});
    ASSERT_EQ(uninstall.exitCode, 0) << said(uninstall);
    for (const QString& file : installed)
        EXPECT_FALSE(QFileInfo::exists(file)) << file.toStdString();

    const QStringList after = probeShortcut(u"Report.doc.lnk"_s);
    ASSERT_EQ(after.size(), 2);
    EXPECT_NE(after[0], kestrova[0]);
    EXPECT_NE(after[1], kestrova[1]);
}

// The settings window as the desktop starts it from its installed entry.
TEST_F(DesktopInstallation, SettingsEntryStartsTheInstalledWindow)
{
    ASSERT_NO_FATAL_FAILURE(install(u"Unspecified"_s));
    EXPECT_TRUE(QFileInfo(share(u"kestrova/ReadMe.html"_s)).isFile());
    PrivateSessionBus bus;
    ASSERT_TRUE(bus.isRunning()) << bus.failure().toStdString();
    QProcessEnvironment session = bus.environment(environment());
    session.insert(u"PATH"_s, m_prefix.filePath(u"bin:"_s) + session.value(u"PATH"_s));
    session.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);

    // The window keeps gio's output channels, so they must outlive gio.
    QProcess launch;
    launch.setProcessEnvironment(session);
    launch.setStandardOutputFile(QProcess::nullDevice());
    launch.setStandardErrorFile(QProcess::nullDevice());
    launch.start(
        u"gio"_s, {u"launch"_s, share(u"applications/com.dovrane.Kestrova.Settings.desktop"_s)});
    ASSERT_TRUE(launch.waitForFinished());
    ASSERT_EQ(launch.exitCode(), 0);
    QDBusConnection connection = bus.connect();
    QDBusConnectionInterface* names = connection.interface();
    const QString name = u"com.dovrane.Kestrova.Settings"_s;
    const auto registered = [&] { return names->isServiceRegistered(name).value(); };
    ASSERT_TRUE(eventually(registered, std::chrono::seconds(20))) << "the window did not start";
    const uint pid = names->servicePid(name).value();
    EXPECT_EQ(QFileInfo(u"/proc/%1/exe"_s.arg(pid)).symLinkTarget(),
        m_prefix.filePath(u"bin/kestrova-settings"_s));
    ::kill(pid_t(pid), SIGTERM);
    EXPECT_TRUE(eventually([&] { return !registered(); }, std::chrono::seconds(20)));
}

}
