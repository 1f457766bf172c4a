// kestrova-settings: the settings window. One per session: a second start raises the
// first one's window and ends.
#include "KTPrefsWindow.h"
#include "KTSettingsInstance.h"
#include "KTTerminationSignals.h"
#include "KestrovaPrefsPref.h"
#include "diagnostics/ExceptionLog.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QIcon>

namespace {

// ReadMe.html where the program is installed, else in the source tree it was built
// from; none when neither holds it.
std::optional<QString> helpDocumentPath()
{
    const QString installed = QDir(QCoreApplication::applicationDirPath())
                                  .filePath(QStringLiteral(KESTROVA_HELP_FROM_BINDIR));
    for (const QString& path : {installed, QStringLiteral(KESTROVA_HELP_IN_SOURCE)}) {
        if (QFileInfo(path).isFile())
            return QDir::cleanPath(path);
    }
    return std::nullopt;
}

}

int main(int argc, char* argv[])
{
    ExceptionLog::install();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kestrova-settings"));
    QApplication::setApplicationDisplayName(QStringLiteral("Kestrova Settings"));
    QApplication::setDesktopFileName(QStringLiteral("com.dovrane.Kestrova.Settings"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("com.dovrane.Kestrova")));

    KTSettingsInstance instance(QDBusConnection::sessionBus());
    if (instance.claim() == KTSettingsInstance::Role::Later)
        return 0;
    const KTTerminationSignals termination;

    KestrovaPrefsPref pane(KTPreferences::defaultKTPreferences());
    pane.setHelpDocumentPath(helpDocumentPath());
    KTPrefsWindow window(pane);
    QObject::connect(
        &instance, &KTSettingsInstance::activationRequested, &window, &KTPrefsWindow::present);
    QObject::connect(
        &termination, &KTTerminationSignals::received, &window, &KTPrefsWindow::endProgram);
    QObject::connect(&application, &QGuiApplication::commitDataRequest, &window,
        &KTPrefsWindow::saveForSessionEnd);
    QObject::connect(
        &application, &QCoreApplication::aboutToQuit, &window, &KTPrefsWindow::leavePane);
    window.present();
    return QApplication::exec();
}
