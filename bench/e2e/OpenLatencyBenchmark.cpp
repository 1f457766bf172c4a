// How long opening a file on a mounted share takes, from the moment it is asked for
// until the application has the file (the recording viewer has written its record):
//   handedOver  kestrova open of a shortcut, handed to the running instance
//   cold        kestrova open with no instance running: the command serves itself
//   gioOpen     gio open of the same file as an smb:// URL, what a user runs instead
//   handedOverToEnd, convertingToEnd   kestrova open handed to the running instance,
//               until the command has ended; the second with Ctrl held, so that the
//               shortcut is also turned into an alias file beside it. Their difference
//               is what the conversion adds to an open.
//   handedOverOnShareToEnd, convertingOnShareToEnd   the same two with the shortcut on
//               the share itself, opened through GVfs's folder, as offices keep them; the
//               alias file is then written through GVfs's FUSE folder as well.
// Rounds of the three are interleaved at random, so that a slow moment of the machine
// falls on all of them alike. Runs under the harnesses (X server, window manager,
// Samba, GVfs): bench/e2e/run. Extra arguments go to Google Benchmark
// (--benchmark_repetitions=N, --benchmark_out=FILE for every sample as JSON).
#include "ChildProcess.h"
#include "OpenLatencySummary.h"
#include "ViewerRecording.h"
#include "support/FileServer.h"
#include "support/ShellLinkWriter.h"
#include "tools/PrivateDesktop.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <benchmark/benchmark.h>

#include <array>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <memory>

namespace {

using namespace std::chrono_literals;

const QString benchShare = QStringLiteral("bench");
const QString sampleFile = QStringLiteral("docs/report.txt");
const QString busName = QStringLiteral("com.dovrane.Kestrova");
constexpr auto recordTimeout = 20s;

bool instanceRuns()
{
    return QDBusConnection::sessionBus().interface()->isServiceRegistered(busName).value();
}

bool waitForInstance(bool running)
{
    const QDeadlineTimer deadline(20000);
    while (instanceRuns() != running && !deadline.hasExpired())
        QThread::msleep(10);
    return instanceRuns() == running;
}

// What every round needs: the desktop, the sample on the mounted share, its shortcut.
struct Setup {
    PrivateDesktop desktop;
    QTemporaryDir folder;
    std::unique_ptr<ViewerRecording> recording;
    QString shortcut;
    // The same shortcut on the share, as the GVfs folder shows it.
    QString shortcutOnShare;
    QString mountedFile;
    pid_t service = 0;

