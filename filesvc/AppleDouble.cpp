#include "filesvc/AppleDouble.h"

#include "filesvc/BigEndianReader.h"
#include "filesvc/BigEndianWriter.h"

#include <QList>

namespace {

constexpr quint32 kMagic = 0x00051607;
constexpr quint32 kVersion2 = 0x00020000;
constexpr qsizetype kFillerSize = 16;
constexpr qsizetype kHeaderSize = 26;
constexpr qsizetype kEntrySize = 12;
constexpr quint32 kResourceForkEntry = 2;
constexpr quint32 kFinderInfoEntry = 9;
constexpr char kMacFiller[] = "Mac OS X        ";

// The extended-attribute header macOS puts after the Finder information: magic, debug
// tag, total size, data start, data length, three reserved words, flags, count.
constexpr quint32 kAttributesMagic = 0x41545452; // 'ATTR'
constexpr qsizetype kAttributesPadding = 2;
constexpr quint32 kAttributesHeaderSize = 36;

struct Entry {
    quint32 id = 0;
    quint32 offset = 0;
    quint32 length = 0;
};

Failure malformed(const QString& what)
{
    return Failure {QStringLiteral("Invalid AppleDouble file: ") + what};
}

Result<QList<Entry>> readEntries(BigEndianReader& file)
{
    const std::optional<quint16> count = file.readUInt16();
    if (!count || qsizetype(*count) * kEntrySize > file.remaining())
        return malformed(QStringLiteral("the entry table is cut short"));
    QList<Entry> entries;
    for (quint16 index = 0; index < *count; ++index) {
        Entry entry {*file.readUInt32(), *file.readUInt32(), *file.readUInt32()};
        if (!file.bytesAt(entry.offset, entry.length))
            return malformed(QStringLiteral("entry %1 lies outside the file").arg(entry.id));
        for (const Entry& earlier : std::as_const(entries)) {
            if (earlier.id == entry.id)
                return malformed(QStringLiteral("entry %1 is given twice").arg(entry.id));
        }
        entries.append(entry);
    }
    return entries;
}

Result<void> readHeader(BigEndianReader& file, AppleDoubleFile& contents)
{
    if (file.size() > AppleDouble::kMaxFileSize)
        return malformed(QStringLiteral("larger than %1 bytes").arg(AppleDouble::kMaxFileSize));
    const std::optional<quint32> magic = file.readUInt32();
    const std::optional<quint32> version = file.readUInt32();
    if (!magic || *magic != kMagic)
        return malformed(QStringLiteral("no AppleDouble signature"));
    if (!version || *version != kVersion2)
        return malformed(QStringLiteral("not version 2"));
    const std::optional<QByteArrayView> filler = file.readBytes(kFillerSize);
    if (!filler)
        return malformed(QStringLiteral("the header is cut short"));
    contents.filler = filler->toByteArray();
    return {};
}

Result<void> takeEntry(BigEndianReader& file, const Entry& entry, AppleDoubleFile& contents)
{
    const QByteArrayView bytes = *file.bytesAt(entry.offset, entry.length);
    if (entry.id == kResourceForkEntry) {
        if (bytes.size() > AppleDouble::kMaxResourceForkSize)
            return malformed(QStringLiteral("the resource fork is larger than 16 MiB"));
        contents.resourceFork = bytes.toByteArray();
    } else if (entry.id == kFinderInfoEntry) {
        if (bytes.size() < AppleDoubleFile::kFinderInfoSize)
            return malformed(QStringLiteral("the Finder information is shorter than 32 bytes"));
        if (bytes.size() > AppleDouble::kMaxFinderInfoEntrySize)
            return malformed(QStringLiteral("the Finder-info entry is larger than 1 MiB"));
        contents.finderInfo = bytes.first(AppleDoubleFile::kFinderInfoSize).toByteArray();
        contents.finderInfoTail = bytes.sliced(AppleDoubleFile::kFinderInfoSize).toByteArray();
    } else {
        contents.rewritable = false;
    }
    return {};
}

bool overlap(const Entry& a, const Entry& b)
{
    return a.length != 0 && b.length != 0 && quint64(a.offset) < quint64(b.offset) + b.length
        && quint64(b.offset) < quint64(a.offset) + a.length;
}

// An empty attribute area as macOS writes it: total size is the offset where the fork
// begins, and the (absent) attribute data would start right after the header.
QByteArray emptyAttributeArea()
{
    const quint32 areaStart = kHeaderSize + 2 * kEntrySize + AppleDoubleFile::kFinderInfoSize;
    BigEndianWriter area;
    area.writeZeros(kAttributesPadding);
    area.writeUInt32(kAttributesMagic);
    area.writeUInt32(0);
    area.writeUInt32(kHeaderSize + 2 * kEntrySize + AppleDouble::kMacFinderInfoEntryLength);
    area.writeUInt32(areaStart + kAttributesPadding + kAttributesHeaderSize);
    area.writeZeros(4 + 12 + 2 + 2);
    area.writeZeros(
        AppleDouble::kMacFinderInfoEntryLength - AppleDoubleFile::kFinderInfoSize - area.size());
    return std::move(area).bytes();
}

}

namespace AppleDouble {

Result<AppleDoubleFile> parse(QByteArrayView bytes)
{
    BigEndianReader file(bytes);
    AppleDoubleFile contents;
    if (Result<void> header = readHeader(file, contents); !header)
        return header.failure();
    Result<QList<Entry>> entries = readEntries(file);
    if (!entries)
        return entries.failure();
    const Entry* finderInfo = nullptr;
    const Entry* fork = nullptr;
    for (const Entry& entry : std::as_const(*entries)) {
        if (Result<void> taken = takeEntry(file, entry, contents); !taken)
            return taken.failure();
        if (entry.id == kFinderInfoEntry)
            finderInfo = &entry;
        if (entry.id == kResourceForkEntry)
            fork = &entry;
    }
    if (finderInfo && fork && overlap(*finderInfo, *fork))
        return malformed(QStringLiteral("the Finder information and the fork overlap"));
    return contents;
}

QByteArray serialize(const AppleDoubleFile& file)
{
    Q_ASSERT(file.finderInfo.size() == AppleDoubleFile::kFinderInfoSize);
    const QByteArray tail = file.finderInfoTail.isEmpty() && file.filler.isEmpty()
        ? emptyAttributeArea()
        : file.finderInfoTail;
    const quint32 finderInfoOffset = kHeaderSize + 2 * kEntrySize;
    const quint32 finderInfoLength = quint32(AppleDoubleFile::kFinderInfoSize + tail.size());
    BigEndianWriter writer;
    writer.writeUInt32(kMagic);
    writer.writeUInt32(kVersion2);
    writer.writeBytes(file.filler.size() == kFillerSize ? QByteArrayView(file.filler)
                                                        : QByteArrayView(kMacFiller));
    writer.writeUInt16(2);
    writer.writeUInt32(kFinderInfoEntry);
    writer.writeUInt32(finderInfoOffset);
    writer.writeUInt32(finderInfoLength);
    writer.writeUInt32(kResourceForkEntry);
    writer.writeUInt32(finderInfoOffset + finderInfoLength);
    writer.writeUInt32(quint32(file.resourceFork.size()));
    writer.writeBytes(file.finderInfo);
    writer.writeBytes(tail);
    writer.writeBytes(file.resourceFork);
    return std::move(writer).bytes();
}

}
