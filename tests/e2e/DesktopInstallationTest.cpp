#include "EndToEndTest.h"
#include "support/Eventually.h"
#include "support/Files.h"
#include "support/ShellLinkWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <csignal>

using namespace Qt::StringLiterals;

// Kestrova installed with the build's own rules into a prefix, and the desktop that finds it
// there.
namespace {

const QString serviceFileName = u"com.dovrane.Kestrova.service"_s;

class DesktopInstallation : public EndToEndTest {
protected:
    void SetUp() override
    {
        EndToEndTest::SetUp();
        if (IsSkipped())
            return;
        ASSERT_FALSE(qEnvironmentVariableIsEmpty("KESTROVA_BUS_SERVICES"));
        succeeds(u"cmake"_s,
            {u"--install"_s, QStringLiteral(KESTROVA_BUILD_DIR), u"--prefix"_s, prefix()});
        ASSERT_FALSE(HasFailure());
        // This bus reads the services of a folder of its own, where the installed file is
        // linked.
        ASSERT_TRUE(QFile::link(
            prefix() + u"/share/dbus-1/services/"_s + serviceFileName, busServiceLink()));
        m_desktop.prependDataDir(prefix() + u"/share"_s);
    }

    void TearDown() override
    {
        if (const std::optional<qint64> instance = instanceProcess())
            ::kill(pid_t(*instance), SIGTERM);
        QFile::remove(busServiceLink());
        EndToEndTest::TearDown();
    }

    QString prefix() const { return m_work.filePath(u"prefix"_s); }
    static QString busServiceLink()
    {
        return qEnvironmentVariable("KESTROVA_BUS_SERVICES") + QLatin1Char('/') + serviceFileName;
    }

    // A session with the prefix's programs on its PATH. A desktop session hands its
    // environment to the bus for the services it starts, as this does.
    QProcessEnvironment session() const
    {
        QProcessEnvironment session = m_desktop.environment();
        session.insert(u"PATH"_s, prefix() + u"/bin:"_s + session.value(u"PATH"_s));
        session.insert(u"KESTROVA_IDLE_SECONDS"_s, u"2"_s);
        return session;
    }

    QString succeeds(const QString& program, const QStringList& arguments) const
    {
        const ProgramRun run = runProgram(program, arguments, session());
        EXPECT_EQ(run.exitCode, 0) << (run.output + run.errors).toStdString();
        return run.output;
    }

    QString share(const QString& relativePath) const
    {
        return prefix() + u"/share/"_s + relativePath;
    }

    // Content type and default application of a new shortcut, as a new process sees them.
    QStringList probeShortcut(const QString& name)
    {
        const QString file = writeFile(name, ShellLinkWriter::write({}));
        const QString probe = QStringLiteral(KESTROVA_WORKSPACE_PROBE);
        return succeeds(probe, {file}).trimmed().split(QLatin1Char('\t')).mid(1, 2);
    }
};

}

