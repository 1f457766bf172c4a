#include "filesvc/ResourceForkFormat.h"

#include "filesvc/BigEndianReader.h"
#include "filesvc/BigEndianWriter.h"

#include <QSet>

#include <algorithm>
#include <numeric>

namespace {

constexpr qsizetype kHeaderSize = 16;
constexpr qsizetype kDataStart = 256;
// Header copy, next-map handle, file reference, attributes, type-list and name-list
// offsets: the type list follows at 28.
constexpr quint64 kMapFixedSize = 28;
constexpr quint64 kMapAttributesOffset = 22;
constexpr quint64 kMapTypeListOffset = 24;
constexpr quint64 kMapNameListOffset = 26;
constexpr quint64 kTypeEntrySize = 8;
constexpr quint64 kReferenceSize = 12;
constexpr quint16 kNoName = 0xFFFF;
constexpr quint32 kMaxDataOffset = 0xFFFFFF;

Failure malformed(const QString& what)
{
    return Failure {QStringLiteral("Invalid resource fork: ") + what};
}

struct ForkLayout {
    BigEndianReader data;
    BigEndianReader map;
    quint64 typeListStart = 0;
    quint64 nameListStart = 0;
    quint64 referencesLeft = 0;
    quint64 dataLeft = 0;
    // Each type once in the type list, each id once in a type: otherwise which resource
    // a type and id name, and which one an add replaces, would be a guess.
    QSet<quint32> types;
    QSet<quint64> typesAndIds;
};

Result<ForkLayout> readLayout(const BigEndianReader& fork)
{
    const std::optional<quint32> dataOffset = fork.uint32At(0);
    const std::optional<quint32> mapOffset = fork.uint32At(4);
    const std::optional<quint32> dataLength = fork.uint32At(8);
    const std::optional<quint32> mapLength = fork.uint32At(12);
    if (!mapLength)
        return malformed(QStringLiteral("the header is cut short"));
    std::optional<BigEndianReader> data = fork.sliceAt(*dataOffset, *dataLength);
    std::optional<BigEndianReader> map = fork.sliceAt(*mapOffset, *mapLength);
    if (!data || !map)
        return malformed(QStringLiteral("the data or the map lies outside the fork"));
    if (quint64(map->size()) < kMapFixedSize + 2)
        return malformed(QStringLiteral("the map is too short"));
    ForkLayout layout {*data, *map, *map->uint16At(kMapTypeListOffset),
        *map->uint16At(kMapNameListOffset), quint64(map->size()) / kReferenceSize,
        quint64(data->size()), {}, {}};
    if (layout.typeListStart + 2 > quint64(map->size())
        || layout.nameListStart > quint64(map->size()))
        return malformed(QStringLiteral("the type or name list lies outside the map"));
    return layout;
}

Result<QByteArray> readData(ForkLayout& layout, quint32 offset)
{
    const std::optional<quint32> length = layout.data.uint32At(offset);
    if (!length)
        return malformed(QStringLiteral("a data offset lies outside the data"));
    const std::optional<QByteArrayView> bytes = layout.data.bytesAt(quint64(offset) + 4, *length);
    if (!bytes || quint64(*length) + 4 > layout.dataLeft)
        return malformed(QStringLiteral("a resource's data runs past the data"));
    layout.dataLeft -= quint64(*length) + 4;
    return bytes->toByteArray();
}

Result<std::optional<QByteArray>> readName(const ForkLayout& layout, quint16 offset)
{
    if (offset == kNoName)
        return std::optional<QByteArray>();
    const quint64 at = layout.nameListStart + offset;
    const std::optional<quint8> length = layout.map.uint8At(at);
    const std::optional<QByteArrayView> name =
        length ? layout.map.bytesAt(at + 1, *length) : std::nullopt;
    if (!name)
        return malformed(QStringLiteral("a name lies outside the map"));
    return std::optional<QByteArray>(name->toByteArray());
}

Result<Resource> readReference(ForkLayout& layout, quint32 type, quint64 at)
{
    const std::optional<QByteArrayView> entry = layout.map.bytesAt(at, kReferenceSize);
    if (!entry)
        return malformed(QStringLiteral("a reference lies outside the map"));
    BigEndianReader reference(*entry);
    Resource resource;
    resource.type = type;
    resource.id = *reference.readInt16();
    const quint16 nameOffset = *reference.readUInt16();
    resource.attributes = *reference.uint8At(4);
    const quint32 dataOffset = *reference.uint24At(5);
    resource.dataSequence = dataOffset;
    resource.handle = *reference.uint32At(8);
    Result<std::optional<QByteArray>> name = readName(layout, nameOffset);
    if (!name)
        return name.failure();
    resource.name = *name;
    Result<QByteArray> data = readData(layout, dataOffset);
    if (!data)
        return data.failure();
    resource.data = std::move(*data);
    return resource;
}

Result<void> readType(ForkLayout& layout, quint64 entryAt, ResourceFork& fork)
{
    const std::optional<quint32> type = layout.map.uint32At(entryAt);
    const std::optional<quint16> lastIndex = layout.map.uint16At(entryAt + 4);
    const std::optional<quint16> listOffset = layout.map.uint16At(entryAt + 6);
    if (!listOffset)
        return malformed(QStringLiteral("a type entry lies outside the map"));
    if (layout.types.contains(*type))
        return malformed(QStringLiteral("a type is listed twice"));
    layout.types.insert(*type);
    const quint64 count = quint64(*lastIndex) + 1;
    if (count > layout.referencesLeft)
        return malformed(QStringLiteral("more resources than the map can hold"));
    layout.referencesLeft -= count;
    const quint64 listStart = layout.typeListStart + *listOffset;
    for (quint64 index = 0; index < count; ++index) {
        Result<Resource> resource =
            readReference(layout, *type, listStart + index * kReferenceSize);
        if (!resource)
            return resource.failure();
        const quint64 key = (quint64(*type) << 16) | quint16(resource->id);
        if (layout.typesAndIds.contains(key))
            return malformed(QStringLiteral("two resources have the same type and id"));
        layout.typesAndIds.insert(key);
        fork.resources.append(std::move(*resource));
    }
    return {};
}

bool isCopyOfHeader(const BigEndianReader& fork, const ForkLayout& layout)
{
    const QByteArrayView copy = *layout.map.bytesAt(0, kHeaderSize);
    return copy == fork.bytes().first(kHeaderSize) && copy != QByteArray(kHeaderSize, '\0');
}

bool fitsOffset(qsizetype offset)
{
    return offset < qsizetype(kNoName);
}

// The map: header copy (filled in by the caller when wanted), attributes, the type list
// with one entry a type, the reference lists in the same order, then the names.
Result<QByteArray> serializeMap(const ResourceFork& fork, const QList<quint32>& dataOffsets)
{
    const QList<quint32> types = fork.types();
    BigEndianWriter map;
    map.writeZeros(kHeaderSize);
    map.writeBytes(fork.mapReserved.leftJustified(6, '\0', true));
    map.writeUInt16(fork.mapAttributes);
    map.writeUInt16(quint16(kMapFixedSize));
    map.writeUInt16(0);
    map.writeUInt16(quint16(types.size() - 1));
    const qsizetype listsStart = 2 + types.size() * qsizetype(kTypeEntrySize);
    qsizetype referencesBefore = 0;
    for (const quint32 type : types) {
        const auto count = std::count_if(fork.resources.begin(), fork.resources.end(),
            [&](const Resource& resource) { return resource.type == type; });
        const qsizetype listOffset = listsStart + referencesBefore * qsizetype(kReferenceSize);
        if (!fitsOffset(listOffset))
            return malformed(QStringLiteral("too many resources for the map"));
        map.writeUInt32(type);
        map.writeUInt16(quint16(count - 1));
        map.writeUInt16(quint16(listOffset));
        referencesBefore += count;
    }
    BigEndianWriter names;
    for (const quint32 type : types) {
        for (qsizetype index = 0; index < fork.resources.size(); ++index) {
            const Resource& resource = fork.resources[index];
            if (resource.type != type)
                continue;
            if (resource.name && (resource.name->size() > 255 || !fitsOffset(names.size())))
                return malformed(QStringLiteral("a name is too long or there are too many"));
            map.writeInt16(resource.id);
            map.writeUInt16(resource.name ? quint16(names.size()) : kNoName);
            map.writeUInt8(resource.attributes);
            map.writeUInt24(dataOffsets[index]);
            map.writeUInt32(resource.handle);
            if (resource.name) {
                names.writeUInt8(quint8(resource.name->size()));
                names.writeBytes(*resource.name);
            }
        }
    }
    if (!fitsOffset(map.size()))
        return malformed(QStringLiteral("too many resources for the map"));
    map.putUInt16At(qsizetype(kMapNameListOffset), quint16(map.size()));
    map.writeBytes(names.bytes());
    return std::move(map).bytes();
}

}

