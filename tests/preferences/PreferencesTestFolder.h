#pragma once

#include "preferences/PreferenceKeys.h"
#include "preferences/PreferencesPaths.h"
#include "support/Files.h"
#include "support/QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>
#include <string>

// A stand-in for the user's configuration folders (ROOT/config, then ROOT/system1 and
// ROOT/system2), so that a test's domain and its programs never see the real settings.
class PreferencesTestFolder {
public:
    QString root() const { return m_folder.path(); }
    QString configHome() const { return root() + QStringLiteral("/config"); }
    PreferencesPaths paths() const
    {
        const QString name = QStringLiteral("/kestrova/") + KTBUNDLENAME + QStringLiteral(".json");
        return {configHome() + name, {system(1) + name, system(2) + name}};
    }
    QString userFile() const { return paths().userFile; }
    void writeUserFile(const QByteArray& bytes) const { write(userFile(), bytes); }
    // number 1 is the more important system folder.
    void writeSystemFile(const QByteArray& bytes, int number = 1) const
    {
        write(paths().systemFiles.at(number - 1), bytes);
    }
    std::optional<QByteArray> userFileBytes() const
    {
        QFile file(userFile());
        return file.open(QIODevice::ReadOnly) ? std::optional(file.readAll()) : std::nullopt;
    }
    // The user's file as compact JSON; "unreadable" when it is missing or no JSON.
    std::string userFileJson() const
    {
        const QJsonDocument document = QJsonDocument::fromJson(userFileBytes().value_or(""));
        return document.isNull() ? "unreadable"
                                 : document.toJson(QJsonDocument::Compact).toStdString();
    }
    QStringList userFolderEntries() const
    {
        return QDir(QFileInfo(userFile()).path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }
    // The given environment pointed at these folders; no session bus unless the base names one.
    QProcessEnvironment environment(QProcessEnvironment base = withoutBus()) const
    {
        base.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome());
        base.insert(QStringLiteral("XDG_CONFIG_DIRS"), system(1) + u':' + system(2));
        return base;
    }
    static QProcessEnvironment withoutBus()
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
            QStringLiteral("unix:path=/nonexistent/kestrova-test-bus"));
        return environment;
    }

private:
    QString system(int number) const { return root() + QStringLiteral("/system%1").arg(number); }
    static void write(const QString& path, const QByteArray& bytes)
    {
        QDir().mkpath(QFileInfo(path).path());
        writeFile(path, bytes);
    }

    QTemporaryDir m_folder;
};

// JSON text that a test wrote itself, in the compact form userFileJson() gives.
inline std::string json(const char* text)
{
    return QJsonDocument::fromJson(text).toJson(QJsonDocument::Compact).toStdString();
}
