#include "preferences/PreferencesDomain.h"

#include "platform/FileNames.h"
#include "platform/SystemLog.h"
#include "preferences/PreferencesLock.h"

#include <QDateTime>
#include <QFileInfo>

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// Creates a folder and its missing parents with mode 0700, as the XDG base directory
// rules ask for folders made to hold a user's configuration.
std::optional<QString> createFolder(const QString& path)
{
    if (QFileInfo(path).isDir())
        return std::nullopt;
    const QString parent = QFileInfo(path).path();
    if (parent != path) {
        if (std::optional<QString> failure = createFolder(parent))
            return failure;
    }
    if (::mkdir(FileNames::encode(path).constData(), 0700) != 0) {
        const int error = errno;
        if (error != EEXIST)
            return QStringLiteral("cannot create the folder %1: %2").arg(path, systemError(error));
    }
    if (!QFileInfo(path).isDir())
        return QStringLiteral("cannot create the folder %1: a file of that name exists").arg(path);
    return std::nullopt;
}

}

PreferencesDomain::PreferencesDomain(PreferencesPaths paths)
    : m_paths(std::move(paths))
{
    readUserFile();
    readSystemLayer();
}

PreferencesDomain::Found PreferencesDomain::findInSystemLayer(const QString& key) const
{
    const auto system = m_systemValues.constFind(key);
    if (system == m_systemValues.constEnd())
        return {};
    return {Source::System, *system};
}

PreferencesDomain::Found PreferencesDomain::findStored(const QString& key) const
{
    if (const auto user = m_userValues.constFind(key); user != m_userValues.constEnd())
        return {Source::User, *user};
    return findInSystemLayer(key);
}

std::optional<QJsonValue> PreferencesDomain::valueOf(const Found& found)
{
    if (found.source == Source::None)
        return std::nullopt;
    return found.value;
}

PreferencesDomain::Found PreferencesDomain::find(const QString& key) const
{
    const auto pending = m_pending.constFind(key);
    if (pending == m_pending.constEnd())
        return findStored(key);
    const std::optional<QJsonValue> changed = (*pending)(valueOf(findStored(key)));
    // A pending removal uncovers the system layer, as the removal will once written.
    if (!changed)
        return findInSystemLayer(key);
    return {Source::User, *changed};
}

std::optional<QJsonValue> PreferencesDomain::value(const QString& key) const
{
    return valueOf(find(key));
}

PreferencesDomain::Source PreferencesDomain::source(const QString& key) const
{
    return find(key).source;
}

void PreferencesDomain::setValue(const QString& key, const std::optional<QJsonValue>& value)
{
    m_pending.insert(key, [value](const std::optional<QJsonValue>&) { return value; });
}

void PreferencesDomain::modifyValue(const QString& key, const Modification& modification)
{
    m_pending.insert(key, modification);
}

SynchronizeResult PreferencesDomain::synchronize()
{
    SynchronizeResult result;
    if (hasPendingChanges())
        result = writePendingChanges();
    else
        readUserFile();
    readSystemLayer();
    if (result.failure) {
        SystemLog::write(QStringLiteral("Preferences not saved: %1; the changes are kept for the "
                                        "next synchronisation")
                             .arg(*result.failure));
    }
    return result;
}

SynchronizeResult PreferencesDomain::writePendingChanges()
{
    const QString& userFile = m_paths.userFile;
    if (std::optional<QString> failure = createFolder(QFileInfo(userFile).absolutePath()))
        return {failure};
    const PreferencesLock lock(m_paths.lockFile());
    if (!lock.isLocked())
        return {lock.failure()};

    PreferencesFile::removeLeftoverTemporaries(userFile);
    const PreferencesFile::Contents onDisk = PreferencesFile::read(userFile);
    takeUserFile(onDisk);
    // Writing over a file that could not be read would lose whatever it holds.
    if (onDisk.problem && !onDisk.problem->isCorrupt())
        return {QStringLiteral("%1 %2").arg(userFile, onDisk.problem->reason)};
    if (onDisk.problem) {
        if (SynchronizeResult moved = moveCorruptFileAside(); !moved.succeeded())
            return moved;
    }
    const QJsonObject merged = withPendingChanges(onDisk.values);
    if (std::optional<QString> failure = PreferencesFile::writeAtomically(userFile, merged))
        return {failure};
    // The lock is still held, so what was just written is what is on disk: it needs no
    // second reading.
    m_userValues = merged;
    m_pending.clear();
    return {};
}

