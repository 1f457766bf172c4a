#include "filesvc/JLAlias.h"
#include "filesvc/JLCarbonUtilities.h"

namespace {

// Alias files can point at alias files; a chain longer than this is a loop.
constexpr int kMaxAliasChain = 16;

// The final target of the alias file at path; path itself when it is no alias file;
// none when the item is missing or an alias in the chain does not resolve.
std::optional<QString> finalTarget(const QString& path)
{
    if (!FSRef::fromPath(path))
        return std::nullopt;
    QString current = path;
    for (int hop = 0; hop < kMaxAliasChain; ++hop) {
        if (!JLCarbonUtilitiesFinderInfoFlags::isAliasFinderInfoFlag(current))
            return current;
        const std::unique_ptr<JLAlias> alias = JLAlias::initWithContentsOfFile(current);
        const std::optional<QString> next = alias ? alias->path() : std::nullopt;
        if (!next)
            return std::nullopt;
        current = *next;
    }
    return std::nullopt;
}

}

namespace JLCarbonUtilities {

QString resolveAliasFile(const QString& path)
{
    return finalTarget(path).value_or(path);
}

std::optional<QUrl> resolveAliasFile(const QUrl& url)
{
    if (!url.isLocalFile())
        return std::nullopt;
    const std::optional<QString> target = finalTarget(url.toLocalFile());
    if (!target)
        return std::nullopt;
    return *target == url.toLocalFile() ? url : QUrl::fromLocalFile(*target);
}

}
