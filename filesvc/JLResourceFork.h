#pragma once

#include "filesvc/FinderInformation.h"
#include "filesvc/ResourceForkFormat.h"
#include "platform/Result.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>

class ResourceTypeEnumerator;

// The open resource fork of one file: resources addressed by a four-character type and
// an id or a name, kept in the AppleDouble sidecar "._NAME" beside the file NAME. The
// fork is read whole when it is opened and written whole, as one atomic replacement of
// the sidecar, by closeFile(); until then changes stay in memory. A sidecar that is
// malformed, or holds entries that a rewrite would lose, is refused, never replaced.
// Main thread only; not copyable.
class JLResourceFork {
public:
    // Permissions as the Resource Manager numbers them.
    static constexpr qint8 kReadPermission = 1;
    static constexpr qint8 kWritePermission = 2;
    static constexpr qint8 kReadWritePermission = 3;
    static constexpr qint8 kSharedReadWritePermission = 4;
    // The longest file name, in UTF-16 units, a fork can be opened for writing at.
    static constexpr qsizetype kMaxFileNameLength = 1024;

    // The one real opener, with the reason of a failure. With a write bit in permission
    // the file is created (empty, with an empty fork) when it does not exist. An existing
    // file without a resource map in its sidecar cannot be opened at all.
    static Result<std::unique_ptr<JLResourceFork>> open(qint8 permission, const QString& path);

    static std::unique_ptr<JLResourceFork> initForPermission(qint8 permission, const QString& path);
    static std::unique_ptr<JLResourceFork> initForPermission(qint8 permission, const QUrl& url);
    static std::unique_ptr<JLResourceFork> initForReadingAtURL(const QUrl& url);
    static std::unique_ptr<JLResourceFork> initForWritingAtURL(const QUrl& url);
    // Null without touching anything when no item exists at the path.
    static std::unique_ptr<JLResourceFork> initForReadingAtPath(const QString& path);
    static std::unique_ptr<JLResourceFork> initForWritingAtPath(const QString& path);

    // Closes the fork when its owner did not, and says so in the log.
    ~JLResourceFork();
    JLResourceFork(const JLResourceFork&) = delete;
    JLResourceFork& operator=(const JLResourceFork&) = delete;

    // Replaces any resource of the same type and id. A null or empty name, or one
    // without a Pascal-string form, leaves the resource unnamed.
    bool addData(
        const QByteArray& data, quint32 type, qint16 id, const std::optional<QString>& name);
    // The same under the lowest positive id not yet used for the type.
    bool addData(const QByteArray& data, quint32 type, const std::optional<QString>& name);
    std::optional<QByteArray> dataForType(quint32 type, qint16 id) const;
    // By name; with no name, the resource with id 0.
    std::optional<QByteArray> dataForType(quint32 type, const std::optional<QString>& name) const;
    // True when the resource was removed or there was none.
    bool removeType(quint32 type, qint16 id);
    // An unnamed resource has the empty name; none when there is no such resource.
    std::optional<QString> nameOfResourceType(quint32 type, qint16 id) const;
    std::optional<qint16> getId(quint32 type, const QString& name) const;
    std::optional<quint16> getAttributeFlags(quint32 type, qint16 id) const;
    // The changed (0x02) and purgeable (0x20) bits are never set.
    bool setAttributeFlags(quint16 attributes, quint32 type, qint16 id);

    // The fork's bytes as they would be written now; none for an empty fork.
    std::optional<QByteArray> dataForEntireResourceFork() const;
    // Writes the bytes over the fork from offset 0, without shortening it. Refused
    // (false) for empty data and when the result is no readable fork.
    bool writeEntireResourceFork(const QByteArray& data);

    std::unique_ptr<ResourceTypeEnumerator> resourceTypeEnumerator() const;
    QList<quint32> everyResourceType() const;

    // Writes the changes, if any, and closes; later calls do nothing. A failure leaves
    // the sidecar as it was and the fork closed.
    Result<void> closeFile();
    // Has closeFile() also change the file's Finder information, in the same write of
    // the sidecar: one atomic write (and its syncs) instead of two. Writable forks only.
    void changeFinderInformationOnClose(std::function<void(FinderInformation&)> change);

    // Greater than 0 while open, 0 once closed.
    qint32 fileReference() const { return m_fileReference; }
    const QString& path() const { return m_path; }

private:
    JLResourceFork(QString path, qint8 permission, ResourceFork fork);

    bool writable() const;
    bool mayChange() const { return m_fileReference > 0 && writable(); }

    QString m_path;
    qint8 m_permission;
    ResourceFork m_fork;
    bool m_changed = false;
    // The file was created by opening the fork, so that its sidecar is most likely new.
    bool m_fileIsNew = false;
    std::function<void(FinderInformation&)> m_finderChange;
    qint32 m_fileReference;
};

// The resource types of a fork, one after the other, as they were when it was made.
class ResourceTypeEnumerator {
public:
    explicit ResourceTypeEnumerator(QList<quint32> types);

    // None after the last type.
    std::optional<quint32> nextObject();
    QList<quint32> allObjects();

    qint16 numberOfTypes() const { return m_numberOfTypes; }
    qint16 typeIndex() const { return m_typeIndex; }

private:
    QList<quint32> m_types;
    qint16 m_numberOfTypes;
    qint16 m_typeIndex = 1;
};

// One call that opens a fork, writes or reads one resource and closes the fork again.
namespace ResourceForkData {

bool writeToResourceForkFile(const QByteArray& data, const QString& path, quint32 type, qint16 id,
    const std::optional<QString>& name);
bool writeToResourceForkURL(const QByteArray& data, const QUrl& url, quint32 type, qint16 id,
    const std::optional<QString>& name);
std::optional<QByteArray> dataWithResourceForkContentsOfFile(
    const QString& path, quint32 type, qint16 id);
std::optional<QByteArray> dataWithResourceForkContentsOfURL(
    const QUrl& url, quint32 type, qint16 id);
std::optional<QByteArray> dataWithResourceForkContentsOfFile(
    const QString& path, quint32 type, const std::optional<QString>& name);
std::optional<QByteArray> dataWithResourceForkContentsOfURL(
    const QUrl& url, quint32 type, const std::optional<QString>& name);

}
