#pragma once

#include <QByteArray>
#include <QList>

// An icon family in Apple's 'icns' format: the magic 'icns' and the total length, then
// elements of a four-character type, a length (header included) and data. Kestrova
// writes PNG elements only, which every reader since Mac OS X 10.5 takes.
namespace IconFamily {

struct Element {
    quint32 type = 0;
    QByteArray data;
};

// The element type of a PNG of that edge length ('ic07' 128, 'ic08' 256, 'ic09' 512,
// 'ic10' 1024); 0 for another size.
quint32 pngElementType(int edge);

QByteArray serialize(const QList<Element>& elements);

}
