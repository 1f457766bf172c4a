// What the workspace costs per opened file: judging the target, finding the application
// that opens it (GIO's content-type guess and mimeapps.list lookup), and listing the
// running instances of an application.
#include "workspace/ProgramTarget.h"
#include "workspace/Workspace.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

QString sampleDocument(const QTemporaryDir& folder)
{
    const QString path = folder.filePath(QStringLiteral("minutes.doc"));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(QByteArray("\xd0\xcf\x11\xe0\xa1\xb1\x1a\xe1", 8) + QByteArray(4088, '\0'));
    return path;
}

void judgeDocument(benchmark::State& state)
{
    QTemporaryDir folder;
    const QString path = sampleDocument(folder);
    for (auto _ : state)
        benchmark::DoNotOptimize(ProgramTarget::examine(path));
}
BENCHMARK(judgeDocument);

void findApplicationForDocument(benchmark::State& state)
{
    QTemporaryDir folder;
    const QString path = sampleDocument(folder);
    Workspace workspace;
    for (auto _ : state)
        benchmark::DoNotOptimize(workspace.applicationForFile(path));
}
BENCHMARK(findApplicationForDocument);

// One look at the window manager's list, as the wait for a launching application makes
// up to six times; needs DISPLAY (run it under tests/harness/with-desktop).
void listRunningInstances(benchmark::State& state)
{
    Workspace workspace;
    if (!workspace.x11Session()) {
        state.SkipWithError("no X server (DISPLAY)");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(workspace.runningApplications(QStringLiteral("xterm.desktop")));
}
BENCHMARK(listRunningInstances);

}

BENCHMARK_MAIN();
