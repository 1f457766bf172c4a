// kestrova-settings: the settings window. One per session: a second start raises the
// first one's window and ends.
#include "KestrovaPrefsPref.h"
#include "PrefsWindow.h"
#include "SettingsInstance.h"
#include "TerminationSignals.h"
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

    SettingsInstance instance(QDBusConnection::sessionBus());
    if (instance.claim() == SettingsInstance::Role::Later)
        return 0;
    const TerminationSignals termination;

    KestrovaPrefsPref pane(KTPreferences::defaultKTPreferences());
    pane.setHelpDocumentPath(helpDocumentPath());
    PrefsWindow window(pane);
    QObject::connect(
        &instance, &SettingsInstance::activationRequested, &window, &PrefsWindow::present);
    QObject::connect(
        &termination, &TerminationSignals::received, &window, &PrefsWindow::endProgram);
    QObject::connect(&application, &QGuiApplication::commitDataRequest, &window,
        &PrefsWindow::saveForSessionEnd);
    QObject::connect(
        &application, &QCoreApplication::aboutToQuit, &window, &PrefsWindow::leavePane);
    window.present();
    return QApplication::exec();
}
