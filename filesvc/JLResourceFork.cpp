#include "filesvc/JLResourceFork.h"

#include "filesvc/AppleDoubleSidecar.h"
#include "filesvc/GvfsFiles.h"
#include "filesvc/JLCarbonUtilities.h"
#include "platform/FileNames.h"
#include "platform/GvfsPath.h"
#include "platform/SystemLog.h"

#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

// Reference numbers are handed out once per process, as the Resource Manager does.
qint32 nextFileReference()
{
    static qint32 last = 0;
    return ++last;
}

Failure openFailure(const QString& path, const QString& why)
{
    return Failure {path + QStringLiteral(": ") + why};
}

// A name becomes a Pascal string of at most 255 Mac Roman bytes, or no name at all.
std::optional<QByteArray> resourceName(const std::optional<QString>& name)
{
    if (!name || name->isEmpty())
        return std::nullopt;
    const std::optional<QByteArray> pascal = JLCarbonUtilities::pascalString(*name);
    if (!pascal)
        return std::nullopt;
    return pascal->sliced(1, quint8(pascal->at(0)));
}

// Through GIO, which asks the share's GVfs daemon: GVfs's FUSE folder would look the new
// name up first and fetch the new file's attributes after, a round trip to the server each.
Result<bool> createInShare(const QString& path)
{
    const GvfsFiles::Attempt created = GvfsFiles::create(path, QByteArray());
    if (created.outcome == GvfsFiles::Outcome::Failed)
        return openFailure(path, created.reason);
    return created.outcome == GvfsFiles::Outcome::Done;
}

// Creates the file, empty; an existing file is left as it is. True when it was created:
// its fork is then empty and reaches the sidecar when the fork is closed. In a share GIO
// finds a missing folder itself: GVfs's FUSE folder would ask the server once more.
Result<bool> createFile(const QString& path)
{
    const QFileInfo info(path);
    if (info.fileName().size() > JLResourceFork::kMaxFileNameLength)
        return openFailure(path, QStringLiteral("the name is longer than 1024 characters"));
    if (GvfsPath::isServed(path))
        return createInShare(path);
    if (!JLCarbonUtilities::getFSRef(info.absolutePath()))
        return openFailure(path, QStringLiteral("its folder does not exist"));
    const int fd = ::open(FileNames::encode(path).constData(),
        O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd < 0) {
        if (errno == EEXIST)
            return false;
        return openFailure(path, QString::fromLocal8Bit(std::strerror(errno)));
    }
    ::close(fd);
    return true;
}

Result<ResourceFork> readFork(const QString& path, bool forWriting)
{
    struct stat status { };
    if (::stat(FileNames::encode(path).constData(), &status) != 0 || !S_ISREG(status.st_mode))
        return openFailure(path, QStringLiteral("is no file"));
    Result<std::optional<AppleDoubleFile>> sidecar = AppleDoubleSidecar::read(path);
    if (!sidecar)
        return sidecar.failure();
    if (!*sidecar || (*sidecar)->resourceFork.isEmpty())
        return openFailure(path, QStringLiteral("has no resource fork"));
    if (forWriting && !(*sidecar)->rewritable)
        return openFailure(
            path, QStringLiteral("its sidecar holds more than a fork and Finder information"));
    Result<ResourceFork> fork = ResourceForkFormat::parse((*sidecar)->resourceFork);
    if (!fork)
        return openFailure(path, fork.reason());
    return fork;
}

}

JLResourceFork::JLResourceFork(QString path, qint8 permission, ResourceFork fork)
    : m_path(std::move(path))
    , m_permission(permission)
    , m_fork(std::move(fork))
    , m_fileReference(nextFileReference())
{
}

JLResourceFork::~JLResourceFork()
{
    if (m_fileReference == 0)
        return;
    SystemLog::write(QStringLiteral(
        "JLAlias ERROR: you neglected to call closeFile: before disposing this JLResourceFork"));
    (void)closeFile();
}

Result<std::unique_ptr<JLResourceFork>> JLResourceFork::open(qint8 permission, const QString& path)
{
    if (permission < kReadPermission || permission > kSharedReadWritePermission)
        return openFailure(path, QStringLiteral("permission %1 is not known").arg(permission));
    const bool forWriting = (permission & 6) != 0;
    if (forWriting) {
        Result<bool> created = createFile(path);
        if (!created)
            return created.failure();
        if (*created) {
            std::unique_ptr<JLResourceFork> fork(
                new JLResourceFork(path, permission, ResourceFork()));
            fork->m_changed = true;
            fork->m_fileIsNew = true;
            return fork;
        }
    }
    Result<ResourceFork> fork = readFork(path, forWriting);
    if (!fork)
        return fork.failure();
    return std::unique_ptr<JLResourceFork>(new JLResourceFork(path, permission, std::move(*fork)));
}

