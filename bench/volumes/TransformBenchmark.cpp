// Converts paths inside a mounted GVfs share back into server paths, with the mounter and
// with GIO's own path-to-URI conversion side by side, and times a share lookup. Needs the
// file server of the tests:
//
//   tests/harness/with-file-server build/default/bench/volumes/volumes_bench

#include "volumes/CredentialPrompt.h"
#include "volumes/GvfsServerMount.h"
#include "volumes/KTMounter.h"
#include "volumes/SystemMountTable.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringList>

#include <benchmark/benchmark.h>

#include <gio/gio.h>

#include <cstdio>

namespace {

constexpr int pathCount = 10000;
const QString share = QStringLiteral("//127.0.0.1/guest");

class GuestPrompt final : public CredentialPrompt {
public:
    std::optional<Credentials> askPassword(const CredentialRequest& request) override
    {
        if (!request.anonymousAllowed)
            return std::nullopt;
        Credentials credentials;
        credentials.anonymous = true;
        return credentials;
    }
};

struct MountedShare {
    SystemMountTable table;
    GuestPrompt prompt;
    GvfsServerMount serverMount {prompt};
    KTMounter mounter {table, serverMount, [] { return nullptr; }};
    QStringList paths;
    QList<QByteArray> nativePaths;
};

MountedShare* mounted = nullptr;

void BM_TransformToNetworkVolumePath(benchmark::State& state)
{
    for (auto _ : state) {
        for (const QString& path : std::as_const(mounted->paths))
            benchmark::DoNotOptimize(mounted->mounter.transformToNetworkVolumePath(path));
    }
    state.SetItemsProcessed(state.iterations() * pathCount);
}
BENCHMARK(BM_TransformToNetworkVolumePath)->Unit(benchmark::kMillisecond);

void BM_GioPathToURI(benchmark::State& state)
{
    for (auto _ : state) {
        for (const QByteArray& path : std::as_const(mounted->nativePaths)) {
            GFile* file = g_file_new_for_path(path.constData());
            char* uri = g_file_get_uri(file);
            benchmark::DoNotOptimize(uri);
            g_free(uri);
            g_object_unref(file);
        }
    }
    state.SetItemsProcessed(state.iterations() * pathCount);
}
BENCHMARK(BM_GioPathToURI)->Unit(benchmark::kMillisecond);

void BM_NetworkVolumeForShare(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(mounted->mounter.networkVolumeForShare(share));
}
BENCHMARK(BM_NetworkVolumeForShare)->Unit(benchmark::kMicrosecond);

QByteArray gioURI(const QByteArray& path)
{
    GFile* file = g_file_new_for_path(path.constData());
    char* uri = g_file_get_uri(file);
    const QByteArray result(uri);
    g_free(uri);
    g_object_unref(file);
    return result;
}

bool mountShare(MountedShare& target)
{
    if (!target.mounter.mountNetworkVolume(share, QStringLiteral("smb")))
        return false;
    const std::optional<QString> mountPoint = target.mounter.networkVolumeForShare(share);
    if (!mountPoint)
        return false;
    for (int i = 0; i < pathCount; ++i) {
        target.paths << QStringLiteral("%1/dir%2/file%3.doc").arg(*mountPoint).arg(i % 100).arg(i);
        target.nativePaths << QFile::encodeName(target.paths.last());
    }
    return true;
}

}

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    if (qEnvironmentVariableIsEmpty("KESTROVA_FILE_SERVER")) {
        std::fprintf(stderr,
            "volumes_bench: needs the file server; run it through "
            "tests/harness/with-file-server (as root)\n");
        return 77;
    }
    MountedShare fixture;
    if (!mountShare(fixture)) {
        std::fprintf(stderr, "volumes_bench: cannot mount //127.0.0.1/guest\n");
        return 2;
    }
    mounted = &fixture;
    std::fprintf(stderr, "mounter: %s\ngio:     %s\n",
        qPrintable(fixture.mounter.transformToNetworkVolumePath(fixture.paths.first())),
        gioURI(fixture.nativePaths.first()).constData());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
