#include "preferences/PreferencesPaths.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QString folderName = QStringLiteral("kestrova");

// The XDG rules ignore relative paths in these variables, as if they were unset.
bool isUsableBase(const QString& folder)
{
    return !folder.isEmpty() && QDir::isAbsolutePath(folder);
}

QString userConfigFolder()
{
    QString configured = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (isUsableBase(configured))
        return configured;
    return QDir::homePath() + QStringLiteral("/.config");
}

QStringList systemConfigFolders()
{
    QStringList folders;
    const QStringList configured =
        qEnvironmentVariable("XDG_CONFIG_DIRS").split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const QString& folder : configured) {
        if (isUsableBase(folder))
            folders << folder;
    }
    if (folders.isEmpty())
        folders << QStringLiteral("/etc/xdg");
    return folders;
}

QString domainFile(const QString& base, const QString& domain)
{
    return QDir::cleanPath(
        base + QLatin1Char('/') + folderName + QLatin1Char('/') + domain + QStringLiteral(".json"));
}

}

PreferencesPaths PreferencesPaths::forDomain(const QString& domain)
{
    PreferencesPaths paths;
    paths.userFile = domainFile(userConfigFolder(), domain);
    for (const QString& folder : systemConfigFolders())
        paths.systemFiles << domainFile(folder, domain);
    return paths;
}

QString PreferencesPaths::corruptFile(const QDateTime& movedAt, int number) const
{
    // Sortable, and free of the colons some file systems refuse.
    QString name = userFile + QStringLiteral(".corrupt-")
        + movedAt.toUTC().toString(QStringLiteral("yyyyMMdd'T'HHmmss.zzz'Z'"));
    if (number > 0)
        name += QLatin1Char('-') + QString::number(number);
    return name;
}
