// A separate process for the tests of the shared preferences: it uses the process's
// own store, over the XDG folders and the session bus of its environment, as the
// application does.
//
//   preferences_worker watch VALUE     prints "ready", then waits until mountMethod reads
//                                      VALUE and prints "seen VALUE"
//   preferences_worker count KEY N     sets KEY (mountMethod or driveMapping) to its
//                                      values 1..N, synchronising after each
//   preferences_worker alternate       prints "writing", then writes two whole sets of
//                                      values in turn until it is killed
//
// Exit status: 0 done, 1 usage, 2 a synchronisation failed, 3 the wait timed out.

#include "platform/SystemLog.h"
#include "preferences/KTPreferences.h"

#include <QCoreApplication>
#include <QTextStream>
#include <QTimer>

namespace {

constexpr int watchTimeoutMilliseconds = 60000;

void say(const QString& line)
{
    QTextStream(stdout) << line << Qt::endl;
}

int watch(const QString& expected)
{
    KTPreferences& preferences = KTPreferences::defaultKTPreferences();
    say(QStringLiteral("ready"));
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (preferences.mountMethod() == expected) {
            say(QStringLiteral("seen ") + expected);
            QCoreApplication::exit(0);
        }
    });
    poll.start(5);
    QTimer giveUp;
    giveUp.setSingleShot(true);
    QObject::connect(&giveUp, &QTimer::timeout, [] { QCoreApplication::exit(3); });
    giveUp.start(watchTimeoutMilliseconds);
    return QCoreApplication::exec();
}

void setNumberedValue(KTPreferences& preferences, const QString& key, int number)
{
    if (key == KTMOUNTMETHODSTR) {
        preferences.setMountMethod(QStringLiteral("method-%1").arg(number));
        return;
    }
    preferences.setDriveMapping(KTDriveMappingList {
        KTDriveMapping(QStringLiteral("Z:"), QStringLiteral("\\\\srv\\share-%1").arg(number))});
}

int count(const QString& key, int last)
{
    KTPreferences& preferences = KTPreferences::defaultKTPreferences();
    for (int number = 1; number <= last; ++number) {
        setNumberedValue(preferences, key, number);
        if (!preferences.synchronizeChanges().succeeded())
            return 2;
        // Hears the other writers' notifications, so their synchronisations interleave
        // with this one's.
        QCoreApplication::processEvents();
    }
    return 0;
}

void setWholeSet(KTPreferences& preferences, bool first)
{
    preferences.setMountMethod(first ? QStringLiteral("afp") : QStringLiteral("nfs"));
    preferences.setCreateAlias(first);
    preferences.setUseBackwardSlash(first);
    preferences.setMappingEnabled(first);
    preferences.setShowDetails(first);
    preferences.setUseQuotationMarks(first);
    preferences.setDfsInstalled(first);
    preferences.setDriveMapping(first
            ? KTDriveMappingList {KTDriveMapping(QStringLiteral("X:"), QStringLiteral("\\\\a\\a"))}
            : KTDriveMappingList {KTDriveMapping(QStringLiteral("Y:"), QStringLiteral("\\\\b\\b")),
                KTDriveMapping(QStringLiteral("Z:"), QStringLiteral("\\\\c\\c"))});
}

int alternate()
{
    KTPreferences& preferences = KTPreferences::defaultKTPreferences();
    say(QStringLiteral("writing"));
    for (bool first = false;; first = !first) {
        setWholeSet(preferences, first);
        if (!preferences.synchronizeChanges().succeeded())
            return 2;
    }
}

}

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    // The test reads the log lines from stderr, whatever stderr is.
    SystemLog::setSink(
        [](const QString& line) { QTextStream(stderr) << "log: " << line << Qt::endl; });
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    const QString command = arguments.value(0);
    if (command == QLatin1String("watch") && arguments.size() == 2)
        return watch(arguments.at(1));
    if (command == QLatin1String("count") && arguments.size() == 3)
        return count(arguments.at(1), arguments.at(2).toInt());
    if (command == QLatin1String("alternate") && arguments.size() == 1)
        return alternate();
    QTextStream(stderr) << "usage: preferences_worker watch VALUE | count KEY N | alternate\n";
    return 1;
}