    QString prepare();
    QString copyShortcutOntoShare();
    bool useInstance(bool running);
};

QString Setup::prepare()
{
    if (!FileServer::isRunning() || qEnvironmentVariableIsEmpty("DISPLAY"))
        return QStringLiteral("run it under the harnesses: bench/e2e/run");
    if (!desktop.isValid() || !folder.isValid())
        return QStringLiteral("cannot make the private desktop");
    desktop.apply();
    const QString serverFile = FileServer::shareFolder(benchShare) + QLatin1Char('/') + sampleFile;
    QDir().mkpath(QFileInfo(serverFile).path());
    QFile sample(serverFile);
    if (!sample.open(QIODevice::WriteOnly) || sample.write("quarterly figures\n") <= 0)
        return QStringLiteral("cannot write the sample on the share");
    sample.close();
    if (!FileServer::gioMount(benchShare))
        return QStringLiteral("cannot mount the share");
    mountedFile = *FileServer::gvfsFolder(benchShare) + QLatin1Char('/') + sampleFile;

    ShellLinkContents contents;
    contents.netName = QStringLiteral("\\\\127.0.0.1\\%1").arg(benchShare).toLatin1();
    contents.commonPathSuffix =
        QString(sampleFile).replace(QLatin1Char('/'), QLatin1Char('\\')).toLatin1();
    shortcut = folder.filePath(QStringLiteral("report.lnk"));
    QFile link(shortcut);
    if (!link.open(QIODevice::WriteOnly) || link.write(ShellLinkWriter::write(contents)) <= 0)
        return QStringLiteral("cannot write the shortcut");
    link.close();
    if (const QString problem = copyShortcutOntoShare(); !problem.isEmpty())
        return problem;
    recording = std::make_unique<ViewerRecording>(desktop.recordingFile());
    if (!recording->isWatching())
        return QStringLiteral("cannot watch the viewer's recording file");
    return {};
}

// Written beside the share's root on the server, so that GVfs learns of it as of any
// file someone else put there.
QString Setup::copyShortcutOntoShare()
{
    const QString name = QFileInfo(shortcut).fileName();
    if (!QFile::copy(shortcut, FileServer::shareFolder(benchShare) + QLatin1Char('/') + name))
        return QStringLiteral("cannot write the shortcut on the share");
    shortcutOnShare = *FileServer::gvfsFolder(benchShare) + QLatin1Char('/') + name;
    return {};
}

// Starts `kestrova service` (as D-Bus would) or ends it, and waits for the bus to agree.
bool Setup::useInstance(bool running)
{
    if (running && !service) {
        service = ChildProcess::spawn({QStringLiteral(KESTROVA_BINARY), QStringLiteral("service")},
            {QStringLiteral("KESTROVA_IDLE_SECONDS=3600")});
    } else if (!running && service) {
        ::kill(service, SIGTERM);
        ChildProcess::waitForExit(service);
        service = 0;
    }
    return waitForInstance(running);
}

Setup& setup()
{
    static Setup instance;
    return instance;
}

enum class Instance { Running, None, Either };

// When a round ends: once the viewer has the file, or once the command has ended too.
enum class Until { ViewerHasFile, CommandEnded };

// Presses or lets go of Ctrl on the display, as the user does.
bool pressControl(bool down)
{
    const pid_t xdotool = ChildProcess::spawn({QStringLiteral("xdotool"),
        down ? QStringLiteral("keydown") : QStringLiteral("keyup"), QStringLiteral("Control_L")});
    return xdotool && ChildProcess::waitForExit(xdotool) == 0;
}

// The alias file of a shortcut (its name without ".lnk") and its sidecar, beside the
// local shortcut or the one on the share; removing them tells whether the round wrote
// one. Those on the share are removed through GVfs, so that it knows they are gone.
bool removeAliasFile()
{
    bool written = false;
    for (const QString& folder :
        {setup().folder.path(), QFileInfo(setup().shortcutOnShare).path()}) {
        written = QFile::remove(folder + QStringLiteral("/._report")) || written;
        QFile::remove(folder + QStringLiteral("/report"));
    }
    return written;
}

// One round: the time from the start of the command until the viewer has the file, or
// none when it did not get the file.
std::optional<double> openOnce(Instance instance, const QStringList& command,
    Until until = Until::ViewerHasFile, bool holdControl = false)
{
    Setup& s = setup();
    if (instance != Instance::Either && !s.useInstance(instance == Instance::Running))
        return std::nullopt;
    s.recording->clear();
    if (holdControl && !pressControl(true))
        return std::nullopt;
    const auto start = std::chrono::steady_clock::now();
    const pid_t process = ChildProcess::spawn(command);
    const bool recorded = s.recording->waitForRecord(recordTimeout);
    auto end = std::chrono::steady_clock::now();
    // The command may go on (it brings the application to the front); the next round
    // starts once it has ended.
    const int status = process ? ChildProcess::waitForExit(process) : -1;
    if (until == Until::CommandEnded)
        end = std::chrono::steady_clock::now();
    const bool released = !holdControl || pressControl(false);
    const bool converted = removeAliasFile();
    const std::optional<ViewerRecording::Record> record = s.recording->firstRecord();
    if (record)
        ChildProcess::terminate(record->pid);
    if (!recorded || status != 0 || !record || record->arguments != QStringList {s.mountedFile}
        || !released || converted != holdControl)
        return std::nullopt;
    return std::chrono::duration<double>(end - start).count();
}

void measureOpen(benchmark::State& state, Instance instance, const QStringList& command,
    Until until = Until::ViewerHasFile, bool holdControl = false)
{
    for (auto _ : state) {
        const std::optional<double> seconds = openOnce(instance, command, until, holdControl);
        if (!seconds) {
            state.SkipWithError("the viewer did not get the file");
            break;
        }
        state.SetIterationTime(*seconds);
    }
}

QStringList kestrovaOpen()
{
    return {QStringLiteral(KESTROVA_BINARY), QStringLiteral("open"), setup().shortcut};
}

QStringList gioOpenURL()
{
    return {QStringLiteral("gio"), QStringLiteral("open"),
        FileServer::smbURL(benchShare) + QLatin1Char('/') + sampleFile};
}

void handedOver(benchmark::State& state)
{
    measureOpen(state, Instance::Running, kestrovaOpen());
}

void cold(benchmark::State& state)
{
    measureOpen(state, Instance::None, kestrovaOpen());
}

void handedOverToEnd(benchmark::State& state)
{
    measureOpen(state, Instance::Running, kestrovaOpen(), Until::CommandEnded);
}

void convertingToEnd(benchmark::State& state)
{
    measureOpen(state, Instance::Running, kestrovaOpen(), Until::CommandEnded, true);
}

QStringList kestrovaOpenOnShare()
{
    return {QStringLiteral(KESTROVA_BINARY), QStringLiteral("open"), setup().shortcutOnShare};
}

void handedOverOnShareToEnd(benchmark::State& state)
{
    measureOpen(state, Instance::Running, kestrovaOpenOnShare(), Until::CommandEnded);
}

void convertingOnShareToEnd(benchmark::State& state)
{
    measureOpen(state, Instance::Running, kestrovaOpenOnShare(), Until::CommandEnded, true);
}

void gioOpen(benchmark::State& state)
{
    measureOpen(state, Instance::Either, gioOpenURL());
}

// The first rounds load programs and libraries from disk, which no later round does.
bool warmUp()
{
    return openOnce(Instance::None, kestrovaOpen()) && openOnce(Instance::Running, kestrovaOpen())
        && openOnce(Instance::Either, gioOpenURL());
}

void registerBenchmarks()
{
    using Function = void (*)(benchmark::State&);
    const std::array<std::pair<const char*, Function>, 7> benchmarks {{{"handedOver", handedOver},
        {"cold", cold}, {"gioOpen", gioOpen}, {"handedOverToEnd", handedOverToEnd},
        {"convertingToEnd", convertingToEnd}, {"handedOverOnShareToEnd", handedOverOnShareToEnd},
        {"convertingOnShareToEnd", convertingOnShareToEnd}}};
    for (const auto& [name, function] : benchmarks) {
        benchmark::RegisterBenchmark(name, function)
            ->UseManualTime()
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
    }
}

}

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    if (const QString problem = setup().prepare(); !problem.isEmpty()) {
        std::fprintf(stderr, "e2e_open_bench: %s\n", qPrintable(problem));
        return 2;
    }
    if (!warmUp()) {
        std::fprintf(
            stderr, "e2e_open_bench: the viewer did not get %s\n", qPrintable(setup().mountedFile));
        return 2;
    }
    // Defaults first: arguments given later override them.
    std::vector<char*> arguments {argv[0]};
    std::string interleaved = "--benchmark_enable_random_interleaving=true";
    std::string repetitions = "--benchmark_repetitions=30";
    arguments.push_back(interleaved.data());
    arguments.push_back(repetitions.data());
    arguments.insert(arguments.end(), argv + 1, argv + argc);
    int count = int(arguments.size());
    benchmark::Initialize(&count, arguments.data());
    registerBenchmarks();
    OpenLatencySummary summary(setup().mountedFile);
    benchmark::RunSpecifiedBenchmarks(&summary);
    setup().useInstance(false);
    benchmark::Shutdown();
    return summary.allMeasured() ? 0 : 2;
}
