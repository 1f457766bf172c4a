#include "platform/SystemLog.h"
#include "shortcut/HVWindowsShortcut.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>

#include <benchmark/benchmark.h>

#include <libbfio.h>
#include <liblnk.h>

#include <string>
#include <vector>

// Reads every shortcut of the corpus and composes its target, with Kestrova's reader
// and, in the same run, with liblnk doing the same work (open, read the network or the
// local path as text, close). Rates are files per second over the whole corpus.
namespace {

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

void LiblnkFromDisk(benchmark::State& state)
{
    if (!corpusPresent(state))
        return;
    for (auto _ : state) {
        for (const CorpusFile& path : corpus()) {
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

}

BENCHMARK(KestrovaFromMemory)->Unit(benchmark::kMillisecond);
BENCHMARK(LiblnkFromMemory)->Unit(benchmark::kMillisecond);
BENCHMARK(KestrovaFromDisk)->Unit(benchmark::kMillisecond);
BENCHMARK(LiblnkFromDisk)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
