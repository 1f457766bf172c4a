#include "filesvc/AliasRecordFormat.h"

#include "filesvc/BigEndianReader.h"
#include "filesvc/BigEndianWriter.h"

namespace {

constexpr qsizetype kVersion2FixedSize = 150;
constexpr qsizetype kVersion3FixedSize = 58;
constexpr quint64 kSizeOffset = 4;
constexpr quint64 kVersionOffset = 6;

Failure malformed(const QString& what)
{
    return Failure {QStringLiteral("Invalid alias record: ") + what};
}

// A Pascal string in a fixed field of capacity bytes after its length byte.
QByteArray pascalField(BigEndianReader& record, qsizetype capacity)
{
    const quint8 length = *record.readUInt8();
    const QByteArrayView field = *record.readBytes(quint64(capacity));
    return field.first(qMin<qsizetype>(length, capacity)).toByteArray();
}

void readVersion2(BigEndianReader& record, AliasRecord& alias)
{
    alias.volumeName = pascalField(record, AliasRecordFormat::kVolumeNameMax);
    alias.volumeCreated = *record.readUInt32();
    alias.volumeSignature = *record.readUInt16();
    alias.volumeType = *record.readUInt16();
    alias.parentId = *record.readUInt32();
    alias.fileName = pascalField(record, AliasRecordFormat::kFileNameMax);
    alias.fileId = *record.readUInt32();
    alias.fileCreated = *record.readUInt32();
    alias.fileType = *record.readUInt32();
    alias.fileCreator = *record.readUInt32();
    alias.levelsFrom = *record.readUInt16();
    alias.levelsTo = *record.readUInt16();
    alias.volumeAttributes = *record.readUInt32();
    alias.volumeFileSystemId = *record.readUInt16();
    (void)record.seek(kVersion2FixedSize);
}

// Version 3 dates are 48.16 fixed-point seconds; the fixed part has no names.
void readVersion3(BigEndianReader& record, AliasRecord& alias)
{
    alias.volumeCreated = quint32(*record.uint32At(12));
    alias.volumeSignature = *record.uint16At(18);
    alias.volumeType = *record.uint16At(22);
    alias.parentId = *record.uint32At(24);
    alias.fileId = *record.uint32At(28);
    alias.fileCreated = quint32(*record.uint32At(34));
    alias.volumeAttributes = *record.uint32At(40);
    (void)record.seek(kVersion3FixedSize);
}

Result<void> readTags(BigEndianReader& record, AliasRecord& alias)
{
    while (record.remaining() > 0) {
        const std::optional<qint16> tag = record.readInt16();
        const std::optional<quint16> length = record.readUInt16();
        if (!length)
            return malformed(QStringLiteral("a tag is cut short"));
        if (*tag == AliasRecord::End)
            return {};
        const std::optional<QByteArrayView> data = record.readBytes(*length);
        if (!data)
            return malformed(QStringLiteral("tag %1 runs past the end").arg(*tag));
        (void)record.skip(*length % 2);
        alias.tags.append(AliasRecordTag {*tag, data->toByteArray()});
    }
    // Records from before the tags end without an end tag.
    return {};
}

void writePascalField(BigEndianWriter& record, const QByteArray& text, qsizetype capacity)
{
    const QByteArray kept = text.first(qMin(text.size(), capacity));
    record.writeUInt8(quint8(kept.size()));
    record.writeBytes(kept);
    record.writeZeros(capacity - kept.size());
}

}

std::optional<QByteArray> AliasRecord::tagData(qint16 tag) const
{
    for (const AliasRecordTag& item : tags) {
        if (item.tag == tag)
            return item.data;
    }
    return std::nullopt;
}

