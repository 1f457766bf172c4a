// The settings window with 200 mappings stored:
//   firstPaint   from the start of kestrova-settings until its window has drawn the table
//                (the program's "first paint" line), on an X server with a window manager
//   storeTable   didUnselect after one cell changed: the merge under the lock, the
//                atomic write with its fsync, the re-reading and the notification
// Runs under the harnesses (bench/pane/run); extra arguments go to Google Benchmark.
#include "KestrovaPrefsPref.h"
#include "preferences/PreferencesNotifier.h"
#include "support/SessionBus.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <optional>

namespace {

constexpr int kMappings = 200;

QByteArray settingsWithMappings()
{
    QJsonArray list;
    for (int index = 0; index < kMappings; ++index) {
        list.append(QJsonObject {
            {QStringLiteral("driveLetter"), QStringLiteral("%1:").arg(QChar(u'A' + index % 26))},
            {QStringLiteral("driveName"),
                QStringLiteral("\\\\fs%1\\projects\\team %1").arg(index)}});
    }
    return QJsonDocument(
        QJsonObject {{QStringLiteral("driveMapping"), list}, {QStringLiteral("showDetails"), true}})
        .toJson();
}

struct Setup {
    QTemporaryDir folder;

    QString settingsFile() const
    {
        return folder.filePath(QStringLiteral("config/kestrova/com.dovrane.Kestrova.json"));
    }
    bool writeSettings() const
    {
        QDir().mkpath(QFileInfo(settingsFile()).path());
        QFile file(settingsFile());
        const QByteArray bytes = settingsWithMappings();
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }
};

Setup& setup()
{
    static Setup instance;
    return instance;
}

// One start: the seconds until the first paint, or none when there was none.
std::optional<double> startOnce()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(
        QStringLiteral("XDG_CONFIG_HOME"), setup().folder.filePath(QStringLiteral("config")));
    environment.insert(
        QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("kestrova.settings.startup.info=true"));
    QProcess program;
    program.setProcessEnvironment(environment);
    program.setProcessChannelMode(QProcess::MergedChannels);
    const auto start = std::chrono::steady_clock::now();
    program.start(QStringLiteral(KESTROVA_SETTINGS_BINARY), {});
    std::optional<double> seconds;
    const QDeadlineTimer deadline(20000);
    QByteArray output;
    while (!seconds && !deadline.hasExpired()
        && program.waitForReadyRead(int(deadline.remainingTime()))) {
        output += program.readAll();
        if (output.contains("first paint"))
            seconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    program.terminate();
    program.waitForFinished();
    return seconds;
}

void firstPaint(benchmark::State& state)
{
    for (auto _ : state) {
        const std::optional<double> seconds = startOnce();
        if (!seconds) {
            state.SkipWithError("the window did not paint");
            break;
        }
        state.SetIterationTime(*seconds);
    }
}

void storeTable(benchmark::State& state)
{
    PreferencesDomain domain({setup().settingsFile(), {}});
    PreferencesNotifier notifier(SessionBus::connect(), QStringLiteral("com.dovrane.Kestrova"));
    KTPreferences preferences(domain, &notifier);
    KestrovaPrefsPref pane(preferences);
    pane.mainViewDidLoad();
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        DriveMappingChanges list = pane.driveMapArray();
        list.replace(round % kMappings,
            KTDriveMapping(QStringLiteral("Z:"), QStringLiteral("\\\\new\\%1").arg(round)));
        pane.setDriveMapArray(list);
        ++round;
        state.ResumeTiming();
        if (!pane.didUnselect().succeeded()) {
            state.SkipWithError("the table was not stored");
            break;
        }
    }
}

}

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    if (qEnvironmentVariableIsEmpty("DISPLAY") || !SessionBus::isPrivate()
        || !setup().writeSettings()) {
        std::fprintf(stderr, "settings_window_bench: run it under the harnesses: bench/pane/run\n");
        return 2;
    }
    // The first start loads the program and its libraries from disk, which no later one does.
    if (!startOnce()) {
        std::fprintf(stderr, "settings_window_bench: kestrova-settings did not paint its window\n");
        return 2;
    }
    benchmark::RegisterBenchmark("firstPaint", firstPaint)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(20);
    benchmark::RegisterBenchmark("storeTable", storeTable)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(50);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
