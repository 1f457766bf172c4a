#include "filesvc/JLAlias.h"

#include "filesvc/AliasRecordFacts.h"
#include "filesvc/JLCarbonUtilities.h"
#include "filesvc/MountedVolumes.h"

#include <QFileInfo>

namespace {

// Alias files can point at alias files; a chain longer than this is a loop.
constexpr int kMaxAliasChain = 16;

}

JLAlias::JLAlias(QByteArray record)
    : m_aliasHandle(std::move(record))
{
}

// Kestrova's records are absolute, so a base path changes nothing.
std::unique_ptr<JLAlias> JLAlias::initWithPath(const QString& path, const std::optional<QString>&)
{
    const std::optional<FSRef> ref = FSRef::fromPath(path);
    return ref ? initWithFSRef(*ref) : nullptr;
}

std::unique_ptr<JLAlias> JLAlias::initWithURL(const QUrl& url, const std::optional<QUrl>&)
{
    const std::optional<FSRef> ref = JLCarbonUtilities::getFSRef(url);
    if (!ref)
        return nullptr;
    return initWithFSRef(*ref);
}

std::unique_ptr<JLAlias> JLAlias::initWithFSRef(const FSRef& ref)
{
    std::unique_ptr<JLAlias> alias(new JLAlias(QByteArray()));
    if (!alias->makeRecordFor(ref))
        return nullptr;
    alias->m_changed = false;
    return alias;
}

// Leaves the alias as it was when no record can be made.
bool JLAlias::makeRecordFor(const FSRef& ref)
{
    std::optional<FinderInformation> finderInfo;
    const Result<AliasRecord> record =
        AliasRecordFacts::recordForPath(ref.path(), MountedVolumes::current(), &finderInfo);
    if (!record)
        return false;
    Result<QByteArray> bytes = AliasRecordFormat::serialize(*record);
    if (!bytes || bytes->isEmpty())
        return false;
    m_changed = *bytes != m_aliasHandle;
    m_aliasHandle = std::move(*bytes);
    m_madeFor = MadeFor {ref, finderInfo};
    return true;
}

std::unique_ptr<JLAlias> JLAlias::initWithData(QByteArrayView data)
{
    if (data.isEmpty())
        return nullptr;
    return std::unique_ptr<JLAlias>(new JLAlias(data.toByteArray()));
}

std::unique_ptr<JLAlias> JLAlias::initWithCoder(QDataStream& coder)
{
    QByteArray data;
    coder >> data;
    if (coder.status() != QDataStream::Ok)
        return nullptr;
    return initWithData(data);
}

void JLAlias::encodeWithCoder(QDataStream& coder) const
{
    coder << m_aliasHandle;
}

Result<FSRef> JLAlias::resolve()
{
    Result<AliasRecord> record = AliasRecordFormat::parse(m_aliasHandle);
    if (!record)
        return record.failure();
    Result<AliasRecordFacts::Resolution> found = AliasRecordFacts::resolve(*record, m_mountFlags);
    if (!found)
        return found.failure();
    const std::optional<FSRef> ref = FSRef::fromPath(found->path);
    if (!ref)
        return Failure {found->path + QStringLiteral(": the alias's target is gone")};
    if (found->moved) {
        // The record follows its target, keeping the share it was made on.
        std::optional<FinderInformation> finderInfo;
        Result<AliasRecord> renewed =
            AliasRecordFacts::recordForPath(ref->path(), MountedVolumes::current(), &finderInfo);
        if (renewed) {
            if (const std::optional<QByteArray> share = record->tagData(AliasRecord::MountURL))
                renewed->setTag(AliasRecord::MountURL, *share);
            if (Result<QByteArray> bytes = AliasRecordFormat::serialize(*renewed)) {
                m_aliasHandle = std::move(*bytes);
                m_madeFor = MadeFor {*ref, finderInfo};
                m_changed = true;
            }
        }
    } else {
        m_changed = false;
    }
    return *ref;
}

std::optional<FSRef> JLAlias::getFSRef()
{
    Result<FSRef> ref = resolve();
    return ref ? std::optional<FSRef>(*ref) : std::nullopt;
}

std::optional<QUrl> JLAlias::URL()
{
    const std::optional<FSRef> ref = getFSRef();
    return ref ? JLCarbonUtilities::URLWithFSRef(*ref) : std::nullopt;
}

