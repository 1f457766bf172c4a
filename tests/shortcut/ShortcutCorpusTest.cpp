#include "shortcut/HVWindowsShortcut.h"
#include "support/Corpus.h"
#include "support/LogCapture.h"
#include "support/ProgramRun.h"
#include "support/QtPrinters.h"

#include <QDir>
#include <QDirIterator>
#include <QStandardPaths>

#include <gtest/gtest.h>

namespace {

// Every file of the corpus folder lnk/ but its manifest and read-me.
QStringList corpusFiles()
{
    const QDir folder(Corpus::path(QStringLiteral("lnk")));
    QStringList files;
    QDirIterator iterator(folder.path(), QDir::Files, QDirIterator::Subdirectories);
    while (iterator.hasNext()) {
        const QString relative = folder.relativeFilePath(iterator.next());
        if (relative != QLatin1String("MANIFEST.tsv") && relative != QLatin1String("README.md"))
            files << relative;
    }
    files.sort();
    return files;
}

struct LnkinfoTarget {
    int exitCode = 0;
    std::optional<QString> localPath;
    std::optional<QString> networkPath;
};

LnkinfoTarget runLnkinfo(const QString& path)
{
    const ProgramRun run = runProgram(QStringLiteral("lnkinfo"), {path});
    LnkinfoTarget target;
    target.exitCode = run.exitCode;
    const QStringList lines = run.output.split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        const QString field = line.trimmed();
        const qsizetype separator = line.indexOf(QLatin1String(": "));
        if (separator < 0)
            continue;
        if (field.startsWith(QLatin1String("Local path")))
            target.localPath = line.sliced(separator + 2);
        else if (field.startsWith(QLatin1String("Network path")))
            target.networkPath = line.sliced(separator + 2);
    }
    return target;
}

enum class Reason {
    // The reader reads 8-bit strings as Latin-1 and only re-reads them in another code
    // page when an environment block says which; lnkinfo reads them in code page 1252.
    // The texts then differ only where ours holds a C1 control character (0x80-0x9F).
    Latin1WithoutEnvironmentBlock,
    // lnkinfo refuses the file; our reader keeps the target of a whole LinkInfo.
    LnkinfoRefusesFile,
};

struct AllowedDifference {
    const char* file;
    Reason reason;
    const char* why;
};

const AllowedDifference allowedDifferences[] = {
    {"lnkparse3/network_info.lnk", Reason::Latin1WithoutEnvironmentBlock,
        "path byte 0x8E reads as U+008E; lnkinfo's code page 1252 gives Ž"},
    {"lnkparse3/decoding_error4.lnk", Reason::Latin1WithoutEnvironmentBlock,
        "path byte 0x90 reads as U+0090; code page 1252 leaves it undefined and lnkinfo prints "
        "U+FFFD"},
    {"lnkparse3/extra_data.lnk", Reason::LnkinfoRefusesFile,
        "its extra data is cut short, after a whole LinkInfo with a local path"},
};

const AllowedDifference* allowedDifference(const QString& file)
{
    for (const AllowedDifference& difference : allowedDifferences) {
        if (file == QLatin1String(difference.file))
            return &difference;
    }
    return nullptr;
}

bool differsOnlyInC1Controls(const QString& ours, const QString& theirs)
{
    if (ours.size() != theirs.size() || ours == theirs)
        return false;
    for (qsizetype index = 0; index < ours.size(); ++index) {
        const bool control = ours[index].unicode() >= 0x80 && ours[index].unicode() <= 0x9F;
        if (ours[index] != theirs[index] && !control)
            return false;
    }
    return true;
}

// What lnkinfo (Debian liblnk-utils) makes of the file, when it is installed.
bool agreesWithLnkinfo(const QString& file, const HVWindowsShortcut* shortcut)
{
    const LnkinfoTarget theirs = runLnkinfo(Corpus::path(QStringLiteral("lnk/") + file));
    std::optional<QString> ours = shortcut ? shortcut->fullFilename() : std::nullopt;
    std::optional<QString> expected = theirs.localPath;
    if (theirs.networkPath) {
        ours = shortcut ? shortcut->composedLinkName(false) : std::nullopt;
        expected = QString(*theirs.networkPath).replace(QLatin1Char('\\'), QLatin1Char('/'));
    }
    if (ours == expected)
        return true;
    const AllowedDifference* allowed = allowedDifference(file);
    EXPECT_TRUE(allowed) << qPrintable(file) << ": ours "
                         << qPrintable(ours.value_or(QStringLiteral("(none)"))) << ", lnkinfo "
                         << qPrintable(expected.value_or(QStringLiteral("(none)")));
    if (allowed && allowed->reason == Reason::Latin1WithoutEnvironmentBlock) {
        EXPECT_TRUE(shortcut && ours && expected) << qPrintable(file);
        EXPECT_FALSE(shortcut && shortcut->provenance().environmentTarget) << qPrintable(file);
        EXPECT_TRUE(ours && expected && differsOnlyInC1Controls(*ours, *expected));
    } else if (allowed) {
        EXPECT_NE(theirs.exitCode, 0) << qPrintable(file);
        EXPECT_TRUE(ours) << qPrintable(file);
    }
    return false;
}

}

TEST(ShortcutCorpus, EveryFileIsReadOrRefusedAndTargetsAgreeWithLnkinfo)
{
    KESTROVA_REQUIRE_CORPUS();
    const bool lnkinfo = !QStandardPaths::findExecutable(QStringLiteral("lnkinfo")).isEmpty();
    const QStringList files = corpusFiles();
    ASSERT_EQ(files.size(), 1045);
    LogCapture log;
    int readCount = 0;
    QStringList explained;
    for (const QString& file : files) {
        const auto shortcut =
            HVWindowsShortcut::initWithContentsOfFile(Corpus::path(QStringLiteral("lnk/") + file));
        if (shortcut) {
            ++readCount;
            (void)shortcut->networkShare(true);
            (void)shortcut->filename();
        }
        if (lnkinfo && !agreesWithLnkinfo(file, shortcut.get()))
            explained << file;
    }
    EXPECT_EQ(readCount, 549);
    if (!lnkinfo)
        GTEST_SKIP() << "lnkinfo (Debian liblnk-utils) is not installed";
    EXPECT_EQ(explained.size(), qsizetype(std::size(allowedDifferences)))
        << qPrintable(explained.join(QLatin1Char(' ')));
}
