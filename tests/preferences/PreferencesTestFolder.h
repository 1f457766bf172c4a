#pragma once

#include "preferences/PreferencesPaths.h"
#include "support/QtPrinters.h"

#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <optional>
#include <string>

// A temporary stand-in for the user's configuration folders: XDG_CONFIG_HOME is
// ROOT/config and XDG_CONFIG_DIRS is ROOT/system1:ROOT/system2, so a test's domain and
// the programs it starts never see the user's real settings.
class PreferencesTestFolder {
public:
    QString root() const { return m_folder.path(); }
    QString configHome() const { return root() + QStringLiteral("/config"); }
    QString systemBase(int number) const
    {
        return root() + QStringLiteral("/system%1").arg(number);
    }
    PreferencesPaths paths() const;
    QString userFile() const { return paths().userFile; }

    void writeUserFile(const QByteArray& bytes) const { write(userFile(), bytes); }
    // number 1 is the more important system folder.
    void writeSystemFile(const QByteArray& bytes, int number = 1) const
    {
        write(paths().systemFiles.at(number - 1), bytes);
    }
    std::optional<QByteArray> userFileBytes() const;
    // The user's file as compact JSON; "unreadable" when it is missing or no JSON.
    std::string userFileJson() const;
    // The names in the folder of the user's file.
    QStringList userFolderEntries() const;

    // The given environment pointed at these folders, with no session bus unless the
    // base names one.
    QProcessEnvironment environment(QProcessEnvironment base = withoutBus()) const;
    static QProcessEnvironment withoutBus();

private:
    static void write(const QString& path, const QByteArray& bytes);

    QTemporaryDir m_folder;
};

// JSON text that a test wrote itself, in the compact form userFileJson() gives.
std::string json(const char* text);