SynchronizeResult PreferencesDomain::moveCorruptFileAside()
{
    // The lock is held, so no other writer can take the name between the check and the
    // rename.
    const QDateTime now = QDateTime::currentDateTimeUtc();
    QString kept = m_paths.corruptFile(now);
    for (int number = 1; QFileInfo(kept).exists() || QFileInfo(kept).isSymLink(); ++number)
        kept = m_paths.corruptFile(now, number);
    const QByteArray from = FileNames::encode(m_paths.userFile);
    if (std::rename(from.constData(), FileNames::encode(kept).constData()) != 0) {
        const int error = errno;
        if (error != ENOENT) {
            return {QStringLiteral("cannot move the corrupt %1 aside: %2")
                        .arg(m_paths.userFile, systemError(error))};
        }
    }
    SystemLog::write(QStringLiteral("Kept the corrupt preferences file as %1").arg(kept));
    m_reportedProblems.remove(m_paths.userFile);
    return {};
}

QJsonObject PreferencesDomain::withPendingChanges(QJsonObject values) const
{
    for (auto change = m_pending.constBegin(); change != m_pending.constEnd(); ++change) {
        const auto onDisk = values.constFind(change.key());
        const std::optional<QJsonValue> stored = onDisk != values.constEnd()
            ? std::optional<QJsonValue>(*onDisk)
            : valueOf(findInSystemLayer(change.key()));
        if (const std::optional<QJsonValue> changed = (*change)(stored))
            values.insert(change.key(), *changed);
        else
            values.remove(change.key());
    }
    return values;
}

void PreferencesDomain::readUserFile()
{
    takeUserFile(PreferencesFile::read(m_paths.userFile));
}

void PreferencesDomain::takeUserFile(const PreferencesFile::Contents& contents)
{
    reportProblem(m_paths.userFile, contents.problem);
    m_userFileProblem = contents.problem;
    // A file that cannot be read now may still hold good values: those read before
    // stay until it can be read again.
    if (!contents.problem || contents.problem->isCorrupt())
        m_userValues = contents.values;
}

void PreferencesDomain::readSystemLayer()
{
    m_systemValues = {};
    // Least important first, so that a more important file's keys replace its values.
    for (auto path = m_paths.systemFiles.crbegin(); path != m_paths.systemFiles.crend(); ++path) {
        const PreferencesFile::Contents contents = PreferencesFile::read(*path);
        reportProblem(*path, contents.problem);
        for (auto value = contents.values.constBegin(); value != contents.values.constEnd();
             ++value)
            m_systemValues.insert(value.key(), *value);
    }
}

void PreferencesDomain::reportProblem(
    const QString& path, const std::optional<PreferencesFile::Problem>& problem)
{
    if (!problem) {
        m_reportedProblems.remove(path);
        return;
    }
    if (m_reportedProblems.value(path) == problem->reason)
        return;
    m_reportedProblems.insert(path, problem->reason);
    QString consequence = QStringLiteral("it is ignored");
    if (path == m_paths.userFile && problem->isCorrupt())
        consequence = QStringLiteral("it reads as empty and is kept beside it, under a name "
                                     "holding the time, when settings are next saved");
    else if (path == m_paths.userFile)
        consequence = QStringLiteral("it is left as it is, and settings are not saved until it "
                                     "can be read");
    SystemLog::write(
        QStringLiteral("Preferences file %1 %2; %3").arg(path, problem->reason, consequence));
}