TEST_F(DesktopInstallation, InstalledEntriesRunTheProgramUntilUninstalled)
{
    for (const char* action : {"nemo/actions/kestrova-open-windows-link.nemo_action",
             "kio/servicemenus/kestrova-open-windows-link.desktop",
             "kestrova/file-managers/thunar/uca.xml"})
        EXPECT_TRUE(readFile(share(QLatin1String(action))).contains("kestrova open %F")) << action;
    // The desktop entries and the metadata are validated in the package test.
    succeeds(u"python3"_s,
        {u"-c"_s, u"import ast,sys; ast.parse(open(sys.argv[1]).read())"_s,
            share(u"nautilus-python/extensions/kestrova-nautilus.py"_s)});

    // The settings entry runs kestrova-settings from PATH; its Help shows the ReadMe.
    EXPECT_TRUE(QFileInfo(prefix() + u"/bin/kestrova-settings"_s).isExecutable());
    EXPECT_TRUE(QFileInfo(share(u"kestrova/ReadMe.html"_s)).isFile());

    // The script turns the Thunar actions on through the installed settings program, with
    // no display, keeping the user's own action.
    QProcessEnvironment user = session();
    const QDir home(m_work.filePath(u"home"_s));
    ASSERT_TRUE(home.mkpath(u"config/Thunar"_s) && home.mkpath(u"share/applications"_s));
    writeFile(u"home/share/applications/thunar.desktop"_s, {});
    const QString uca = writeFile(u"home/config/Thunar/uca.xml"_s,
        "<actions><action><unique-id>mine</unique-id></action></actions>");
    user.insert(u"XDG_CONFIG_HOME"_s, home.filePath(u"config"_s));
    user.insert(u"XDG_DATA_HOME"_s, home.filePath(u"data"_s));
    user.insert(u"XDG_DATA_DIRS"_s, home.filePath(u"share"_s));
    user.remove(u"DISPLAY"_s);
    const ProgramRun enabled =
        runProgram(share(u"kestrova/file-managers/enable-user-actions.sh"_s), {}, user);
    EXPECT_EQ(enabled.exitCode, 0) << enabled.errors.toStdString();
    EXPECT_TRUE(enabled.output.contains(u"Thunar: On\n"_s)) << enabled.output.toStdString();
    const QByteArray actions = readFile(uca);
    EXPECT_TRUE(actions.startsWith("<actions><action><unique-id>mine</unique-id></action>")
        && actions.contains("kestrova-copy-windows-path"))
        << actions.toStdString();

    // Shortcuts are Kestrova's by name and by first bytes until it is uninstalled again.
    const QStringList kestrova {u"application/x-ms-shortcut"_s, u"com.dovrane.Kestrova.desktop"_s};
    EXPECT_EQ(probeShortcut(u"Report.doc.lnk"_s), kestrova);
    EXPECT_EQ(probeShortcut(u"Report shortcut"_s), kestrova);
    const QString manifest = QStringLiteral(KESTROVA_BUILD_DIR "/install_manifest.txt");
    const QStringList installed =
        QString::fromUtf8(readFile(manifest)).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_GE(installed.size(), 10);
    for (const QString& file : installed)
        ASSERT_TRUE(file.startsWith(prefix())) << file.toStdString();
    succeeds(u"cmake"_s,
        {u"-DMANIFEST="_s + manifest, u"-P"_s,
            QStringLiteral(KESTROVA_SOURCE_DIR "/cmake/KestrovaUninstall.cmake")});
    for (const QString& file : installed)
        EXPECT_FALSE(QFileInfo::exists(file)) << file.toStdString();
    const QStringList after = probeShortcut(u"Report.doc.lnk"_s);
    ASSERT_EQ(after.size(), 2);
    EXPECT_NE(after[0], kestrova[0]);
    EXPECT_NE(after[1], kestrova[1]);
}

// The double click of a file manager: `gio open` resolves a .lnk file to the installed
// desktop entry, which is D-Bus activatable: GIO calls Open on the bus, the bus starts
// `kestrova service` from the installed service file, and the target opens.
TEST_F(DesktopInstallation, OpeningAShortcutFileStartsTheInstalledServiceOverTheBus)
{
    succeeds(u"dbus-update-activation-environment"_s,
        QStringLiteral("PATH DISPLAY XAUTHORITY XDG_RUNTIME_DIR XDG_DATA_HOME XDG_DATA_DIRS "
                       "XDG_CONFIG_HOME XDG_CONFIG_DIRS XDG_STATE_HOME QT_QPA_PLATFORM "
                       "KESTROVA_RECORDING_FILE KESTROVA_IDLE_SECONDS")
            .split(u' '));
    putOnShare(u"Projects/plan.txt"_s, "the plan\n");
    const QString shortcut = writeShortcut(u"plan.lnk"_s, u"Projects\\plan.txt"_s);
    ASSERT_FALSE(instanceProcess());

    QProcess open;
    open.setProcessEnvironment(session());
    open.start(u"gio"_s, {u"open"_s, shortcut});
    ASSERT_TRUE(connectAsGuest()) << "the share's password question did not show";
    const QStringList opened = viewerArguments(); // waits, then the share is mounted
    EXPECT_EQ(opened, QStringList {mountedPath(u"Projects/plan.txt"_s)});
    ASSERT_TRUE(open.waitForFinished(60000));
    EXPECT_EQ(open.exitCode(), 0) << open.readAllStandardError().toStdString();

    const std::optional<qint64> instance = instanceProcess();
    ASSERT_TRUE(instance) << "no instance owns the bus name";
    // The bus ran the installed kestrova, which became the installed full program.
    EXPECT_EQ(QFileInfo(u"/proc/%1/exe"_s.arg(*instance)).symLinkTarget(),
        QDir(prefix()).absoluteFilePath(u"libexec/kestrova/kestrova-app"_s));
    EXPECT_TRUE(eventually([] { return !instanceProcess(); }, std::chrono::seconds(20)))
        << "the instance did not quit when idle";
}