const Resource* ResourceFork::find(quint32 type, qint16 id) const
{
    const auto found = std::find_if(resources.begin(), resources.end(),
        [&](const Resource& resource) { return resource.type == type && resource.id == id; });
    return found == resources.end() ? nullptr : &*found;
}

const Resource* ResourceFork::findNamed(quint32 type, QByteArrayView name) const
{
    const auto found =
        std::find_if(resources.begin(), resources.end(), [&](const Resource& resource) {
            return resource.type == type && resource.name && *resource.name == name;
        });
    return found == resources.end() ? nullptr : &*found;
}

void ResourceFork::put(Resource resource)
{
    const auto last = std::max_element(resources.begin(), resources.end(),
        [](const Resource& a, const Resource& b) { return a.dataSequence < b.dataSequence; });
    resource.dataSequence = last == resources.end() ? 0 : last->dataSequence + 1;
    for (Resource& existing : resources) {
        if (existing.type == resource.type && existing.id == resource.id) {
            existing = std::move(resource);
            return;
        }
    }
    qsizetype insertAt = resources.size();
    for (qsizetype index = 0; index < resources.size(); ++index) {
        if (resources[index].type == resource.type)
            insertAt = index + 1;
    }
    resources.insert(insertAt, std::move(resource));
}

bool ResourceFork::remove(quint32 type, qint16 id)
{
    return resources.removeIf([&](const Resource& resource) {
        return resource.type == type && resource.id == id;
    }) > 0;
}

