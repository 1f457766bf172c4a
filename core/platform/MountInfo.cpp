#include "platform/MountInfo.h"

#include <QFile>

#include <sys/sysmacros.h>

namespace MountInfo {
namespace {

// Fields before the optional ones: mount ID, parent ID, major:minor, root, mount point,
// mount options.
constexpr qsizetype deviceField = 2;
constexpr qsizetype rootField = 3;
constexpr qsizetype mountPointField = 4;
constexpr qsizetype firstOptionalField = 6;

bool isOctalDigit(char c)
{
    return c >= '0' && c <= '7';
}

// The value of the escape \ooo starting at field[at], or none where there is none.
std::optional<char> escapedByte(QByteArrayView field, qsizetype at)
{
    if (field[at] != '\\' || at + 3 >= field.size() || !isOctalDigit(field[at + 1])
        || !isOctalDigit(field[at + 2]) || !isOctalDigit(field[at + 3]))
        return std::nullopt;
    const int value =
        (field[at + 1] - '0') * 64 + (field[at + 2] - '0') * 8 + (field[at + 3] - '0');
    if (value > 0xff)
        return std::nullopt;
    return static_cast<char>(value);
}

std::optional<dev_t> parseDevice(const QByteArray& field)
{
    const QList<QByteArray> numbers = field.split(':');
    if (numbers.size() != 2)
        return std::nullopt;
    bool majorRead = false;
    bool minorRead = false;
    const uint majorNumber = numbers[0].toUInt(&majorRead);
    const uint minorNumber = numbers[1].toUInt(&minorRead);
    if (!majorRead || !minorRead)
        return std::nullopt;
    return makedev(majorNumber, minorNumber);
}

}

QByteArray unescapeField(QByteArrayView field)
{
    QByteArray name;
    name.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (const std::optional<char> byte = escapedByte(field, i)) {
            name.append(*byte);
            i += 3;
        } else {
            name.append(field[i]);
        }
    }
    return name;
}

std::optional<Line> parseLine(QByteArrayView line)
{
    const QList<QByteArray> fields = line.toByteArray().split(' ');
    qsizetype separator = firstOptionalField;
    while (separator < fields.size() && fields[separator] != "-")
        ++separator;
    if (fields.size() < separator + 3)
        return std::nullopt;
    Line mount;
    bool idRead = false;
    mount.mountId = fields[0].toInt(&idRead);
    const std::optional<dev_t> device = parseDevice(fields[deviceField]);
    mount.mountPoint = unescapeField(fields[mountPointField]);
    if (!idRead || !device || !mount.mountPoint.startsWith('/'))
        return std::nullopt;
    mount.device = *device;
    mount.root = unescapeField(fields[rootField]);
    mount.fileSystemType = unescapeField(fields[separator + 1]);
    mount.source = unescapeField(fields[separator + 2]);
    mount.superOptions = fields.value(separator + 3);
    return mount;
}

QList<Line> parse(QByteArrayView mountInfo)
{
    QList<Line> lines;
    qsizetype start = 0;
    while (start < mountInfo.size()) {
        qsizetype end = mountInfo.indexOf('\n', start);
        if (end < 0)
            end = mountInfo.size();
        if (std::optional<Line> line = parseLine(mountInfo.sliced(start, end - start)))
            lines.append(std::move(*line));
        start = end + 1;
    }
    return lines;
}

QByteArray readCurrent()
{
    QFile file(QString::fromLatin1(currentPath));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

}
