#include "PreferencesTestFolder.h"

#include "support/Files.h"

void PreferencesTestFolder::write(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    writeFile(path, bytes);
}

QProcessEnvironment PreferencesTestFolder::withoutBus()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
        QStringLiteral("unix:path=/nonexistent/kestrova-test-bus"));
    return environment;
}

std::string json(const char* text)
{
    return QJsonDocument::fromJson(text).toJson(QJsonDocument::Compact).toStdString();
}
