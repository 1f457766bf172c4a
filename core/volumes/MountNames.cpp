#include "volumes/MountNames.h"

#include "platform/FileNames.h"

#include <QStringDecoder>

namespace MountNames {

QString fileName(QByteArrayView name)
{
    const qsizetype end = name.indexOf('\0');
    return FileNames::decode((end < 0 ? name : name.first(end)).toByteArray());
}

QString decode(QByteArrayView name)
{
    QString text = fileName(name);
    if (!text.contains(QLatin1Char('%')))
        return text;
    const QByteArray unescaped = QByteArray::fromPercentEncoding(text.toUtf8());
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = utf8(unescaped);
    return utf8.hasError() ? text : decoded;
}

}
