#include "cli/InfoCommand.h"
#include "platform/SystemLog.h"
#include "shortcut/HVWindowsShortcut.h"

#include <QFile>

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>

// Writes the input to a file and reads it as `kestrova info` does, through the file
// path (a first read, then the rest for a long file), in both reports. Whatever the
// file holds, the reading from the path finds what the reading from memory finds, and
// info reports every file that reads.
namespace {

const QString& inputPath()
{
    static const QString path = QStringLiteral("/tmp/fuzz_shortcut_info.%1.lnk").arg(::getpid());
    return path;
}

bool writeInput(const uint8_t* data, size_t size)
{
    QFile file(inputPath());
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        && file.write(reinterpret_cast<const char*>(data), qint64(size)) == qint64(size);
}

}

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/)
{
    SystemLog::setSink([](const QString&) {});
    // The reports are the output under test, not something to read.
    (void)std::freopen("/dev/null", "w", stdout);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (!writeInput(data, size))
        __builtin_trap();
    const auto fromFile = HVWindowsShortcut::initWithContentsOfFile(inputPath());
    const auto fromMemory = HVWindowsShortcut::initWithContentsOfData(
        QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (bool(fromFile) != bool(fromMemory)
        || (fromFile && fromFile->fullFilename() != fromMemory->fullFilename()))
        __builtin_trap();
    // An unreadable file makes info print one line to standard error; that costs the
    // fuzzer's log more than it tests.
    if (!fromFile)
        return 0;
    if (runInfoCommand({inputPath()}) != 0
        || runInfoCommand({QStringLiteral("--json"), inputPath()}) != 0)
        __builtin_trap();
    return 0;
}
