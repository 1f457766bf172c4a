#include "preferences/PreferencesNotifier.h"

#include "PreferencesTestFolder.h"
#include "preferences/KTPreferences.h"
#include "support/LogCapture.h"
#include "support/PrivateSessionBus.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QThread>

#include <gtest/gtest.h>

#include <functional>

namespace {

constexpr int deliveryTimeoutMilliseconds = 10000;

// Runs the event loop, through which D-Bus signals arrive, until the condition holds.
bool waitUntil(const std::function<bool()>& condition)
{
    const QDeadlineTimer deadline(deliveryTimeoutMilliseconds);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents();
        QThread::msleep(2);
    }
    return true;
}

}

// Records every Changed signal exactly as it travels on the bus.
class SignalRecorder : public QObject {
    Q_OBJECT

public:
    explicit SignalRecorder(QDBusConnection connection)
    {
        connection.connect(QString(), PreferencesNotifier::objectPath,
            PreferencesNotifier::interfaceName, PreferencesNotifier::signalName, this,
            SLOT(record(QDBusMessage)));
    }
    QList<QDBusMessage> messages;

private Q_SLOTS:
    void record(const QDBusMessage& message) { messages << message; }
};

class PreferencesNotifierTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_bus.isRunning()) << m_bus.failure().toStdString(); }

    PrivateSessionBus m_bus;
};

TEST_F(PreferencesNotifierTest, PostedSignalCarriesTheNotificationNameAndDomain)
{
    SignalRecorder recorder(m_bus.connect());
    PreferencesNotifier notifier(m_bus.connect(), KTBUNDLENAME);
    ASSERT_TRUE(notifier.isConnected());
    notifier.post();
    ASSERT_TRUE(waitUntil([&] { return !recorder.messages.isEmpty(); }));
    const QDBusMessage& message = recorder.messages.first();
    EXPECT_EQ(message.type(), QDBusMessage::SignalMessage);
    EXPECT_EQ(message.path(), QStringLiteral("/com/dovrane/Kestrova"));
    EXPECT_EQ(message.interface(), QStringLiteral("com.dovrane.Kestrova.Preferences"));
    EXPECT_EQ(message.member(), QStringLiteral("Changed"));
    EXPECT_EQ(message.arguments(),
        QVariantList(
            {QStringLiteral("Preferences Changed"), QStringLiteral("com.dovrane.Kestrova")}));
}

TEST_F(PreferencesNotifierTest, OtherStoreSeesTheChangeOnceTheNotificationArrives)
{
    PreferencesTestFolder folder;
    PreferencesDomain writerDomain(folder.paths());
    PreferencesDomain readerDomain(folder.paths());
    PreferencesNotifier writerNotifier(m_bus.connect(), KTBUNDLENAME);
    PreferencesNotifier readerNotifier(m_bus.connect(), KTBUNDLENAME);
    KTPreferences writer(writerDomain, &writerNotifier);
    KTPreferences reader(readerDomain, &readerNotifier);

    writer.setMountMethod(QStringLiteral("cifs"));
    writer.setDriveMapping(
        KTDriveMappingList {KTDriveMapping(QStringLiteral("H:"), QStringLiteral("\\\\home\\me"))});
    ASSERT_TRUE(writer.synchronizeChanges().succeeded());
    EXPECT_EQ(reader.mountMethod(), QStringLiteral("smb")) << "nothing arrived yet";
    ASSERT_TRUE(waitUntil([&] { return reader.mountMethod() == QStringLiteral("cifs"); }));
    ASSERT_TRUE(reader.driveMapping().has_value());
    EXPECT_EQ(
        reader.driveMapping()->first().mapTo(), std::optional(QStringLiteral("\\\\home\\me")));
}

TEST_F(PreferencesNotifierTest, NotificationWritesTheHearersPendingValues)
{
    // Hearing a change synchronises, and a synchronisation writes what is pending,
    // just as an explicit one does.
    PreferencesTestFolder folder;
    PreferencesDomain writerDomain(folder.paths());
    PreferencesDomain hearerDomain(folder.paths());
    PreferencesNotifier writerNotifier(m_bus.connect(), KTBUNDLENAME);
    PreferencesNotifier hearerNotifier(m_bus.connect(), KTBUNDLENAME);
    KTPreferences writer(writerDomain, &writerNotifier);
    KTPreferences hearer(hearerDomain, &hearerNotifier);

    hearer.setShowDetails(true);
    writer.setCreateAlias(true);
    ASSERT_TRUE(writer.synchronizeChanges().succeeded());
    ASSERT_TRUE(waitUntil([&] { return hearer.createAlias(); }));
    EXPECT_EQ(folder.userFileObject(), jsonObject(R"({"createAlias": true, "showDetails": true})"));
}

TEST(PreferencesNotifier, WithoutABusLogsOneLineAndTheStoreWorksOn)
{
    PreferencesTestFolder folder;
    LogCapture log;
    const QString name = QStringLiteral("kestrova-no-bus");
    {
        PreferencesNotifier notifier(
            QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"), name),
            KTBUNDLENAME);
        EXPECT_FALSE(notifier.isConnected());
        PreferencesDomain domain(folder.paths());
        KTPreferences preferences(domain, &notifier);
        preferences.setUseQuotationMarks(true);
        EXPECT_TRUE(preferences.synchronizeChanges().succeeded());
        EXPECT_EQ(folder.userFileObject(), jsonObject(R"({"useQuotationMarks": true})"));
    }
    QDBusConnection::disconnectFromBus(name);
    ASSERT_EQ(log.lines().size(), 1) << log.lines().join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(log.lines().first().startsWith(QStringLiteral("No session bus")));
}

#include "PreferencesNotifierTest.moc"