std::unique_ptr<JLResourceFork> JLResourceFork::initForPermission(
    qint8 permission, const QString& path)
{
    Result<std::unique_ptr<JLResourceFork>> fork = open(permission, path);
    return fork ? std::move(*fork) : nullptr;
}

std::unique_ptr<JLResourceFork> JLResourceFork::initForPermission(qint8 permission, const QUrl& url)
{
    if (!url.isLocalFile())
        return nullptr;
    return initForPermission(permission, url.toLocalFile());
}

std::unique_ptr<JLResourceFork> JLResourceFork::initForReadingAtURL(const QUrl& url)
{
    return initForPermission(kReadPermission, url);
}

std::unique_ptr<JLResourceFork> JLResourceFork::initForWritingAtURL(const QUrl& url)
{
    return initForPermission(kWritePermission, url);
}

std::unique_ptr<JLResourceFork> JLResourceFork::initForReadingAtPath(const QString& path)
{
    if (!JLCarbonUtilities::getFSRef(path))
        return nullptr;
    return initForReadingAtURL(QUrl::fromLocalFile(path));
}

std::unique_ptr<JLResourceFork> JLResourceFork::initForWritingAtPath(const QString& path)
{
    return initForWritingAtURL(QUrl::fromLocalFile(path));
}

bool JLResourceFork::writable() const
{
    return (m_permission & 6) != 0;
}

bool JLResourceFork::addData(
    const QByteArray& data, quint32 type, qint16 id, const std::optional<QString>& name)
{
    if (!mayChange() || data.size() > ResourceForkFormat::kMaxForkSize)
        return false;
    m_fork.put(Resource {type, id, resourceName(name), 0, data, 0});
    m_changed = true;
    return true;
}

bool JLResourceFork::addData(
    const QByteArray& data, quint32 type, const std::optional<QString>& name)
{
    if (!name)
        SystemLog::write(QStringLiteral("Adding a resource without specifying the name of id."));
    for (qint32 id = 1; id <= 32767; ++id) {
        if (!m_fork.find(type, qint16(id)))
            return addData(data, type, qint16(id), name);
    }
    return false;
}

std::optional<QByteArray> JLResourceFork::dataForType(quint32 type, qint16 id) const
{
    const Resource* resource = m_fileReference > 0 ? m_fork.find(type, id) : nullptr;
    return resource ? std::optional<QByteArray>(resource->data) : std::nullopt;
}

std::optional<QByteArray> JLResourceFork::dataForType(
    quint32 type, const std::optional<QString>& name) const
{
    if (!name)
        return dataForType(type, qint16(0));
    const std::optional<QByteArray> pascal = resourceName(name);
    const Resource* resource =
        m_fileReference > 0 && pascal ? m_fork.findNamed(type, *pascal) : nullptr;
    return resource ? std::optional<QByteArray>(resource->data) : std::nullopt;
}

bool JLResourceFork::removeType(quint32 type, qint16 id)
{
    if (m_fileReference == 0)
        return false;
    if (!m_fork.find(type, id))
        return true;
    if (!writable())
        return false;
    m_fork.remove(type, id);
    m_changed = true;
    return true;
}

std::optional<QString> JLResourceFork::nameOfResourceType(quint32 type, qint16 id) const
{
    const Resource* resource = m_fileReference > 0 ? m_fork.find(type, id) : nullptr;
    if (!resource)
        return std::nullopt;
    QByteArray pascal(1, char(resource->name.value_or(QByteArray()).size()));
    pascal.append(resource->name.value_or(QByteArray()));
    return JLCarbonUtilities::stringWithPascalString(pascal).value_or(QString());
}

std::optional<qint16> JLResourceFork::getId(quint32 type, const QString& name) const
{
    const std::optional<QByteArray> pascal = resourceName(name);
    const Resource* resource =
        m_fileReference > 0 && pascal ? m_fork.findNamed(type, *pascal) : nullptr;
    return resource ? std::optional<qint16>(resource->id) : std::nullopt;
}

std::optional<quint16> JLResourceFork::getAttributeFlags(quint32 type, qint16 id) const
{
    const Resource* resource = m_fileReference > 0 ? m_fork.find(type, id) : nullptr;
    return resource ? std::optional<quint16>(resource->attributes) : std::nullopt;
}

bool JLResourceFork::setAttributeFlags(quint16 attributes, quint32 type, qint16 id)
{
    if (!mayChange())
        return false;
    for (Resource& resource : m_fork.resources) {
        if (resource.type == type && resource.id == id) {
            resource.attributes = quint8(attributes & 0xFFDD);
            m_changed = true;
            return true;
        }
    }
    return false;
}

