#include "preferences/PreferencesDomain.h"

#include "platform/SystemLog.h"
#include "preferences/PreferencesFile.h"
#include "preferences/PreferencesLock.h"

#include <QFile>
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
    if (::mkdir(QFile::encodeName(path).constData(), 0700) != 0) {
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
    m_userValues = readUserFile();
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
        m_userValues = readUserFile();
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
    reportProblem(userFile, onDisk.problem);
    m_userValues = onDisk.values;
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
    const QByteArray from = QFile::encodeName(m_paths.userFile);
    const QByteArray to = QFile::encodeName(m_paths.corruptFile());
    if (std::rename(from.constData(), to.constData()) != 0) {
        const int error = errno;
        if (error != ENOENT) {
            return {QStringLiteral("cannot move the unreadable %1 aside: %2")
                        .arg(m_paths.userFile, systemError(error))};
        }
    }
    SystemLog::write(
        QStringLiteral("Kept the unreadable preferences file as %1").arg(m_paths.corruptFile()));
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

QJsonObject PreferencesDomain::readUserFile()
{
    PreferencesFile::Contents contents = PreferencesFile::read(m_paths.userFile);
    reportProblem(m_paths.userFile, contents.problem);
    return contents.values;
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

void PreferencesDomain::reportProblem(const QString& path, const std::optional<QString>& problem)
{
    if (!problem) {
        m_reportedProblems.remove(path);
        return;
    }
    if (m_reportedProblems.value(path) == *problem)
        return;
    m_reportedProblems.insert(path, *problem);
    const QString consequence = path == m_paths.userFile
        ? QStringLiteral("it reads as empty and is kept as %1 when settings are next saved")
              .arg(m_paths.corruptFile())
        : QStringLiteral("it is ignored");
    SystemLog::write(QStringLiteral("Preferences file %1 %2; %3").arg(path, *problem, consequence));
}
