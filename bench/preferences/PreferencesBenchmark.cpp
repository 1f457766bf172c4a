// What reading and saving settings costs: getters read the domain as of its last
// synchronisation from memory, and a synchronisation reads, merges, writes, flushes
// and renames the file under the lock.

#include "preferences/KTPreferences.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

DriveMappingList mappings(int count)
{
    DriveMappingList list;
    for (int index = 0; index < count; ++index) {
        list.append(KTDriveMapping(QStringLiteral("%1:").arg(QChar(u'D' + index)),
            QStringLiteral("\\\\fs%1\\share").arg(index)));
    }
    return list;
}

// A domain in a temporary folder holding ten mappings and every other key.
struct BenchmarkDomain {
    QTemporaryDir folder;
    PreferencesDomain domain {PreferencesPaths {
        folder.path() + QStringLiteral("/kestrova/com.dovrane.Kestrova.json"), {}}};
    KTPreferences preferences {domain};

    BenchmarkDomain()
    {
        preferences.setMountMethod(QStringLiteral("afp"));
        preferences.setMappingEnabled(true);
        preferences.setDriveMapping(mappings(10));
        (void)preferences.synchronizeChanges();
    }
};

void readSettingsForOneShortcut(benchmark::State& state)
{
    BenchmarkDomain bench;
    for (auto _ : state) {
        benchmark::DoNotOptimize(bench.preferences.driveMapping());
        benchmark::DoNotOptimize(bench.preferences.mappingEnabled());
        benchmark::DoNotOptimize(bench.preferences.mountMethod());
    }
}
BENCHMARK(readSettingsForOneShortcut);

void synchronizeWithoutChanges(benchmark::State& state)
{
    BenchmarkDomain bench;
    for (auto _ : state)
        (void)bench.preferences.synchronizeChanges();
}
BENCHMARK(synchronizeWithoutChanges)->Unit(benchmark::kMicrosecond);

void synchronizeOneChange(benchmark::State& state)
{
    BenchmarkDomain bench;
    bool value = false;
    for (auto _ : state) {
        bench.preferences.setCreateAlias(value = !value);
        (void)bench.preferences.synchronizeChanges();
    }
}
BENCHMARK(synchronizeOneChange)->Unit(benchmark::kMicrosecond);

}

BENCHMARK_MAIN();