std::optional<QByteArray> JLResourceFork::dataForEntireResourceFork() const
{
    if (m_fileReference == 0)
        return std::nullopt;
    Result<QByteArray> bytes = ResourceForkFormat::serialize(m_fork);
    return bytes ? std::optional<QByteArray>(std::move(*bytes)) : std::nullopt;
}

bool JLResourceFork::writeEntireResourceFork(const QByteArray& data)
{
    if (!mayChange() || data.isEmpty())
        return false;
    std::optional<QByteArray> current = dataForEntireResourceFork();
    if (!current)
        return false;
    if (current->size() < data.size())
        current->resize(data.size());
    current->replace(0, data.size(), data);
    Result<ResourceFork> fork = ResourceForkFormat::parse(*current);
    if (!fork)
        return false;
    m_fork = std::move(*fork);
    m_changed = true;
    return true;
}

std::unique_ptr<ResourceTypeEnumerator> JLResourceFork::resourceTypeEnumerator() const
{
    return std::make_unique<ResourceTypeEnumerator>(
        m_fileReference > 0 ? m_fork.types() : QList<quint32>());
}

QList<quint32> JLResourceFork::everyResourceType() const
{
    return resourceTypeEnumerator()->allObjects();
}

Result<void> JLResourceFork::closeFile()
{
    if (m_fileReference == 0)
        return {};
    m_fileReference = 0;
    if (!m_changed && !m_finderChange)
        return {};
    Result<QByteArray> bytes = ResourceForkFormat::serialize(m_fork);
    if (!bytes)
        return openFailure(m_path, bytes.reason());
    // The Finder information may have changed on disk since the fork was opened; only
    // the fork is this object's to write.
    const auto change = [&](AppleDoubleFile& contents) {
        contents.resourceFork = *bytes;
        if (m_finderChange) {
            FinderInformation info = FinderInformation::fromEntry(contents.finderInfo);
            m_finderChange(info);
            info.storeInto(contents.finderInfo);
        }
    };
    return m_fileIsNew ? AppleDoubleSidecar::updateOfNewFile(m_path, change)
                       : AppleDoubleSidecar::update(m_path, change);
}

void JLResourceFork::changeFinderInformationOnClose(std::function<void(FinderInformation&)> change)
{
    if (mayChange())
        m_finderChange = std::move(change);
}

ResourceTypeEnumerator::ResourceTypeEnumerator(QList<quint32> types)
    : m_types(std::move(types))
    , m_numberOfTypes(qint16(qMin<qsizetype>(m_types.size(), 32767)))
{
}

std::optional<quint32> ResourceTypeEnumerator::nextObject()
{
    if (m_typeIndex > m_numberOfTypes)
        return std::nullopt;
    return m_types.at(m_typeIndex++ - 1);
}

QList<quint32> ResourceTypeEnumerator::allObjects()
{
    QList<quint32> types;
    while (const std::optional<quint32> type = nextObject())
        types.append(*type);
    return types;
}

namespace ResourceForkData {

bool writeToResourceForkFile(const QByteArray& data, const QString& path, quint32 type, qint16 id,
    const std::optional<QString>& name)
{
    return writeToResourceForkURL(data, QUrl::fromLocalFile(path), type, id, name);
}

bool writeToResourceForkURL(const QByteArray& data, const QUrl& url, quint32 type, qint16 id,
    const std::optional<QString>& name)
{
    const std::unique_ptr<JLResourceFork> fork = JLResourceFork::initForWritingAtURL(url);
    if (!fork)
        return false;
    const bool added = fork->addData(data, type, id, name);
    return fork->closeFile().ok() && added;
}

std::optional<QByteArray> dataWithResourceForkContentsOfFile(
    const QString& path, quint32 type, qint16 id)
{
    return dataWithResourceForkContentsOfURL(QUrl::fromLocalFile(path), type, id);
}

std::optional<QByteArray> dataWithResourceForkContentsOfURL(
    const QUrl& url, quint32 type, qint16 id)
{
    const std::unique_ptr<JLResourceFork> fork = JLResourceFork::initForReadingAtURL(url);
    if (!fork)
        return std::nullopt;
    std::optional<QByteArray> data = fork->dataForType(type, id);
    (void)fork->closeFile();
    return data;
}

std::optional<QByteArray> dataWithResourceForkContentsOfFile(
    const QString& path, quint32 type, const std::optional<QString>& name)
{
    return dataWithResourceForkContentsOfURL(QUrl::fromLocalFile(path), type, name);
}

std::optional<QByteArray> dataWithResourceForkContentsOfURL(
    const QUrl& url, quint32 type, const std::optional<QString>& name)
{
    const std::unique_ptr<JLResourceFork> fork = JLResourceFork::initForReadingAtURL(url);
    if (!fork)
        return std::nullopt;
    std::optional<QByteArray> data = fork->dataForType(type, name);
    (void)fork->closeFile();
    return data;
}

}
