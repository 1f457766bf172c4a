#include "PreferencesTestFolder.h"

#include "preferences/KTPreferenceKeys.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>

#include <gtest/gtest.h>

PreferencesPaths PreferencesTestFolder::paths() const
{
    const QString name = QStringLiteral("/kestrova/") + KTBUNDLENAME + QStringLiteral(".json");
    return {configHome() + name, {systemBase(1) + name, systemBase(2) + name}};
}

void PreferencesTestFolder::write(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

std::optional<QByteArray> PreferencesTestFolder::userFileBytes() const
{
    QFile file(userFile());
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

std::string PreferencesTestFolder::userFileJson() const
{
    const QJsonDocument document = QJsonDocument::fromJson(userFileBytes().value_or(""));
    return document.isNull() ? "unreadable" : document.toJson(QJsonDocument::Compact).toStdString();
}

QStringList PreferencesTestFolder::userFolderEntries() const
{
    return QDir(QFileInfo(userFile()).path())
        .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

QProcessEnvironment PreferencesTestFolder::environment(QProcessEnvironment base) const
{
    base.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome());
    base.insert(
        QStringLiteral("XDG_CONFIG_DIRS"), systemBase(1) + QLatin1Char(':') + systemBase(2));
    return base;
}

QProcessEnvironment PreferencesTestFolder::withoutBus()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
        QStringLiteral("unix:path=/nonexistent/kestrova-test-bus"));
    return environment;
}

std::string json(const char* text)
{
    return QJsonDocument::fromJson(text).toJson(QJsonDocument::Compact).toStdString();
}
