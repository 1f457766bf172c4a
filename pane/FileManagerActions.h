#pragma once

#include "platform/Result.h"

#include <QDBusConnection>
#include <QList>
#include <QString>
#include <QStringList>

// Kestrova's "Open Windows Link" and "Copy Windows Path" in the file managers installed
// on the machine. Nemo and Dolphin read the actions installed for every user; Nautilus
// (scripts) and Thunar (uca.xml) read them only from the user's own folders, where
// turnOn() puts them, keeping every action of the user's own.
class FileManagerActions {
public:
    enum class Manager { Nautilus, Nemo, Dolphin, Thunar };
    enum class State {
        Off, // can be turned on for this user
        On, // on for this user
        OnForEveryUser, // installed where the file manager reads it for everyone
        NotInstalled, // Kestrova's files for this file manager are missing
    };
    struct Status {
        Manager manager;
        State state;
    };
    struct Outcome {
        QStringList problems; // one sentence each, naming the file manager
        bool thunarNeedsRestart = false;
    };

    // The folders the XDG base directories name, and the program search path.
    struct Folders {
        QString configHome;
        QStringList configDirs;
        QString dataHome;
        QStringList dataDirs;
        QStringList executablePath;
        static Folders fromEnvironment();
    };

    // actionsFolder: Kestrova's share/kestrova/file-managers, which holds the Nautilus
    // scripts and thunar/uca.xml. The bus tells whether Thunar is running.
    FileManagerActions(Folders folders, QString actionsFolder, QDBusConnection bus);

    static QString name(Manager manager);
    // "On", "Off", ... as the settings window and the command show it.
    static QString stateText(State state);
    // Thunar reads its actions when it starts, and offers no way to reload them.
    static QString thunarRestartAdvice();
    // One status for each file manager installed, in the order of Manager.
    QList<Status> statuses() const;
    // Turns on the actions of every installed file manager that has them off.
    Outcome turnOn() const;

private:
    bool isInstalled(Manager manager) const;
    State state(Manager manager) const;
    State sharedState(const QString& dataFile) const;
    QString nautilusScripts() const;
    QString userThunarFile() const;
    bool nautilusOn() const;
    bool thunarOn() const;
    Result<void> turnOnNautilus() const;
    Result<void> turnOnThunar() const;
    Result<QByteArray> startingThunarFile() const;

    Folders m_folders;
    QString m_actionsFolder;
    QDBusConnection m_bus;
};
