// workspace-probe FILE... prints FILE<TAB>TYPE<TAB>APPLICATION-ID<TAB>program|document,
// for tests that look at the desktop from a freshly started process.
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
