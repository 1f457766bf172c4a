#include "PreferencesTestFolder.h"

void PreferencesTestFolder::write(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
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
