#include "TerminationSignals.h"

#include "platform/SystemLog.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

// The pipe's ends; -1 while no object is installed.
int readEnd = -1;
int writeEnd = -1;

extern "C" void noteSignal(int signalNumber)
{
    const int savedErrno = errno;
    const unsigned char number = static_cast<unsigned char>(signalNumber);
    // A full pipe already holds a signal to act on; losing this one changes nothing.
    [[maybe_unused]] const ssize_t written = ::write(writeEnd, &number, 1);
    errno = savedErrno;
}

}

TerminationSignals::TerminationSignals(QObject* parent)
    : QObject(parent)
{
    int ends[2];
    if (readEnd >= 0 || ::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) {
        SystemLog::write(QStringLiteral("Termination signals are not handled"));
        return;
    }
    readEnd = ends[0];
    writeEnd = ends[1];
    m_notifier = std::make_unique<QSocketNotifier>(readEnd, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &TerminationSignals::readPipe);
    struct sigaction action { };
    action.sa_handler = noteSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int number : kSignals)
        ::sigaction(number, &action, nullptr);
}

TerminationSignals::~TerminationSignals()
{
    if (!m_notifier)
        return;
    for (int number : kSignals)
        (void)::signal(number, SIG_DFL);
    m_notifier.reset();
    ::close(readEnd);
    ::close(writeEnd);
    readEnd = writeEnd = -1;
}

void TerminationSignals::readPipe()
{
    unsigned char numbers[16];
    const ssize_t count = ::read(readEnd, numbers, sizeof numbers);
    for (ssize_t index = 0; index < count; ++index)
        Q_EMIT received(numbers[index]);
}
