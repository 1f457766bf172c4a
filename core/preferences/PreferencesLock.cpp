#include "preferences/PreferencesLock.h"

#include "platform/FileNames.h"

#include <QDeadlineTimer>

#include <fcntl.h>
#include <sys/file.h>

#include <cerrno>
#include <cstring>
#include <thread>

namespace {

constexpr std::chrono::milliseconds retryInterval {2};

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

}

PreferencesLock::PreferencesLock(const QString& lockFile, std::chrono::milliseconds timeout)
{
    m_lockFile.reset(
        ::open(FileNames::encode(lockFile).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    if (!m_lockFile.isOpen()) {
        const int error = errno;
        m_failure =
            QStringLiteral("cannot open the lock file %1: %2").arg(lockFile, systemError(error));
        return;
    }
    // flock cannot wait with a timeout, so a busy lock is polled until the deadline.
    const QDeadlineTimer deadline(timeout);
    while (::flock(m_lockFile.get(), LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        if (error == EINTR)
            continue;
        if (error != EWOULDBLOCK) {
            m_failure = QStringLiteral("cannot lock %1: %2").arg(lockFile, systemError(error));
            return;
        }
        if (deadline.hasExpired()) {
            m_failure = QStringLiteral("%1 stayed locked by another process for %2 ms")
                            .arg(lockFile)
                            .arg(timeout.count());
            return;
        }
        std::this_thread::sleep_for(retryInterval);
    }
}
