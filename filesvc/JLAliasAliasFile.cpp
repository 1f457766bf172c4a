// Reading alias files; writing them is in JLAliasAliasFileWriting.cpp, apart, so that a
// program that only reads them (the light `kestrova` front) links no icon rendering and
// so loads no Qt GUI library.
#include "filesvc/AliasFile.h"
#include "filesvc/JLAlias.h"
#include "filesvc/JLResourceFork.h"

using namespace AliasFileCodes;

std::unique_ptr<JLAlias> JLAlias::initWithContentsOfFile(const QString& path)
{
    const std::unique_ptr<JLResourceFork> fork = JLResourceFork::initForReadingAtPath(path);
    if (!fork)
        return nullptr;
    const std::optional<QByteArray> record = fork->dataForType(kAliasResourceType, aliasRecordId);
    (void)fork->closeFile();
    return record ? initWithData(*record) : nullptr;
}

std::unique_ptr<JLAlias> JLAlias::initWithContentsOfURL(const QUrl& url)
{
    const std::unique_ptr<JLResourceFork> fork = JLResourceFork::initForReadingAtURL(url);
    if (!fork)
        return nullptr;
    const std::optional<QByteArray> record = fork->dataForType(kAliasResourceType, aliasRecordId);
    (void)fork->closeFile();
    return record ? initWithData(*record) : nullptr;
}
