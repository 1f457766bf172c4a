// kestrova-settings: the settings window. One per session: a second start raises the
// first one's window and ends. With --enable-user-actions it turns on the file-manager
// actions of the window's section without a window, for enable-user-actions.sh.
#include "KestrovaPrefsPref.h"
#include "PrefsWindow.h"
#include "SettingsInstance.h"
#include "TerminationSignals.h"
#include "UserActionsCommand.h"
#include "diagnostics/ExceptionLog.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QIcon>

namespace {

// ReadMe.html where the program is installed, else in the source tree it was built
// from; none when neither holds it.
std::optional<QString> installedOrSourcePath(const char* fromBindir, const char* inSource)
{
    const QString installed =
        QDir(QCoreApplication::applicationDirPath()).filePath(QString::fromUtf8(fromBindir));
    for (const QString& path : {installed, QString::fromUtf8(inSource)}) {
        if (QFileInfo::exists(path))
            return QDir::cleanPath(path);
    }
    return std::nullopt;
}

std::optional<QString> helpDocumentPath()
{
    return installedOrSourcePath(KESTROVA_HELP_FROM_BINDIR, KESTROVA_HELP_IN_SOURCE);
}

std::optional<QString> fileManagerActionsFolder()
{
    return installedOrSourcePath(KESTROVA_ACTIONS_FROM_BINDIR, KESTROVA_ACTIONS_IN_SOURCE);
}

}

int main(int argc, char* argv[])
{
    ExceptionLog::install();
    if (argc == 2 && qstrcmp(argv[1], UserActionsCommand::kOption) == 0) {
        const QCoreApplication application(argc, argv);
        return UserActionsCommand::run(fileManagerActionsFolder());
    }
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
    pane.setFileManagerActionsFolder(fileManagerActionsFolder());
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
