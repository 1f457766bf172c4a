#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

// What the program rule looks at of an item that exists, however it was found out.
struct TargetFacts {
    // The name the item was given and, where it differs, the name of what it leads to.
    QStringList names;
    QString contentType;
    // The first bytes of a regular file that could be read; empty otherwise.
    QByteArray head;
    // A regular file with an execute bit set.
    bool markedExecutable = false;
    // Whether that bit counts where the item lies (see ExecuteBit.h). Asked last, and
    // only where the type leaves it open: on a local disk finding it out reads the mount
    // table.
    std::function<bool()> executeBitCounts;
};
