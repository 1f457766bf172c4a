#pragma once

#include "platform/Result.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <optional>

// One resource of a fork: a block of data addressed by type and id, with an optional
// name (Mac Roman bytes, at most 255) and the Resource Manager's attribute bits.
struct Resource {
    quint32 type = 0;
    qint16 id = 0;
    std::optional<QByteArray> name;
    quint8 attributes = 0;
    QByteArray data;
    // Where the data stood among the fork's data when it was read, so that a rewrite
    // keeps the order; resources added later come after those read.
    qint64 dataSequence = 0;
    // The reserved handle field of the reference, which old Resource Managers left
    // filled; kept so that a fork rewritten unchanged stays the same bytes.
    quint32 handle = 0;

    friend bool operator==(const Resource& a, const Resource& b)
    {
        return a.type == b.type && a.id == b.id && a.name == b.name && a.attributes == b.attributes
            && a.data == b.data;
    }
};

// A resource fork in the Resource Manager's published format (Inside Macintosh: More
// Macintosh Toolbox, "Resource Manager Reference"): a 16-byte header, 240 bytes left to
// the system and the application, the data, then the map with its type list, reference
// lists and name list. Resources are kept in map order: type by type, in the order of
// the type list, and in each type in the order of its reference list.
struct ResourceFork {
    QList<Resource> resources;
    quint16 mapAttributes = 0;
    // Bytes 16 to 255 of the fork, which the Resource Manager leaves to the system and
    // the application; kept as read.
    QByteArray reservedHeader = QByteArray(240, '\0');
    // Whether the map starts with a copy of the header (as Rez writes it) rather than
    // zeros (as the Resource Manager leaves it).
    bool mapRepeatsHeader = false;
    // The map's next-map handle and file reference, reserved like the handles above.
    QByteArray mapReserved = QByteArray(6, '\0');

    // The first resource of that type and id, or of that type and name.
    const Resource* find(quint32 type, qint16 id) const;
    const Resource* findNamed(quint32 type, QByteArrayView name) const;
    // Replaces the resource of the same type and id, or adds it after the last one of
    // its type (at the end for a new type).
    void put(Resource resource);
    // Whether there was one to remove.
    bool remove(quint32 type, qint16 id);
    // The types in map order, each once.
    QList<quint32> types() const;
};

namespace ResourceForkFormat {

// A fork larger than this is refused.
inline constexpr qsizetype kMaxForkSize = qsizetype(16) * 1024 * 1024;

// Reads a fork. Fails for a header or map outside the bytes, a type or reference list or
// a name or data block outside its area, more references than the map can hold, more
// data than the data area holds, or more than kMaxForkSize bytes.
Result<ResourceFork> parse(QByteArrayView bytes);

// Writes the fork with its data from offset 256 and the map right after it. Fails when
// the resources do not fit the format's 16-bit and 24-bit offsets or kMaxForkSize.
Result<QByteArray> serialize(const ResourceFork& fork);

}
