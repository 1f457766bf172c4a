#pragma once

#include <QString>

#include <optional>

// The shared corpus of real files made by other programs. It lies beside the project, so a
// fresh clone has none: tests that need it call KESTROVA_REQUIRE_CORPUS and are skipped.
namespace Corpus {

// KESTROVA_CORPUS, else the folder the build was configured with; none when it is absent.
std::optional<QString> directory();

// A file or folder inside the corpus, such as "lnk/MANIFEST.tsv".
QString path(const QString& relativePath);

}

#define KESTROVA_REQUIRE_CORPUS()                                                                  \
    do {                                                                                           \
        if (!Corpus::directory())                                                                  \
            GTEST_SKIP() << "the shared corpus is absent (set KESTROVA_CORPUS to its folder)";     \
    } while (false)
