#pragma once

#include "filesvc/FSRef.h"
#include "filesvc/FinderInformation.h"
#include "platform/Result.h"

#include <QByteArray>
#include <QDataStream>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <memory>
#include <optional>

// A persistent reference to a file, folder or volume that finds the item again after it
// was moved inside its folder or renamed there, and can mount the share it lies on
// again (through AliasMounting). It holds the bytes of a classic alias record
// (version 2, see AliasRecordFormat), which alias files keep as their 'alis' resource;
// records made on a Mac (versions 2 and 3) are read too. Resolving may rewrite the
// record, and then sets changed(). Main thread only, but for aliasReadyToWrite().
class JLAlias {
public:
    // Resolve without asking the user anything (for a password, say).
    static constexpr quint64 kMountFlagNoUserInteraction = 0x1;
    // Look for the file number inside the last known folder before trying the path.
    static constexpr quint64 kMountFlagTryFileIDFirst = 0x2;

    // Null when nothing exists at the path. With a base path where an item exists the
    // record is made for both; Kestrova's records are absolute either way.
    static std::unique_ptr<JLAlias> initWithPath(
        const QString& path, const std::optional<QString>& fromPath = std::nullopt);
    static std::unique_ptr<JLAlias> aliasWithPath(const QString& path)
    {
        return initWithPath(path);
    }
    // The same, with what writing its alias file takes of the target besides the record
    // (see WritingFacts) taken at once: writeAliasFile() then asks nothing of the target.
    // Safe on any thread; the alias then belongs to the thread it is handed to.
    static std::unique_ptr<JLAlias> aliasReadyToWrite(const QString& path);
    // Null for a URL that is no file URL or names nothing.
    static std::unique_ptr<JLAlias> initWithURL(
        const QUrl& url, const std::optional<QUrl>& fromURL = std::nullopt);
    static std::unique_ptr<JLAlias> initWithFSRef(const FSRef& ref);
    // Null for empty data. The bytes are kept as they are; a record that cannot be read
    // still gives an alias, which does not resolve.
    static std::unique_ptr<JLAlias> initWithData(QByteArrayView data);
    static std::unique_ptr<JLAlias> initWithCoder(QDataStream& coder);
    void encodeWithCoder(QDataStream& coder) const;

    // Alias files (JLAliasAliasFile.cpp): null when the file has no readable fork, no
    // 'alis' 0 resource, or an empty one. The path form first checks that the file exists.
    static std::unique_ptr<JLAlias> initWithContentsOfFile(const QString& path);
    static std::unique_ptr<JLAlias> initWithContentsOfURL(const QUrl& url);
    // Writes the alias file: the record as resource 'alis' 0, the target's icon as
    // 'icns' -16455 where it belongs, and the Finder information that marks it as an
    // alias. The reason of a failure is kept; see writeFailure().
    Result<void> writeAliasFile(const QString& path, bool includeCustomIcon = true);
    bool writeToFile(const QString& path, bool includeCustomIcon = true);
    bool writeToURL(const QUrl& url, bool includeCustomIcon = true);

    // Resolution, with mountFlags(): the target, or none when it cannot be found.
    Result<FSRef> resolve();
    std::optional<FSRef> getFSRef();
    std::optional<QUrl> URL();
    std::optional<QUrl> url() { return URL(); }
    std::optional<QString> path();
    std::optional<QString> description() { return path(); }
    std::optional<QString> displayName();

    const QByteArray& data() const { return m_aliasHandle; }

    // What the record keeps, without resolving: the target's name, its volume's name, its
    // path (mount point and POSIX path, else the HFS-style path as stored), and the
    // share it lies on with its mount method ("smb://server/share").
    std::optional<QString> lastKnownName() const;
    std::optional<QString> lastKnownVolumeName() const;
    std::optional<QString> lastKnownPath() const;
    std::optional<QString> lastKnownShareURL() const;

    // Makes the record name a new target.
    bool setURL(const QUrl& url, const std::optional<QUrl>& fromURL = std::nullopt);
    bool setPath(const QString& path, const std::optional<QString>& fromPath = std::nullopt);

    // Both resolve and name the same item. Resolving may mount volumes as allowed.
    bool isEqualToAlias(JLAlias* other);
    // When the target is itself an alias file: an alias of the final target of its
    // chain, and *resolved true. When it is not: a copy of this alias and true. On a
    // failure: a copy of this alias and false.
    JLAlias resolveIfIsAliasFile(bool* resolved);

    bool allowUserInteraction() const { return (m_mountFlags & kMountFlagNoUserInteraction) == 0; }
    void setAllowUserInteraction(bool allow);
    bool tryFileIDFirst() const { return (m_mountFlags & kMountFlagTryFileIDFirst) != 0; }
    void setTryFileIDFirst(bool tryFirst);
    quint64 mountFlags() const { return m_mountFlags; }
    bool changed() const { return m_changed; }

    // What making the record saw of its target: its path, and a file's Finder information
    // (none for a folder, whose record keeps none). Writing an alias file takes them
    // instead of resolving the record and reading the sidecar again, each a round trip to
    // the server on a share. None for a record read from data, and once the path no
    // longer shows the item the record was made for.
    struct RecordedTarget {
        QString path;
        std::optional<FinderInformation> finderInfo;
    };
    std::optional<RecordedTarget> recordedTarget() const;

    // What an alias file takes of its target besides the record: the target's Finder
    // information, the type code of its kind (aliasOSTypeFor) and, where its alias shows
    // its icon, the names of that icon. Taken with the record, they describe the item as
    // the record does, as it was then.
    struct WritingFacts {
        std::optional<QUrl> url;
        quint16 flags = 0;
        quint32 type = 0;
        quint32 creator = 0;
        quint32 kindCode = 0;
        QStringList iconNames {};
    };

private:
    struct MadeFor {
        FSRef target;
        std::optional<FinderInformation> finderInfo;
        std::optional<WritingFacts> writingFacts {};
    };

    explicit JLAlias(QByteArray record);

    bool makeRecordFor(const FSRef& ref);

    QByteArray m_aliasHandle;
    std::optional<MadeFor> m_madeFor;
    bool m_changed = false;
    quint64 m_mountFlags = kMountFlagNoUserInteraction;
};
