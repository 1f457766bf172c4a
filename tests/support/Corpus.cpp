#include "support/Corpus.h"

#include <QDir>
#include <QFileInfo>

namespace Corpus {

std::optional<QString> directory()
{
    QString folder = qEnvironmentVariable("KESTROVA_CORPUS");
    if (folder.isEmpty())
        folder = QStringLiteral(KESTROVA_CORPUS_DIR);
    if (!QFileInfo(folder).isDir())
        return std::nullopt;
    return QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
}

QString path(const QString& relativePath)
{
    return directory().value_or(QString()) + QLatin1Char('/') + relativePath;
}

}
