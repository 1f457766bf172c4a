#include "tools/PrivateDesktop.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>

using namespace Qt::StringLiterals;

namespace {

QByteArray viewerEntry(const QByteArray& name, const QByteArray& exec, const QByteArray& extra = {})
{
    return "[Desktop Entry]\nType=Application\nName=" + name + "\nExec=" + exec
        + " %F\nStartupNotify=true\nMimeType=" + PrivateDesktop::sampleTypes().join(u';').toUtf8()
        + ";\n" + extra;
}

}

QStringList PrivateDesktop::sampleTypes()
{
    return {u"application/msword"_s, u"application/pdf"_s, u"text/plain"_s,
        u"application/vnd.oasis.opendocument.text"_s};
}

PrivateDesktop::PrivateDesktop()
{
    if (!m_root.isValid())
        return;
    QDir root(m_root.path());
    const bool folders = root.mkpath(u"data/applications"_s) && root.mkpath(u"config"_s)
        && root.mkpath(u"config-dirs"_s) && root.mkpath(u"system/share"_s);
    const bool mime =
        QFile::link(QStringLiteral(KESTROVA_TEST_MIME_DIR), root.filePath(u"system/share/mime"_s));

    QByteArray defaults = "[Default Applications]\n";
    for (const QString& type : sampleTypes())
        defaults += type.toUtf8() + '=' + kViewerId + '\n';
    m_valid = folders && mime
        && writeFile(u"data/applications/"_s + QLatin1String(kViewerId),
            viewerEntry("Recording Viewer", KESTROVA_RECORDING_VIEWER))
        && writeFile(u"data/applications/"_s + QLatin1String(kDecoyId),
            viewerEntry(
                "Decoy Viewer", "env KESTROVA_DECOY=1 /bin/false", "StartupWMClass=DecoyViewer\n"))
        && writeFile(u"config/mimeapps.list"_s, defaults);
}

bool PrivateDesktop::writeFile(const QString& relativePath, const QByteArray& contents) const
{
    QFile file(QDir(m_root.path()).filePath(relativePath));
    return file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size();
}

QList<QPair<QString, QString>> PrivateDesktop::variables() const
{
    const QDir root(m_root.path());
    QStringList dataDirs = m_extraDataDirs;
    dataDirs << root.filePath(u"system/share"_s);
    return {
        {u"XDG_DATA_HOME"_s, root.filePath(u"data"_s)},
        {u"XDG_DATA_DIRS"_s, dataDirs.join(QLatin1Char(':'))},
        {u"XDG_CONFIG_HOME"_s, root.filePath(u"config"_s)},
        {u"XDG_CONFIG_DIRS"_s, root.filePath(u"config-dirs"_s)},
        {u"XDG_STATE_HOME"_s, root.filePath(u"state"_s)},
        {u"KESTROVA_RECORDING_FILE"_s, recordingFile()},
    };
}

void PrivateDesktop::apply() const
{
    for (const auto& [name, value] : variables())
        qputenv(name.toUtf8().constData(), value.toUtf8());
    // Desktop-specific mimeapps.list files (gnome-mimeapps.list ...) must not apply.
    qunsetenv("XDG_CURRENT_DESKTOP");
}

QProcessEnvironment PrivateDesktop::environment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const auto& [name, value] : variables())
        environment.insert(name, value);
    environment.remove(u"XDG_CURRENT_DESKTOP"_s);
    return environment;
}

QString PrivateDesktop::recordingFile() const
{
    return QDir(m_root.path()).filePath(u"recording.jsonl"_s);
}

QList<QJsonObject> PrivateDesktop::records() const
{
    QList<QJsonObject> records;
    QFile file(recordingFile());
    for (const QByteArray& line :
        file.open(QIODevice::ReadOnly) ? file.readAll().split('\n') : QByteArrayList()) {
        if (!line.trimmed().isEmpty())
            records << QJsonDocument::fromJson(line).object();
    }
    return records;
}
