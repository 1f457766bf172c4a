// What a thrown and caught exception costs: through the throw hook with no handler set
// (what every throw pays in a program that links the hook, next to nothing), and with
// the exception log installed, where each throw also runs the symbolising command and
// appends a report.

#include "diagnostics/ThrowHook.h"
#include "diagnostics/YCExceptionHandler.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <stdexcept>

namespace {

[[gnu::noinline]] void throwForTheBenchmark()
{
    throw std::runtime_error("benchmark");
}

void throwAndCatch(benchmark::State& state)
{
    for (auto _ : state) {
        try {
            throwForTheBenchmark();
        } catch (const std::runtime_error& error) {
            benchmark::DoNotOptimize(error.what());
        }
    }
}

void throwAndCatchWithoutTheLog(benchmark::State& state)
{
    ThrowHook::install(nullptr);
    throwAndCatch(state);
}

void throwAndCatchWithTheLog(benchmark::State& state)
{
    QTemporaryDir folder;
    YCExceptionHandler handler(folder.filePath(QStringLiteral("kestrova/exceptions.log")));
    ThrowHook::install(&handler);
    throwAndCatch(state);
    ThrowHook::install(nullptr);
}

}

BENCHMARK(throwAndCatchWithoutTheLog);
BENCHMARK(throwAndCatchWithTheLog)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
