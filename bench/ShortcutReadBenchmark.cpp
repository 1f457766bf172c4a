#include "platform/SystemLog.h"
#include "shortcut/HVWindowsShortcut.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <libbfio.h>
#include <liblnk.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

// Reads every shortcut of the corpus and composes its target, with Kestrova's reader
// and, in the same run, with liblnk doing the same work (open, read the network or the
// local path as text, close). Rates are files per second over the whole corpus.
//
// `kestrova info`, text and JSON, runs as a person runs it over many files: one process
// given the corpus ten times over, its output to /dev/null. Liblnk10x reads the same ten
// passes in one process, for the rate to compare with.
//
// Beside the corpus, a crafted shortcut of the kind that costs a reader most for its
// size (see craftedSlowShortcut), read at sizes up to the reader's limit; its counter
// s_per_MiB is the time the reader takes for each MiB of it.
namespace {

void appendUInt32(QByteArray& bytes, quint32 value)
{
    for (int shift = 0; shift < 32; shift += 8)
        bytes.append(char((value >> shift) & 0xFF));
}

// About `size` bytes: a local path of half of them, non-ASCII bytes that most code pages
// define, then environment blocks filling the other half, whose target does not end in
// the path. A reader that repairs the path's encoding anew for each block, decoding the
// whole path in every code page, takes time in the square of the size.
QByteArray craftedSlowShortcut(qsizetype size)
{
    constexpr quint32 kHasLinkInfo = 0x2;
    constexpr quint32 kLinkInfoHeaderSize = 0x1C;
    constexpr quint32 kEnvironmentBlockSize = 788;
    const qsizetype pathSize = size / 2;
    QByteArray bytes;
    appendUInt32(bytes, 76);
    bytes.append(16, '\0'); // LinkCLSID, not interpreted
    appendUInt32(bytes, kHasLinkInfo);
    bytes.append(76 - bytes.size(), '\0');
    for (const quint32 field : {quint32(kLinkInfoHeaderSize + pathSize + 1), kLinkInfoHeaderSize,
             1u /* VolumeIDAndLocalBasePath */, 0u, kLinkInfoHeaderSize, 0u, 0u})
        appendUInt32(bytes, field);
    bytes.append(pathSize, '\xE9').append('\0');
    const QString target = QStringLiteral("C:\\Users\\%USERNAME%\\elsewhere.txt");
    while (bytes.size() + kEnvironmentBlockSize < size) {
        appendUInt32(bytes, kEnvironmentBlockSize);
        appendUInt32(bytes, 0xA0000001);
        bytes.append(260, '\0');
        QByteArray unicode(520, '\0');
        for (qsizetype unit = 0; unit < target.size(); ++unit)
            unicode[2 * unit] = char(target[unit].unicode());
        bytes.append(unicode);
    }
    appendUInt32(bytes, 0);
    return bytes;
}

struct CorpusFile {
    std::string path;
    QString qtPath;
    QByteArray bytes;
};

const std::vector<CorpusFile>& corpus()
{
    static const std::vector<CorpusFile> files = [] {
        std::vector<CorpusFile> found;
        QString folder =
            qEnvironmentVariable("KESTROVA_CORPUS", QStringLiteral(KESTROVA_CORPUS_DIR));
        QDirIterator iterator(
            folder + QStringLiteral("/lnk"), QDir::Files, QDirIterator::Subdirectories);
        while (iterator.hasNext()) {
            const QString path = iterator.next();
            if (path.endsWith(QLatin1String("MANIFEST.tsv"))
                || path.endsWith(QLatin1String("README.md")))
                continue;
            QFile file(path);
            if (file.open(QIODevice::ReadOnly))
                found.push_back({path.toStdString(), path, file.readAll()});
        }
        return found;
    }();
    return files;
}

bool corpusPresent(benchmark::State& state)
{
    if (!corpus().empty())
        return true;
    state.SkipWithError("the shared corpus is absent (set KESTROVA_CORPUS to its folder)");
    return false;
}

void quietLog()
{
    static const bool quiet = [] {
        SystemLog::setSink([](const QString&) {});
        return true;
    }();
    (void)quiet;
}

void composeTarget(const HVWindowsShortcut* shortcut)
{
    if (shortcut)
        benchmark::DoNotOptimize(shortcut->composedLinkName(false));
}

void KestrovaFromMemory(benchmark::State& state)
{
    quietLog();
    if (!corpusPresent(state))
        return;
    for (auto _ : state) {
        for (const CorpusFile& file : corpus())
            composeTarget(HVWindowsShortcut::initWithContentsOfData(file.bytes).get());
    }
    state.SetItemsProcessed(state.iterations() * qint64(corpus().size()));
}

void KestrovaFromDisk(benchmark::State& state)
{
    quietLog();
    if (!corpusPresent(state))
        return;
    for (auto _ : state) {
        for (const CorpusFile& file : corpus())
            composeTarget(HVWindowsShortcut::initWithContentsOfFile(file.qtPath).get());
    }
    state.SetItemsProcessed(state.iterations() * qint64(corpus().size()));
}

void KestrovaCraftedSlowFile(benchmark::State& state)
{
    quietLog();
    const QByteArray file = craftedSlowShortcut(qsizetype(state.range(0)));
    for (auto _ : state)
        composeTarget(HVWindowsShortcut::initWithContentsOfData(file).get());
    constexpr double kMiB = 1024.0 * 1024.0;
    state.counters["s_per_MiB"] = benchmark::Counter(double(file.size()) / kMiB,
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// The target liblnk reads: the network path when there is one, else the local path.
void readLiblnkTarget(liblnk_file_t* file)
{
    liblnk_error_t* error = nullptr;
    size_t size = 0;
    std::vector<uint8_t> text;
    if (liblnk_file_get_utf8_network_path_size(file, &size, &error) == 1 && size > 0) {
        text.resize(size);
        liblnk_file_get_utf8_network_path(file, text.data(), size, &error);
    } else if (liblnk_file_get_utf8_local_path_size(file, &size, &error) == 1 && size > 0) {
        text.resize(size);
        liblnk_file_get_utf8_local_path(file, text.data(), size, &error);
    }
    benchmark::DoNotOptimize(text.data());
    if (error)
        liblnk_error_free(&error);
}

void readWithLiblnk(const CorpusFile& path)
{
    liblnk_file_t* file = nullptr;
    liblnk_error_t* error = nullptr;
    liblnk_file_initialize(&file, &error);
    if (liblnk_file_open(file, path.path.c_str(), LIBLNK_OPEN_READ, &error) == 1) {
        readLiblnkTarget(file);
        liblnk_file_close(file, &error);
    }
    liblnk_file_free(&file, &error);
    if (error)
        liblnk_error_free(&error);
}

void LiblnkFromDisk(benchmark::State& state)
{
    if (!corpusPresent(state))
        return;
    for (auto _ : state) {
        for (const CorpusFile& path : corpus())
            readWithLiblnk(path);
    }
    state.SetItemsProcessed(state.iterations() * qint64(corpus().size()));
}

void LiblnkFromMemory(benchmark::State& state)
{
    if (!corpusPresent(state))
        return;
    for (auto _ : state) {
        for (const CorpusFile& bytes : corpus()) {
            libbfio_handle_t* range = nullptr;
            liblnk_file_t* file = nullptr;
            liblnk_error_t* error = nullptr;
            libbfio_memory_range_initialize(&range, nullptr);
            // liblnk only reads the range; libbfio's interface is not const.
            libbfio_memory_range_set(range,
                reinterpret_cast<uint8_t*>(const_cast<char*>(bytes.bytes.constData())),
                size_t(bytes.bytes.size()), nullptr);
            liblnk_file_initialize(&file, &error);
            if (liblnk_file_open_file_io_handle(file, range, LIBLNK_OPEN_READ, &error) == 1) {
                readLiblnkTarget(file);
                liblnk_file_close(file, &error);
            }
            liblnk_file_free(&file, &error);
            libbfio_handle_free(&range, nullptr);
            if (error)
                liblnk_error_free(&error);
        }
    }
    state.SetItemsProcessed(state.iterations() * qint64(corpus().size()));
}

constexpr int kInfoPasses = 10;

// Runs `kestrova info [--json]` over the corpus kInfoPasses times and gives the processor
// time the run took in seconds (the other benchmarks count processor time too, and it
// does not change with the load others put on the machine), or -1 when it did not run
// to its end.
double runInfo(bool json)
{
    std::vector<char*> arguments {const_cast<char*>(KESTROVA_BINARY), const_cast<char*>("info")};
    if (json)
        arguments.push_back(const_cast<char*>("--json"));
    for (int pass = 0; pass < kInfoPasses; ++pass) {
        for (const CorpusFile& file : corpus())
            arguments.push_back(const_cast<char*>(file.path.c_str()));
    }
    arguments.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    const int spawned =
        posix_spawn(&child, KESTROVA_BINARY, &actions, nullptr, arguments.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    rusage usage {};
    // The corpus holds files that are no shortcut, so info ends with 2.
    if (spawned != 0 || ::wait4(child, &status, 0, &usage) != child || !WIFEXITED(status)
        || WEXITSTATUS(status) > 2)
        return -1;
    const auto seconds = [](const timeval& time) {
        return double(time.tv_sec) + double(time.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void KestrovaInfo(benchmark::State& state)
{
    if (!corpusPresent(state))
        return;
    for (auto _ : state) {
        const double seconds = runInfo(state.range(0) == 1);
        if (seconds < 0) {
            state.SkipWithError("kestrova info did not run to its end");
            return;
        }
        state.SetIterationTime(seconds);
    }
    state.SetItemsProcessed(state.iterations() * kInfoPasses * qint64(corpus().size()));
}

void Liblnk10x(benchmark::State& state)
{
    if (!corpusPresent(state))
        return;
    for (auto _ : state) {
        for (int pass = 0; pass < kInfoPasses; ++pass) {
            for (const CorpusFile& path : corpus())
                readWithLiblnk(path);
        }
    }
    state.SetItemsProcessed(state.iterations() * kInfoPasses * qint64(corpus().size()));
}

}

BENCHMARK(KestrovaFromMemory)->Unit(benchmark::kMillisecond);
BENCHMARK(LiblnkFromMemory)->Unit(benchmark::kMillisecond);
BENCHMARK(KestrovaFromDisk)->Unit(benchmark::kMillisecond);
BENCHMARK(LiblnkFromDisk)->Unit(benchmark::kMillisecond);
// Whole runs of the program: 0 text, 1 JSON.
BENCHMARK(KestrovaInfo)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->ArgName("json")
    ->Arg(0)
    ->Arg(1);
BENCHMARK(Liblnk10x)->Unit(benchmark::kMillisecond);
// Up to just under the reader's size limit.
BENCHMARK(KestrovaCraftedSlowFile)
    ->Unit(benchmark::kMillisecond)
    ->Arg(64 << 10)
    ->Arg(256 << 10)
    ->Arg(2 << 20)
    ->Arg(HVWindowsShortcut::kMaxFileSize - 1024);

BENCHMARK_MAIN();
