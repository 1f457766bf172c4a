#include "filesvc/IconFamily.h"

#include "filesvc/BigEndianWriter.h"

namespace IconFamily {

quint32 pngElementType(int edge)
{
    switch (edge) {
    case 128:
        return 0x69633037; // 'ic07'
    case 256:
        return 0x69633038; // 'ic08'
    case 512:
        return 0x69633039; // 'ic09'
    case 1024:
        return 0x69633130; // 'ic10'
    default:
        return 0;
    }
}

QByteArray serialize(const QList<Element>& elements)
{
    constexpr quint32 kHeaderSize = 8;
    BigEndianWriter family;
    family.writeUInt32(0x69636E73); // 'icns'
    family.writeUInt32(0);
    for (const Element& element : elements) {
        family.writeUInt32(element.type);
        family.writeUInt32(quint32(element.data.size()) + kHeaderSize);
        family.writeBytes(element.data);
    }
    family.putUInt32At(4, quint32(family.size()));
    return std::move(family).bytes();
}

}
