#include "diagnostics/ExceptionLog.h"

#include "diagnostics/FatalSignalHandler.h"
#include "diagnostics/TerminateHandler.h"
#include "diagnostics/ThrowHook.h"
#include "diagnostics/YCExceptionHandler.h"

#include <QDir>

namespace ExceptionLog {

QString defaultPath()
{
    QString stateFolder = qEnvironmentVariable("XDG_STATE_HOME");
    if (!QDir::isAbsolutePath(stateFolder))
        stateFolder = QDir::homePath() + QStringLiteral("/.local/state");
    return stateFolder + QStringLiteral("/kestrova/exceptions.log");
}

void install(const QString& path)
{
    // Never destroyed: exceptions thrown while the process ends are reported too.
    auto* handler = new YCExceptionHandler(path);
    TerminateHandler::install(handler);
    (void)FatalSignalHandler::install(handler);
    ThrowHook::install(handler);
}

}