QList<quint32> ResourceFork::types() const
{
    QList<quint32> types;
    for (const Resource& resource : resources) {
        if (!types.contains(resource.type))
            types.append(resource.type);
    }
    return types;
}

namespace ResourceForkFormat {

Result<ResourceFork> parse(QByteArrayView bytes)
{
    if (bytes.size() > kMaxForkSize)
        return malformed(QStringLiteral("larger than 16 MiB"));
    const BigEndianReader file(bytes);
    Result<ForkLayout> layout = readLayout(file);
    if (!layout)
        return layout.failure();
    ResourceFork fork;
    fork.mapAttributes = *layout->map.uint16At(kMapAttributesOffset);
    // Only where both the data and the map start past it is that area really reserved.
    if (*file.uint32At(0) >= kDataStart && *file.uint32At(4) >= kDataStart)
        fork.reservedHeader = file.bytesAt(kHeaderSize, kDataStart - kHeaderSize)->toByteArray();
    fork.mapRepeatsHeader = isCopyOfHeader(file, *layout);
    fork.mapReserved = layout->map.bytesAt(kHeaderSize, 6)->toByteArray();
    const quint64 typeCount = quint64(quint16(*layout->map.uint16At(layout->typeListStart) + 1));
    for (quint64 index = 0; index < typeCount; ++index) {
        const quint64 entryAt = layout->typeListStart + 2 + index * kTypeEntrySize;
        if (Result<void> type = readType(*layout, entryAt, fork); !type)
            return type.failure();
    }
    return fork;
}

Result<QByteArray> serialize(const ResourceFork& fork)
{
    QList<qsizetype> dataOrder(fork.resources.size());
    std::iota(dataOrder.begin(), dataOrder.end(), 0);
    std::stable_sort(dataOrder.begin(), dataOrder.end(), [&](qsizetype a, qsizetype b) {
        return fork.resources[a].dataSequence < fork.resources[b].dataSequence;
    });
    BigEndianWriter data;
    QList<quint32> dataOffsets(fork.resources.size());
    for (const qsizetype index : std::as_const(dataOrder)) {
        if (data.size() > kMaxDataOffset)
            return malformed(QStringLiteral("the data does not fit in 16 MiB"));
        dataOffsets[index] = quint32(data.size());
        data.writeUInt32(quint32(fork.resources[index].data.size()));
        data.writeBytes(fork.resources[index].data);
    }
    Result<QByteArray> map = serializeMap(fork, dataOffsets);
    if (!map)
        return map.failure();
    if (kDataStart + data.size() + map->size() > kMaxForkSize)
        return malformed(QStringLiteral("larger than 16 MiB"));
    BigEndianWriter header;
    header.writeUInt32(quint32(kDataStart));
    header.writeUInt32(quint32(kDataStart + data.size()));
    header.writeUInt32(quint32(data.size()));
    header.writeUInt32(quint32(map->size()));
    if (fork.mapRepeatsHeader)
        map->replace(0, kHeaderSize, header.bytes());
    QByteArray bytes = header.bytes();
    bytes.append(fork.reservedHeader.leftJustified(kDataStart - kHeaderSize, '\0', true));
    bytes.append(data.bytes());
    bytes.append(*map);
    return bytes;
}

}
