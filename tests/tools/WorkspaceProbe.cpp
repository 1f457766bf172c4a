// Prints what the workspace makes of files, one line each:
//   workspace-probe FILE...   ->
//   FILE<TAB>CONTENT-TYPE<TAB>DEFAULT-APPLICATION-ID<TAB>program|document
// Tests run it in a private desktop environment (XDG_* variables) to see the desktop
// the way a freshly started application would.
#include "workspace/DesktopApplication.h"
#include "workspace/ProgramTarget.h"
#include "workspace/Workspace.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    QTextStream out(stdout);
    Workspace workspace;
    for (const QString& path : QCoreApplication::arguments().mid(1)) {
        const std::optional<DesktopApplication> handler = workspace.applicationForFile(path);
        const ProgramTargetVerdict verdict = ProgramTarget::examine(path);
        out << path << '\t' << workspace.contentTypeForFile(path) << '\t'
            << (handler ? handler->id() : QStringLiteral("-")) << '\t'
            << (verdict.isProgram() ? "program" : "document") << '\n';
    }
    return 0;
}
