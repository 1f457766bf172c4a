#pragma once

#include "platform/Result.h"

#include <QByteArray>
#include <QString>

#include <functional>

// The classic Finder information of a file (Inside Macintosh: Macintosh Toolbox
// Essentials, FInfo): type, creator, Finder flags and icon location. For a folder the
// eight bytes of type and creator hold its window rectangle; they are read and written
// alike. On Linux it lives in the first 16 bytes of the Finder-info entry of the file's
// AppleDouble sidecar; a file without a sidecar has all of it zero.
struct FinderInformation {
    enum Flag : quint16 {
        HasBeenInited = 0x0100,
        HasCustomIcon = 0x0400,
        IsStationery = 0x0800,
        NameLocked = 0x1000,
        HasBundle = 0x2000,
        IsInvisible = 0x4000,
        IsAlias = 0x8000,
    };

    quint32 type = 0;
    quint32 creator = 0;
    quint16 flags = 0;
    qint16 vertical = 0;
    qint16 horizontal = 0;

    // From the 32 bytes of a Finder-info entry; into them, leaving the rest as it is.
    static FinderInformation fromEntry(const QByteArray& entry);
    void storeInto(QByteArray& entry) const;

    // The information of the existing item at path; zero when it has no sidecar. Fails
    // when nothing is there or its sidecar cannot be read.
    static Result<FinderInformation> read(const QString& path);
    // Changes the information of the existing item at path in its sidecar, creating the
    // sidecar (with an empty fork) when it has none. The change sees what the sidecar
    // holds at the moment of the change.
    static Result<void> update(
        const QString& path, const std::function<void(FinderInformation&)>& change);
};
