#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

// Where a preferences domain lives: the user's own file, which the store writes, and
// the read-only files of the system layer beneath it, most important first.
struct PreferencesPaths {
    QString userFile;
    QStringList systemFiles;

    // The files of a domain for the current user, by the XDG base directory rules:
    // $XDG_CONFIG_HOME/kestrova/DOMAIN.json (~/.config when unset) and
    // DIR/kestrova/DOMAIN.json for each DIR of $XDG_CONFIG_DIRS (/etc/xdg when unset).
    static PreferencesPaths forDomain(const QString& domain);

    // Files kept beside the user's file: the lock that serialises writers, and the
    // corrupt files moved aside before a new one is written, each named by the moment
    // it was moved (and a number when two share one), so none replaces another.
    QString lockFile() const { return userFile + QStringLiteral(".lock"); }
    QString corruptFile(const QDateTime& movedAt, int number = 0) const;
};
