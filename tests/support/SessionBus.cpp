#include "support/SessionBus.h"

namespace SessionBus {

bool isPrivate()
{
    return !qEnvironmentVariableIsEmpty("KESTROVA_PRIVATE_BUS")
        && QDBusConnection::sessionBus().isConnected();
}

QDBusConnection connect()
{
    static int count = 0;
    return QDBusConnection::connectToBus(
        QDBusConnection::SessionBus, QStringLiteral("kestrova-test-client-%1").arg(++count));
}

}
