#include "tools/PrivateDesktop.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>

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
    return {QStringLiteral("application/msword"), QStringLiteral("application/pdf"),
        QStringLiteral("text/plain"), QStringLiteral("application/vnd.oasis.opendocument.text")};
}

PrivateDesktop::PrivateDesktop()
{
    if (!m_root.isValid())
        return;
    QDir root(m_root.path());
    const bool folders = root.mkpath(QStringLiteral("data/applications"))
        && root.mkpath(QStringLiteral("config")) && root.mkpath(QStringLiteral("config-dirs"))
        && root.mkpath(QStringLiteral("system/share"));
    const bool mime = QFile::link(
        QStringLiteral("/usr/share/mime"), root.filePath(QStringLiteral("system/share/mime")));

    QByteArray defaults = "[Default Applications]\n";
    for (const QString& type : sampleTypes())
        defaults += type.toUtf8() + '=' + kViewerId + '\n';
    m_valid = folders && mime
        && writeFile(QStringLiteral("data/applications/") + QLatin1String(kViewerId),
            viewerEntry("Recording Viewer", KESTROVA_RECORDING_VIEWER))
        && writeFile(QStringLiteral("data/applications/") + QLatin1String(kDecoyId),
            viewerEntry(
                "Decoy Viewer", "env KESTROVA_DECOY=1 /bin/false", "StartupWMClass=DecoyViewer\n"))
        && writeFile(QStringLiteral("config/mimeapps.list"), defaults);
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
    dataDirs << root.filePath(QStringLiteral("system/share"));
    return {
        {QStringLiteral("XDG_DATA_HOME"), root.filePath(QStringLiteral("data"))},
        {QStringLiteral("XDG_DATA_DIRS"), dataDirs.join(QLatin1Char(':'))},
        {QStringLiteral("XDG_CONFIG_HOME"), root.filePath(QStringLiteral("config"))},
        {QStringLiteral("XDG_CONFIG_DIRS"), root.filePath(QStringLiteral("config-dirs"))},
        {QStringLiteral("XDG_STATE_HOME"), root.filePath(QStringLiteral("state"))},
        {QStringLiteral("KESTROVA_RECORDING_FILE"), recordingFile()},
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
    environment.remove(QStringLiteral("XDG_CURRENT_DESKTOP"));
    return environment;
}

QString PrivateDesktop::recordingFile() const
{
    return QDir(m_root.path()).filePath(QStringLiteral("recording.jsonl"));
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
