#pragma once

#include "QtPrinters.h"
#include "preferences/PreferencesPaths.h"

#include <QJsonObject>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <optional>

// A temporary stand-in for the user's configuration folders: XDG_CONFIG_HOME is
// ROOT/config and XDG_CONFIG_DIRS is ROOT/system1:ROOT/system2, so a test's domain and
// the programs it starts never see the user's real settings.
class PreferencesTestFolder {
public:
    PreferencesTestFolder();

    QString root() const { return m_folder.path(); }
    QString configHome() const { return root() + QStringLiteral("/config"); }
    QString systemBase(int number) const;

    PreferencesPaths paths() const;
    QString userFile() const { return paths().userFile; }

    void writeUserFile(const QByteArray& bytes) const;
    // number 1 is the more important system folder.
    void writeSystemFile(const QByteArray& bytes, int number = 1) const;
    std::optional<QByteArray> userFileBytes() const;
    // The user's file as a JSON object, or none when it is missing or no object.
    std::optional<QJsonObject> userFileObject() const;
    // The names in the folder of the user's file.
    QStringList userFolderEntries() const;

    // The given environment pointed at these folders.
    QProcessEnvironment environment(
        QProcessEnvironment base = QProcessEnvironment::systemEnvironment()) const;

private:
    QTemporaryDir m_folder;
};

// Parses JSON text that a test wrote itself.
QJsonObject jsonObject(const char* text);