std::optional<QString> AliasRecord::unicodeTag(qint16 tag) const
{
    const std::optional<QByteArray> data = tagData(tag);
    if (!data)
        return std::nullopt;
    BigEndianReader reader(*data);
    const std::optional<quint16> count = reader.readUInt16();
    if (!count || reader.remaining() < qsizetype(*count) * 2)
        return std::nullopt;
    QString text;
    for (quint16 index = 0; index < *count; ++index)
        text.append(QChar(*reader.readUInt16()));
    return text;
}

void AliasRecord::setTag(qint16 tag, QByteArray data)
{
    for (AliasRecordTag& item : tags) {
        if (item.tag == tag) {
            item.data = std::move(data);
            return;
        }
    }
    tags.append(AliasRecordTag {tag, std::move(data)});
}

void AliasRecord::setUnicodeTag(qint16 tag, const QString& text)
{
    BigEndianWriter writer;
    writer.writeUInt16(quint16(text.size()));
    for (const QChar unit : text)
        writer.writeUInt16(unit.unicode());
    setTag(tag, std::move(writer).bytes());
}

namespace AliasRecordFormat {

Result<AliasRecord> parse(QByteArrayView bytes)
{
    const BigEndianReader whole(bytes);
    const std::optional<quint16> size = whole.uint16At(kSizeOffset);
    const std::optional<quint16> version = whole.uint16At(kVersionOffset);
    if (!version)
        return malformed(QStringLiteral("shorter than its header"));
    if (*version != 2 && *version != 3)
        return malformed(QStringLiteral("version %1 is not known").arg(*version));
    if (*size > bytes.size())
        return malformed(QStringLiteral("its size field says more than it holds"));
    const qsizetype fixedSize = *version == 2 ? kVersion2FixedSize : kVersion3FixedSize;
    if (*size < fixedSize)
        return malformed(QStringLiteral("the fixed part is cut short"));
    BigEndianReader record(bytes.first(*size));
    AliasRecord alias;
    alias.userType = *record.readUInt32();
    (void)record.skip(4);
    alias.version = *version;
    alias.kind = *record.readUInt16();
    if (*version == 2)
        readVersion2(record, alias);
    else
        readVersion3(record, alias);
    if (Result<void> tags = readTags(record, alias); !tags)
        return tags.failure();
    return alias;
}

Result<QByteArray> serialize(const AliasRecord& record)
{
    BigEndianWriter writer;
    writer.writeUInt32(record.userType);
    writer.writeUInt16(0);
    writer.writeUInt16(2);
    writer.writeUInt16(record.kind);
    writePascalField(writer, record.volumeName, kVolumeNameMax);
    writer.writeUInt32(record.volumeCreated);
    writer.writeUInt16(record.volumeSignature);
    writer.writeUInt16(record.volumeType);
    writer.writeUInt32(record.parentId);
    writePascalField(writer, record.fileName, kFileNameMax);
    writer.writeUInt32(record.fileId);
    writer.writeUInt32(record.fileCreated);
    writer.writeUInt32(record.fileType);
    writer.writeUInt32(record.fileCreator);
    writer.writeUInt16(record.levelsFrom);
    writer.writeUInt16(record.levelsTo);
    writer.writeUInt32(record.volumeAttributes);
    writer.writeUInt16(record.volumeFileSystemId);
    writer.writeZeros(kVersion2FixedSize - writer.size());
    for (const AliasRecordTag& tag : record.tags) {
        if (tag.data.size() > 0xFFFF)
            return malformed(QStringLiteral("tag %1 is longer than 65535 bytes").arg(tag.tag));
        writer.writeInt16(tag.tag);
        writer.writeUInt16(quint16(tag.data.size()));
        writer.writeBytes(tag.data);
        writer.padTo(2);
    }
    writer.writeInt16(AliasRecord::End);
    writer.writeUInt16(0);
    if (writer.size() > 0xFFFF)
        return malformed(QStringLiteral("longer than 65535 bytes"));
    writer.putUInt16At(qsizetype(kSizeOffset), quint16(writer.size()));
    return std::move(writer).bytes();
}

}
