#include "volumes/GuestServers.h"

#include "platform/SystemLog.h"
#include "preferences/PreferencesFile.h"
#include "preferences/PreferencesLock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>

namespace {

const QString serversKey = QStringLiteral("servers");

QJsonArray serversIn(const QString& file)
{
    return PreferencesFile::read(file).values.value(serversKey).toArray();
}

}

GuestServers::GuestServers(QString file)
    : m_file(std::move(file))
{
}

QString GuestServers::defaultFile()
{
    QString stateFolder = qEnvironmentVariable("XDG_STATE_HOME");
    if (!QDir::isAbsolutePath(stateFolder))
        stateFolder = QDir::homePath() + QStringLiteral("/.local/state");
    return stateFolder + QStringLiteral("/kestrova/guest-servers.json");
}

bool GuestServers::contains(const QString& server) const
{
    return serversIn(m_file).contains(server.toLower());
}

// Read again under the lock, so that a server another process added meanwhile stays.
void GuestServers::remember(const QString& server)
{
    const QString name = server.toLower();
    if (name.isEmpty() || !QDir().mkpath(QFileInfo(m_file).path()))
        return;
    const PreferencesLock lock(m_file + QStringLiteral(".lock"));
    if (!lock.isLocked())
        return;
    const PreferencesFile::Contents contents = PreferencesFile::read(m_file);
    if (contents.problem && !contents.problem->isCorrupt())
        return;
    QJsonArray servers = contents.values.value(serversKey).toArray();
    if (servers.contains(name))
        return;
    servers.append(name);
    QJsonObject values = contents.values;
    values.insert(serversKey, servers);
    if (const std::optional<QString> failure = PreferencesFile::writeAtomically(m_file, values))
        SystemLog::write(QStringLiteral("Mounter: cannot keep the guest choice: ") + *failure);
}

std::optional<QString> GuestServers::forgetAll()
{
    if (!QFileInfo::exists(m_file))
        return std::nullopt;
    const PreferencesLock lock(m_file + QStringLiteral(".lock"));
    if (!lock.isLocked())
        return QStringLiteral("%1 is locked by another process").arg(m_file);
    QFile file(m_file);
    if (!file.remove() && file.exists())
        return QStringLiteral("cannot remove %1: %2").arg(m_file, file.errorString());
    return std::nullopt;
}
