#include "workspace/ProcessTable.h"

#include <QByteArray>
#include <QFile>

namespace ProcessTable {
namespace {

// Deeper process trees than this are not real launch chains; the bound also ends
// the walk should /proc ever show a loop.
constexpr int kMaxAncestry = 64;

struct ProcessStatus {
    char state = '?';
    qint64 parent = 0;
};

// /proc/PID/stat is "pid (comm) state ppid ...", where comm may itself hold spaces and
// parentheses: the fields after it start after the last ')'.
std::optional<ProcessStatus> readStatus(qint64 pid)
{
    QFile file(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray line = file.read(1024);
    const qsizetype commEnd = line.lastIndexOf(')');
    if (commEnd < 0)
        return std::nullopt;
    const QList<QByteArray> fields = line.mid(commEnd + 1).simplified().split(' ');
    if (fields.size() < 2 || fields[0].size() != 1)
        return std::nullopt;
    bool parsed = false;
    ProcessStatus status {fields[0].at(0), fields[1].toLongLong(&parsed)};
    if (!parsed)
        return std::nullopt;
    return status;
}

}

bool isAlive(qint64 pid)
{
    if (pid <= 0)
        return false;
    const std::optional<ProcessStatus> status = readStatus(pid);
    return status && status->state != 'Z' && status->state != 'X';
}

std::optional<qint64> parentOf(qint64 pid)
{
    const std::optional<ProcessStatus> status = readStatus(pid);
    if (!status || status->parent <= 0)
        return std::nullopt;
    return status->parent;
}

bool isSelfOrDescendantOf(qint64 pid, qint64 ancestor, const ParentLookup& lookupParent)
{
    qint64 current = pid;
    for (int depth = 0; depth < kMaxAncestry && current > 1; ++depth) {
        if (current == ancestor)
            return true;
        const std::optional<qint64> parent = lookupParent(current);
        if (!parent)
            return false;
        current = *parent;
    }
    return current == ancestor;
}

}
