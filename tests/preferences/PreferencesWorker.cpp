// Uses the process's own store over the XDG folders and bus of its environment, as the
// application does. "count KEY N" sets KEY (mountMethod or driveMapping) to its values 1..N,
// synchronising after each; "alternate" prints "writing", then writes two whole sets of
// values in turn until it is killed. Exit status: 0 done, 1 usage, 2 a synchronisation failed.
#include "platform/SystemLog.h"
#include "preferences/KTPreferences.h"

#include <QCoreApplication>
#include <QTextStream>

using namespace Qt::StringLiterals;

namespace {

void setNumberedValue(KTPreferences& preferences, const QString& key, int number)
{
    if (key == KTMOUNTMETHODSTR) {
        preferences.setMountMethod(u"method-%1"_s.arg(number));
        return;
    }
    preferences.setDriveMapping(
        DriveMappingList {KTDriveMapping(u"Z:"_s, u"\\\\srv\\share-%1"_s.arg(number))});
}

int count(const QString& key, int last)
{
    KTPreferences& preferences = KTPreferences::defaultKTPreferences();
    for (int number = 1; number <= last; ++number) {
        setNumberedValue(preferences, key, number);
        if (!preferences.synchronizeChanges().succeeded())
            return 2;
        // Hears the other writers, so that their synchronisations interleave with this one's.
        QCoreApplication::processEvents();
    }
    return 0;
}

void setWholeSet(KTPreferences& preferences, bool first)
{
    preferences.setMountMethod(first ? u"afp"_s : u"nfs"_s);
    for (auto setter : {&KTPreferences::setCreateAlias, &KTPreferences::setUseBackwardSlash,
             &KTPreferences::setMappingEnabled, &KTPreferences::setShowDetails,
             &KTPreferences::setUseQuotationMarks, &KTPreferences::setDfsInstalled})
        (preferences.*setter)(first);
    preferences.setDriveMapping(first ? DriveMappingList {KTDriveMapping(u"X:"_s, u"\\\\a\\a"_s)}
                                      : DriveMappingList {KTDriveMapping(u"Y:"_s, u"\\\\b\\b"_s),
                                          KTDriveMapping(u"Z:"_s, u"\\\\c\\c"_s)});
}

int alternate()
{
    KTPreferences& preferences = KTPreferences::defaultKTPreferences();
    QTextStream(stdout) << "writing" << Qt::endl;
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
    SystemLog::setSink([](const QString& line) { QTextStream(stderr) << line << Qt::endl; });
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments.value(0) == QLatin1String("count") && arguments.size() == 3)
        return count(arguments.at(1), arguments.at(2).toInt());
    if (arguments.value(0) == QLatin1String("alternate") && arguments.size() == 1)
        return alternate();
    QTextStream(stderr) << "usage: preferences_worker count KEY N | alternate\n";
    return 1;
}
