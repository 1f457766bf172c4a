#include "EndToEndTest.h"
#include "support/Eventually.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <csignal>

using namespace Qt::StringLiterals;

// The double click of a file manager: Kestrova is installed into a prefix, and `gio open`
// resolves a .lnk file to the installed desktop entry, which is D-Bus activatable: GIO
// calls Open on the bus, the bus starts `kestrova service` from the installed service
// file, and the target opens.
namespace {

const QString serviceFileName = u"com.dovrane.Kestrova.service"_s;

class DesktopActivation : public EndToEndTest {
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
};

}

TEST_F(DesktopActivation, OpeningAShortcutFileStartsTheInstalledServiceOverTheBus)
{
    succeeds(u"dbus-update-activation-environment"_s,
        QStringLiteral("PATH DISPLAY XAUTHORITY XDG_RUNTIME_DIR XDG_DATA_HOME XDG_DATA_DIRS "
                       "XDG_CONFIG_HOME XDG_CONFIG_DIRS QT_QPA_PLATFORM KESTROVA_RECORDING_FILE "
                       "KESTROVA_IDLE_SECONDS")
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
