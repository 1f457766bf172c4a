#include "PreferencesTestFolder.h"

#include "preferences/KTPreferenceKeys.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>

#include <gtest/gtest.h>

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

}

PreferencesTestFolder::PreferencesTestFolder()
{
    EXPECT_TRUE(m_folder.isValid());
}

QString PreferencesTestFolder::systemBase(int number) const
{
    return root() + QStringLiteral("/system%1").arg(number);
}

PreferencesPaths PreferencesTestFolder::paths() const
{
    const QString name = QStringLiteral("/kestrova/") + KTBUNDLENAME + QStringLiteral(".json");
    return {configHome() + name, {systemBase(1) + name, systemBase(2) + name}};
}

void PreferencesTestFolder::writeUserFile(const QByteArray& bytes) const
{
    writeFile(paths().userFile, bytes);
}

void PreferencesTestFolder::writeSystemFile(const QByteArray& bytes, int number) const
{
    writeFile(paths().systemFiles.at(number - 1), bytes);
}

std::optional<QByteArray> PreferencesTestFolder::userFileBytes() const
{
    QFile file(userFile());
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

std::optional<QJsonObject> PreferencesTestFolder::userFileObject() const
{
    const std::optional<QByteArray> bytes = userFileBytes();
    if (!bytes)
        return std::nullopt;
    const QJsonDocument document = QJsonDocument::fromJson(*bytes);
    if (!document.isObject())
        return std::nullopt;
    return document.object();
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

QJsonObject jsonObject(const char* text)
{
    return QJsonDocument::fromJson(QByteArray(text)).object();
}
