#include "filesvc/JLAlias.h"
#include "filesvc/JLCarbonUtilities.h"
#include "filesvc/JLResourceFork.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

// Alias files as a conversion writes them (record, icon, Finder information) and reads
// them back, a thousand at a time; and the corpus's resource forks read through their
// sidecars. Rates are files per second.
namespace {

constexpr int kAliasFiles = 1000;

void writeAndReadAliasFiles(benchmark::State& state)
{
    QTemporaryDir root;
    QFile target(root.filePath(QStringLiteral("target.txt")));
    target.open(QIODevice::WriteOnly);
    target.write("text\n");
    target.close();
    const std::unique_ptr<JLAlias> alias = JLAlias::aliasWithPath(target.fileName());
    const bool withIcon = state.range(0) != 0;
    for (auto _ : state) {
        for (int index = 0; index < kAliasFiles; ++index) {
            const QString path = root.filePath(QStringLiteral("alias %1").arg(index));
            if (!alias->writeToFile(path, withIcon))
                state.SkipWithError("an alias file could not be written");
            const std::unique_ptr<JLAlias> read = JLAlias::initWithContentsOfFile(path);
            if (!read || read->path() != target.fileName())
                state.SkipWithError("an alias file did not read back");
        }
        state.PauseTiming();
        for (int index = 0; index < kAliasFiles; ++index) {
            QFile::remove(root.filePath(QStringLiteral("alias %1").arg(index)));
            QFile::remove(root.filePath(QStringLiteral("._alias %1").arg(index)));
        }
        state.ResumeTiming();
    }
    state.counters["files/s"] =
        benchmark::Counter(double(state.iterations()) * kAliasFiles, benchmark::Counter::kIsRate);
}
BENCHMARK(writeAndReadAliasFiles)
    ->ArgName("icon")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void readCorpusForks(benchmark::State& state)
{
    const QDir corpus(qEnvironmentVariable("KESTROVA_CORPUS", QStringLiteral(KESTROVA_CORPUS_DIR))
        + QStringLiteral("/filesvc/resource_forks"));
    QTemporaryDir root;
    QStringList files;
    for (const QString& name : corpus.entryList(QDir::Files)) {
        QFile::copy(corpus.filePath(name), root.filePath(name + QStringLiteral(".fork")));
        QFile(root.filePath(name)).open(QIODevice::WriteOnly);
        // Each fork goes into a sidecar through the resource-fork writer itself.
        auto fork =
            JLResourceFork::initForWritingAtPath(root.filePath(name + QStringLiteral(".copy")));
        QFile source(corpus.filePath(name));
        source.open(QIODevice::ReadOnly);
        if (!fork || !fork->writeEntireResourceFork(source.readAll()) || !fork->closeFile())
            continue;
        files.append(root.filePath(name + QStringLiteral(".copy")));
    }
    if (files.isEmpty()) {
        state.SkipWithError("the shared corpus is absent (set KESTROVA_CORPUS)");
        return;
    }
    for (auto _ : state) {
        for (const QString& file : std::as_const(files)) {
            auto fork = JLResourceFork::initForReadingAtPath(file);
            if (!fork)
                state.SkipWithError("a corpus fork did not read");
            benchmark::DoNotOptimize(fork->everyResourceType());
            (void)fork->closeFile();
        }
    }
    state.counters["files/s"] = benchmark::Counter(
        double(state.iterations()) * double(files.size()), benchmark::Counter::kIsRate);
}
BENCHMARK(readCorpusForks)->UseRealTime();

}

int main(int argc, char** argv)
{
    // The icon is rendered by Qt's GUI module; offscreen, where there is no display.
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
