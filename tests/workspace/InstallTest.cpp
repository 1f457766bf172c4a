// Installs the desktop integration into a temporary prefix with the build's own
// install rules, looks at it the way a desktop would, and uninstalls it again.
#include "support/PrivateSessionBus.h"
#include "support/ProgramRun.h"
#include "tools/PrivateDesktop.h"

#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>

namespace {

// What a program printed, output and errors together, as a terminal shows them.
struct ProcessRun {
    int exitCode = -1;
    QString output;
};

ProcessRun run(const QString& program, const QStringList& arguments,
    const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
{
    const ProgramRun ran = runProgram(program, arguments, environment);
    return {ran.exitCode, ran.output + ran.errors};
}

// The start of a Windows shell link: HeaderSize 0x4C, the LinkCLSID, then zeros.
QByteArray shellLink()
{
    return QByteArray("L\0\0\0\x01\x14\x02\0\0\0\0\0\xc0\0\0\0\0\0\0F", 20) + QByteArray(56, '\0');
}

QStringList manifest()
{
    QFile file(QStringLiteral(KESTROVA_BINARY_DIR "/install_manifest_desktop.txt"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

class DesktopInstallation : public testing::Test {
protected:
    void SetUp() override
    {
        // Installing writes the manifest and the service file into the build folder,
        // so test processes that ctest runs side by side take turns.
        ASSERT_TRUE(m_lock.tryLock(300000)) << "another installation test holds the lock";
        ASSERT_TRUE(m_prefix.isValid());
        const ProcessRun install = run(QStringLiteral(KESTROVA_CMAKE),
            {QStringLiteral("--install"), QStringLiteral(KESTROVA_BINARY_DIR),
                QStringLiteral("--prefix"), m_prefix.path(), QStringLiteral("--component"),
                QStringLiteral("desktop")});
        ASSERT_EQ(install.exitCode, 0) << install.output.toStdString();
        m_desktop.prependDataDir(m_prefix.filePath(QStringLiteral("share")));
    }

    // The private desktop, where `kestrova` is on PATH as it is for a real installation:
    // GIO ignores desktop entries whose program it cannot find.
    QProcessEnvironment environment() const
    {
        QProcessEnvironment environment = m_desktop.environment();
        environment.insert(QStringLiteral("PATH"),
            QStringLiteral(KESTROVA_PROGRAM_DIR ":") + environment.value(QStringLiteral("PATH")));
        return environment;
    }

    // content type, default application, and program verdict, as a new process sees them
    QStringList probe(const QString& path)
    {
        const ProcessRun probe =
            run(QStringLiteral(KESTROVA_WORKSPACE_PROBE), {path}, environment());
        return probe.output.trimmed().split(QLatin1Char('\t'));
    }

    QString sample(const QString& name, const QByteArray& contents)
    {
        QString path = m_desktop.root() + QLatin1Char('/') + name;
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(contents);
        return path;
    }

    QString share(const QString& relativePath) const
    {
        return m_prefix.filePath(QStringLiteral("share/") + relativePath);
    }

    QLockFile m_lock {QStringLiteral(KESTROVA_BINARY_DIR "/desktop-installation-test.lock")};
    QTemporaryDir m_prefix;
    PrivateDesktop m_desktop;
};

TEST_F(DesktopInstallation, DesktopEntriesPassValidation)
{
    const QString validator =
        QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    if (validator.isEmpty())
        GTEST_SKIP() << "desktop-file-validate is missing (desktop-file-utils)";
    for (const char* entry :
        {"com.dovrane.Kestrova.desktop", "com.dovrane.Kestrova.Settings.desktop"}) {
        const ProcessRun validation =
            run(validator, {share(QStringLiteral("applications/") + QLatin1String(entry))});
        EXPECT_EQ(validation.exitCode, 0) << validation.output.toStdString();
        EXPECT_FALSE(validation.output.contains(QLatin1String("error")))
            << validation.output.toStdString();
    }
}

// The settings window as the desktop starts it, from its installed entry (with the
// program and its help page installed beside it), on a display of its own kind.
TEST_F(DesktopInstallation, SettingsEntryStartsTheInstalledWindow)
{
    const ProcessRun program = run(QStringLiteral(KESTROVA_CMAKE),
        {QStringLiteral("--install"), QStringLiteral(KESTROVA_BINARY_DIR),
            QStringLiteral("--prefix"), m_prefix.path(), QStringLiteral("--component"),
            QStringLiteral("Unspecified")});
    ASSERT_EQ(program.exitCode, 0) << program.output.toStdString();
    EXPECT_TRUE(QFileInfo(share(QStringLiteral("kestrova/ReadMe.html"))).isFile());
    PrivateSessionBus bus;
    ASSERT_TRUE(bus.isRunning()) << bus.failure().toStdString();
    QProcessEnvironment session = bus.environment(environment());
    session.insert(QStringLiteral("PATH"),
        m_prefix.filePath(QStringLiteral("bin")) + QLatin1Char(':')
            + session.value(QStringLiteral("PATH")));
    session.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));

    // The window keeps gio's output channels: they must outlive gio, as a session's do.
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
    const QString name = QStringLiteral("com.dovrane.Kestrova.Settings");
    const QDeadlineTimer deadline(20000);
    while (!connection.interface()->isServiceRegistered(name).value() && !deadline.hasExpired())
        QThread::msleep(50);
    const uint pid = connection.interface()->servicePid(name).value();
    ASSERT_NE(pid, 0U) << "the window did not start";
    EXPECT_EQ(QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).symLinkTarget(),
        m_prefix.filePath(QStringLiteral("bin/kestrova-settings")));
    ::kill(pid_t(pid), SIGTERM);
    while (connection.interface()->isServiceRegistered(name).value() && !deadline.hasExpired())
        QThread::msleep(50);
    EXPECT_FALSE(connection.interface()->isServiceRegistered(name).value());
}

TEST_F(DesktopInstallation, ShortcutsResolveToKestrovaByNameAndByMagic)
{
    const QStringList byName = probe(sample(QStringLiteral("Report.doc.lnk"), shellLink()));
    ASSERT_EQ(byName.size(), 4) << byName.join(QLatin1Char(' ')).toStdString();
    EXPECT_EQ(byName[1], QLatin1String("application/x-ms-shortcut"));
    EXPECT_EQ(byName[2], QLatin1String("com.dovrane.Kestrova.desktop"));

    const QStringList byMagic = probe(sample(QStringLiteral("Report shortcut"), shellLink()));
    ASSERT_EQ(byMagic.size(), 4);
    EXPECT_EQ(byMagic[1], QLatin1String("application/x-ms-shortcut"));
    EXPECT_EQ(byMagic[2], QLatin1String("com.dovrane.Kestrova.desktop"));
}

TEST_F(DesktopInstallation, ServiceStartsInstalledProgram)
{
    QFile service(share(QStringLiteral("dbus-1/services/com.dovrane.Kestrova.service")));
    ASSERT_TRUE(service.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(service.readAll());
    EXPECT_TRUE(text.contains(QLatin1String("Name=com.dovrane.Kestrova\n")));
    EXPECT_TRUE(
        text.contains(QStringLiteral("Exec=%1/bin/kestrova service\n").arg(m_prefix.path())))
        << text.toStdString();
}

TEST_F(DesktopInstallation, FileManagerActionsRunKestrovaOnTheFiles)
{
    const QStringList actions {
        QStringLiteral("nemo/actions/kestrova-open-windows-link.nemo_action"),
        QStringLiteral("kio/servicemenus/kestrova-open-windows-link.desktop"),
        QStringLiteral("kestrova/file-managers/thunar/uca.xml")};
    for (const QString& action : actions) {
        QFile file(share(action));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << action.toStdString();
        EXPECT_TRUE(file.readAll().contains("kestrova open %F")) << action.toStdString();
    }
    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    if (!python.isEmpty()) {
        const ProcessRun compile = run(python,
            {QStringLiteral("-c"),
                QStringLiteral("import ast,sys; ast.parse(open(sys.argv[1]).read())"),
                share(QStringLiteral("nautilus-python/extensions/kestrova-nautilus.py"))});
        EXPECT_EQ(compile.exitCode, 0) << compile.output.toStdString();
    }
}

TEST_F(DesktopInstallation, UninstallRemovesEveryFileAndTheShortcutType)
{
    const QStringList installed = manifest();
    ASSERT_GE(installed.size(), 10);
    for (const QString& file : installed)
        ASSERT_TRUE(file.startsWith(m_prefix.path())) << file.toStdString();

    const ProcessRun uninstall = run(QStringLiteral(KESTROVA_CMAKE),
        {QStringLiteral("-DMANIFEST=" KESTROVA_BINARY_DIR "/install_manifest_desktop.txt"),
            QStringLiteral("-P"),
            QStringLiteral(KESTROVA_SOURCE_DIR "/cmake/KestrovaUninstall.cmake")});
    ASSERT_EQ(uninstall.exitCode, 0) << uninstall.output.toStdString();
    for (const QString& file : installed)
        EXPECT_FALSE(QFileInfo::exists(file)) << file.toStdString();

    // The refreshed databases no longer know the type or its handler.
    const QStringList after = probe(sample(QStringLiteral("Report.doc.lnk"), shellLink()));
    ASSERT_EQ(after.size(), 4);
    EXPECT_NE(after[1], QLatin1String("application/x-ms-shortcut"));
    EXPECT_NE(after[2], QLatin1String("com.dovrane.Kestrova.desktop"));
}

}
