// `kestrova`, as the desktop and the user run it. A double click runs it for every
// shortcut opened, and nearly always a running instance serves the request: so this
// program loads no more than Qt Core and GIO (loading Qt's GUI libraries alone takes
// longer than the whole handover), hands open, open-link and copy-path requests to the
// instance itself, and runs `info`, which needs the reader alone. It becomes the full
// program (kestrova-app, by exec, with the same arguments) for everything else: the
// other commands, a command line it does not understand, and a request that no
// instance takes.
#include "cli/CommandOperands.h"
#include "cli/HandoverRequest.h"
#include "cli/InfoCommand.h"
#include "instance/BusHandover.h"
#include "platform/StepTrace.h"

#include <QFile>
#include <QString>
#include <QStringList>

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>

namespace {

// Where the full program lies, relative to this program's folder: beside it in the
// build tree, in the library-executables folder once installed.
const char* const fullProgramPlaces[] = {"kestrova-app", KESTROVA_APP_FROM_BINDIR};

std::optional<AppRequest> handoverRequest(const QString& command, const QStringList& arguments)
{
    const std::optional<HandoverRequest> read = HandoverRequests::read(command, arguments);
    return read ? read->request : std::nullopt;
}

QByteArray ownFolder()
{
    char path[4096];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0)
        return {};
    const QByteArray self(path, length);
    return self.left(self.lastIndexOf('/') + 1);
}

[[noreturn]] void becomeFullProgram(char* argv[])
{
    StepTrace::step("front: exec full program");
    const QByteArray folder = ownFolder();
    int lastError = ENOENT;
    for (const char* place : fullProgramPlaces) {
        const QByteArray program = folder + place;
        ::execv(program.constData(), argv);
        lastError = errno;
    }
    (void)std::fprintf(stderr, "kestrova: cannot start %skestrova-app: %s\n", folder.constData(),
        std::strerror(lastError));
    std::_Exit(2);
}

}

int main(int argc, char* argv[])
{
    StepTrace::step("front: main");
    QStringList arguments = CommandOperands::commandLine(argc, argv);
    const QString command = arguments.isEmpty() ? QString() : arguments.takeFirst();
    if (command == QLatin1String("info"))
        return runInfoCommand(arguments);
    if (const std::optional<AppRequest> request = handoverRequest(command, arguments)) {
        StepTrace::step("front: request read");
        const BusHandover::Reply reply = BusHandover::handOver(*request);
        StepTrace::step("front: answered");
        if (reply.result == BusHandover::Result::Answered)
            return HandoverRequests::report(reply.outcome);
        if (reply.result == BusHandover::Result::NoInstance)
            BusHandover::noteNoInstanceFound();
    }
    becomeFullProgram(argv);
}
