#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// A gnome-keyring-daemon of the test's own on the session bus the process has, unlocked
// and with an empty keyring in a throwaway home, living as long as this object: GVfs keeps
// saved passwords there, and what one test saved is gone for the next.
class SecretService {
public:
    SecretService();
    ~SecretService();
    SecretService(const SecretService&) = delete;
    SecretService& operator=(const SecretService&) = delete;

    // Empty when it runs and owns its name on the bus.
    const QString& failure() const { return m_failure; }

private:
    QTemporaryDir m_home;
    QProcess m_daemon;
    QString m_failure;
};
