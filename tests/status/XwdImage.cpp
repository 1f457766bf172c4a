#include "XwdImage.h"

#include <QDataStream>

#include <array>
#include <bit>

namespace {

constexpr quint32 xwdFileVersion = 7;
constexpr quint32 zPixmapFormat = 2;
constexpr quint32 trueColorClass = 4;
constexpr quint32 msbFirst = 1;
constexpr qsizetype headerFieldCount = 25;
constexpr qsizetype headerSize = headerFieldCount * 4;
constexpr qsizetype colorEntrySize = 12;
constexpr quint32 maxSide = 16384;

// The header's fields, in file order; all are big-endian 32-bit words.
enum Field {
    HeaderSize,
    FileVersion,
    PixmapFormat,
    PixmapDepth,
    PixmapWidth,
    PixmapHeight,
    XOffset,
    ByteOrder,
    BitmapUnit,
    BitmapBitOrder,
    BitmapPad,
    BitsPerPixel,
    BytesPerLine,
    VisualClass,
    RedMask,
    GreenMask,
    BlueMask,
    BitsPerRgb,
    ColormapEntries,
    ColorCount,
};

using Header = std::array<quint32, headerFieldCount>;

XwdImage failure(const QString& reason)
{
    return {QImage(), QStringLiteral("Invalid xwd dump: ") + reason};
}

int channel(quint32 pixel, quint32 mask)
{
    if (mask == 0)
        return 0;
    const quint32 value = (pixel & mask) >> std::countr_zero(mask);
    const quint32 maximum = mask >> std::countr_zero(mask);
    return static_cast<int>(value * 255 / maximum);
}

quint32 pixelAt(const char* bytes, qsizetype bytesPerPixel, bool bigEndian)
{
    quint32 pixel = 0;
    for (qsizetype i = 0; i < bytesPerPixel; ++i) {
        const auto byte = static_cast<quint8>(bytes[bigEndian ? i : bytesPerPixel - 1 - i]);
        pixel = (pixel << 8) | byte;
    }
    return pixel;
}

QString unsupportedFormat(const Header& header)
{
    if (header[FileVersion] != xwdFileVersion)
        return QStringLiteral("file version %1").arg(header[FileVersion]);
    if (header[PixmapFormat] != zPixmapFormat)
        return QStringLiteral("pixmap format %1").arg(header[PixmapFormat]);
    if (header[VisualClass] != trueColorClass)
        return QStringLiteral("visual class %1").arg(header[VisualClass]);
    if (header[BitsPerPixel] != 24 && header[BitsPerPixel] != 32)
        return QStringLiteral("%1 bits per pixel").arg(header[BitsPerPixel]);
    return {};
}

}

XwdImage readXwdImage(const QByteArray& dump)
{
    if (dump.size() < headerSize)
        return failure(QStringLiteral("truncated header"));
    Header header {};
    QDataStream stream(dump);
    stream.setByteOrder(QDataStream::BigEndian);
    for (quint32& field : header)
        stream >> field;
    if (const QString unsupported = unsupportedFormat(header); !unsupported.isEmpty())
        return failure(QStringLiteral("unsupported ") + unsupported);

    const quint32 width = header[PixmapWidth];
    const quint32 height = header[PixmapHeight];
    const qsizetype bytesPerPixel = header[BitsPerPixel] / 8;
    const qint64 bytesPerLine = header[BytesPerLine];
    if (width == 0 || height == 0 || width > maxSide || height > maxSide)
        return failure(QStringLiteral("size %1x%2").arg(width).arg(height));
    if (bytesPerLine < qint64(width) * bytesPerPixel)
        return failure(QStringLiteral("lines shorter than the image is wide"));
    const qint64 pixelsStart =
        qint64(header[HeaderSize]) + qint64(header[ColorCount]) * colorEntrySize;
    if (header[HeaderSize] < headerSize || pixelsStart + bytesPerLine * height > dump.size())
        return failure(QStringLiteral("truncated pixel data"));

    QImage image(int(width), int(height), QImage::Format_RGB32);
    const bool bigEndian = header[ByteOrder] == msbFirst;
    for (quint32 y = 0; y < height; ++y) {
        const char* line = dump.constData() + pixelsStart + bytesPerLine * y;
        for (quint32 x = 0; x < width; ++x) {
            const quint32 pixel = pixelAt(line + x * bytesPerPixel, bytesPerPixel, bigEndian);
            image.setPixel(int(x), int(y),
                qRgb(channel(pixel, header[RedMask]), channel(pixel, header[GreenMask]),
                    channel(pixel, header[BlueMask])));
        }
    }
    return {image, {}};
}