std::optional<QString> JLAlias::path()
{
    const std::optional<FSRef> ref = getFSRef();
    return ref ? JLCarbonUtilities::stringWithFSRef(*ref) : std::nullopt;
}

std::optional<QString> JLAlias::displayName()
{
    const std::optional<QString> target = path();
    if (!target)
        return std::nullopt;
    const std::optional<MountedVolume> volume =
        MountedVolumes::holding(MountedVolumes::current(), *target);
    if (volume && volume->mountPoint == *target)
        return volume->name;
    return QFileInfo(*target).fileName();
}

std::optional<JLAlias::RecordedTarget> JLAlias::recordedTarget() const
{
    if (!m_madeFor || !JLCarbonUtilities::stringWithFSRef(m_madeFor->target))
        return std::nullopt;
    return RecordedTarget {m_madeFor->target.path(), m_madeFor->finderInfo};
}

std::optional<QString> JLAlias::lastKnownName() const
{
    const Result<AliasRecord> record = AliasRecordFormat::parse(m_aliasHandle);
    return record ? std::optional<QString>(AliasRecordFacts::storedName(*record)) : std::nullopt;
}

std::optional<QString> JLAlias::lastKnownVolumeName() const
{
    const Result<AliasRecord> record = AliasRecordFormat::parse(m_aliasHandle);
    return record ? std::optional<QString>(AliasRecordFacts::storedVolumeName(*record))
                  : std::nullopt;
}

std::optional<QString> JLAlias::lastKnownPath() const
{
    const Result<AliasRecord> record = AliasRecordFormat::parse(m_aliasHandle);
    return record ? AliasRecordFacts::storedPath(*record) : std::nullopt;
}

std::optional<QString> JLAlias::lastKnownShareURL() const
{
    const Result<AliasRecord> record = AliasRecordFormat::parse(m_aliasHandle);
    const std::optional<AliasRecordFacts::ShareLocation> share =
        record ? AliasRecordFacts::shareOf(*record) : std::nullopt;
    if (!share)
        return std::nullopt;
    return share->mountMethod + QLatin1Char(':') + share->share;
}

bool JLAlias::setURL(const QUrl& url, const std::optional<QUrl>&)
{
    const std::optional<FSRef> ref = JLCarbonUtilities::getFSRef(url);
    return ref && makeRecordFor(*ref);
}

bool JLAlias::setPath(const QString& path, const std::optional<QString>&)
{
    const std::optional<FSRef> ref = FSRef::fromPath(path);
    return ref && makeRecordFor(*ref);
}

bool JLAlias::isEqualToAlias(JLAlias* other)
{
    if (!other)
        return false;
    const std::optional<FSRef> mine = getFSRef();
    const std::optional<FSRef> theirs = other->getFSRef();
    return mine && theirs && mine->device() == theirs->device() && mine->inode() == theirs->inode();
}

JLAlias JLAlias::resolveIfIsAliasFile(bool* resolved)
{
    const auto answer = [&](bool value, JLAlias alias) {
        if (resolved)
            *resolved = value;
        return alias;
    };
    const std::optional<QString> target = path();
    if (!target)
        return answer(false, *this);
    QString current = *target;
    for (int hop = 0; hop < kMaxAliasChain; ++hop) {
        if (!JLCarbonUtilitiesFinderInfoFlags::isAliasFinderInfoFlag(current)) {
            if (hop == 0)
                return answer(true, *this);
            std::unique_ptr<JLAlias> final = initWithPath(current);
            return final ? answer(true, *final) : answer(false, *this);
        }
        std::unique_ptr<JLAlias> next = initWithContentsOfFile(current);
        std::optional<QString> nextPath = next ? next->path() : std::nullopt;
        if (!nextPath)
            return answer(false, *this);
        current = *nextPath;
    }
    return answer(false, *this);
}

void JLAlias::setAllowUserInteraction(bool allow)
{
    m_mountFlags = allow ? m_mountFlags & ~kMountFlagNoUserInteraction
                         : m_mountFlags | kMountFlagNoUserInteraction;
}

void JLAlias::setTryFileIDFirst(bool tryFirst)
{
    m_mountFlags = tryFirst ? m_mountFlags | kMountFlagTryFileIDFirst
                            : m_mountFlags & ~kMountFlagTryFileIDFirst;
}
