#pragma once

#include "platform/Result.h"
#include "preferences/KTDriveMapping.h"
#include "shortcut/HVLinkFlags.h"
#include "shortcut/StringEncoding.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <functional>
#include <future>
#include <memory>
#include <optional>

class EnvironmentHints;
class ByteReader;
class JLAlias;
struct OpeningServices;
struct ProgramTargetVerdict;

// Which field of the file decided what the reader found, for tools that explain a
// shortcut (`kestrova info`). Field names are those of [MS-SHLLINK].
struct ReadingProvenance {
    enum class Field {
        None,
        LocalBasePath, // LinkInfo
        NetName, // CommonNetworkRelativeLink
        NetNameUnicode,
        CommonPathSuffix, // LinkInfo
        CommonPathSuffixUnicode,
        EnvironmentTargetUnicode, // EnvironmentVariableDataBlock.TargetUnicode
    };
    Field share = Field::None;
    Field path = Field::None;
    // EnvironmentTargetUnicode when the encoding repair chose the encodings, else None:
    // the encodings are those of the string fields themselves.
    Field encoding = Field::None;
    // The last non-empty environment target the reader met, as stored.
    std::optional<QString> environmentTarget;

    static QString fieldName(Field field);
};

// What a person wants inserted for a shortcut file dragged onto a text field: the
// destination the shortcut points to, or the location of the file itself.
enum class ShortcutInsertion { Destination, FileLocation };
// Asks the person which, for the shortcut file at the path.
using DraggedShortcutQuestion = std::function<ShortcutInsertion(const QString& path)>;

// One Windows shortcut and its target: read from a shell-link (.lnk) file, or made from
// a mount string (a Windows, UNC or "file:" path). The target is kept as read
// (fullFilename) and split afresh into share and file name on every request, applying
// the drive mappings when mappingEnabled is set.
class HVWindowsShortcut {
public:
    // Files larger than this are refused unread: no shell link comes near it.
    static constexpr qint64 kMaxFileSize = qint64(16) * 1024 * 1024;

    // Reads a shell-link file. None when the file cannot be opened or is no readable
    // shortcut (wrong header size, no LinkInfo, cut short before its target is whole,
    // larger than kMaxFileSize).
    static std::unique_ptr<HVWindowsShortcut> initWithContentsOfFile(
        const QString& path, std::optional<DriveMappingList> driveMapping = std::nullopt);
    // The same, or why the file is none, in FileProblems::unreadableShortcut's words.
    // The file is opened once, and looked at again only when it fails.
    static Result<std::unique_ptr<HVWindowsShortcut>> readFile(
        const QString& path, std::optional<DriveMappingList> driveMapping = std::nullopt);
    // The same, from the bytes of a shell-link file already in memory.
    static std::unique_ptr<HVWindowsShortcut> initWithContentsOfData(
        QByteArrayView data, std::optional<DriveMappingList> driveMapping = std::nullopt);
    // A shortcut to a Windows, UNC or "file:" path given as text. Never refuses a text.
    static std::unique_ptr<HVWindowsShortcut> initWithMountString(
        const QString& text, std::optional<DriveMappingList> driveMapping = std::nullopt);

    // The text to insert for a file dropped on a text field or chosen for a drive
    // mapping. For a file that opens with Kestrova (its type's default application is
    // Kestrova's desktop entry) the question decides: the destination is the target as
    // //server/share/path, or its local path where it has no share, with no drive
    // mapping applied. Otherwise the file as its server names it (//host/share/...)
    // when it lies on a mounted network volume, else the path unchanged. Fails, saying
    // why, when the destination was asked for and the file is no readable shortcut or
    // names no target; nothing in the file is run.
    static Result<QString> translateFilepath(
        const QString& path, const DraggedShortcutQuestion& question);

    const HVLinkFlags& linkFlags() const { return m_linkFlags; }

    // "smb", "afp", "nfs" or "cifs", in the letter case it was set with.
    const QString& mountMethod() const { return m_mountMethod; }
    // Takes the method when it names one of the four above, ignoring case; otherwise
    // keeps the current one. Returns whether it was taken.
    bool setMountMethod(const QString& mountMethod);

    // The target as read, before any splitting: \\server\share/dir\file.doc,
    // X:\dir\file.doc, or none when the link names neither.
    const std::optional<QString>& fullFilename() const { return m_fullFilename; }
    // The reason of the last failure of an opening operation; none until then.
    const std::optional<QString>& errorMessage() const { return m_errorMessage; }
    // Where the last opening (or alias) looked for the target on this machine; none
    // until then, and when no local path resulted (the share could not be mounted).
    const std::optional<QString>& localPath() const { return m_localPath; }

    const std::optional<DriveMappingList>& driveMapping() const { return m_driveMapping; }
    void setDriveMapping(std::optional<DriveMappingList> driveMapping)
    {
        m_driveMapping = std::move(driveMapping);
    }
    bool mappingEnabled() const { return m_mappingEnabled; }
    void setMappingEnabled(bool enabled) { m_mappingEnabled = enabled; }

    const std::optional<QByteArray>& pathData() const { return m_pathData; }
    void setPathData(std::optional<QByteArray> data) { m_pathData = std::move(data); }
    const std::optional<QByteArray>& shareData() const { return m_shareData; }
    void setShareData(std::optional<QByteArray> data) { m_shareData = std::move(data); }
    quint32 pathEncoding() const { return m_pathEncoding; }
    void setPathEncoding(quint32 encoding) { m_pathEncoding = encoding; }
    quint32 shareEncoding() const { return m_shareEncoding; }
    void setShareEncoding(quint32 encoding) { m_shareEncoding = encoding; }

    const ReadingProvenance& provenance() const { return m_provenance; }

    // The share of the target, //server/share, with the mount method in front
    // (smb://server/share) when asked; none for a target without a share.
    std::optional<QString> networkShare(bool withMountMethod = false) const;
    // The path below the share without a leading "/", the whole path for a target
    // without a share; none when the target cannot be split.
    std::optional<QString> filename() const;
    // The share, "/" and the file name; the file name alone without a share.
    std::optional<QString> composedLinkName(bool withMountMethod = true) const;

    // Opens the target with the default application of its type and brings that
    // application to the front. Mounts the share first when it is not mounted (the
    // mounter remembers the mount); where the network uses DFS referrals, waits up to
    // 15 s for the target of a share mounted just now. A target that is a program is
    // opened only when OpeningServices::confirmProgramTarget allows it. False, with
    // errorMessage() saying why, when nothing was opened; a success leaves
    // errorMessage() as it was. Blocks the calling (main) thread throughout.
    [[nodiscard]] bool openFile();

    // Writes an alias file of the target at aliasPath (see JLAlias::writeAliasFile): the
    // local path is composed as openFile() does, mounting the share when it is not
    // mounted, but without waiting for DFS referrals. False, with errorMessage() set to
    // "Mount of network drive failed" or "Failed to create alias", when nothing was written.
    [[nodiscard]] bool saveAsAlias(const QString& aliasPath);
    // Tells that saveAsAlias() follows a successful openFile(): the opening then starts
    // making the alias while it waits for the application to come to the front, when
    // the target's facts are still in the kernel's caches (a share's expire meanwhile),
    // and saveAsAlias() takes it. Nothing is written before saveAsAlias(). Off by default.
    void setAliasFollowsOpening(bool follows) { m_aliasFollowsOpening = follows; }

    // The services opening uses; null, the default, stands for OpeningServices::shared().
    void setOpeningServices(std::shared_ptr<const OpeningServices> services)
    {
        m_openingServices = std::move(services);
    }

private:
    // Where the target is on this machine. path is none when no local path results (the
    // share's mount point is still unknown after mounting it, or the target cannot be
    // split); mountedNow tells that this call mounted the share.
    struct LocalTarget {
        std::optional<QString> path;
        bool mountedNow = false;
    };

    struct SplitTarget {
        std::optional<QString> share;
        QString filename;
    };

    HVWindowsShortcut(std::optional<DriveMappingList> driveMapping);

    // Reads the bytes; reachedEnd tells whether more bytes after them could have
    // changed the outcome (a section or block ran into their end).
    static std::unique_ptr<HVWindowsShortcut> readContents(
        QByteArrayView data, std::optional<DriveMappingList> driveMapping, bool& reachedEnd);

    bool readHeaderSection(ByteReader& file);
    bool readIdListSection(ByteReader& file);
    bool readLinkInfoSection(ByteReader& file);
    bool readStringDataSection(ByteReader& file);
    bool readExtraDataSection(ByteReader& file);
    std::optional<QString> readStringData(ByteReader& file, bool flag);
    std::optional<QByteArrayView> repairablePathData() const;
    void applyEnvironmentHints(const EnvironmentHints& hints);
    void repairEncoding(const EnvironmentHints& hints);

    std::optional<SplitTarget> splitFullFilename() const;
    QString substituteMapping(const QString& text) const;

    const OpeningServices& openingServices() const;
    // None, with errorMessage() set, when the share had to be mounted and could not be.
    std::optional<LocalTarget> composeLocalTarget();
    bool waitForReferredTarget(const QString& path);
    bool openInForeground(const QString& path, const ProgramTargetVerdict& verdict);
    bool mayOpenTarget(const QString& path, const ProgramTargetVerdict& verdict);
    void bringToFront(const QString& applicationId);

    void setFullFilename(std::optional<QString> fullFilename)
    {
        m_fullFilename = std::move(fullFilename);
    }
    void setErrorMessage(QString message) { m_errorMessage = std::move(message); }

    // An alias of the target being made on a worker thread (see setAliasFollowsOpening).
    struct AliasInMaking {
        QString targetPath;
        std::future<std::shared_ptr<JLAlias>> alias;
    };
    void startMakingAlias(const QString& targetPath);
    std::shared_ptr<JLAlias> takeAliasOf(const QString& targetPath);

    HVLinkFlags m_linkFlags;
    QString m_mountMethod = QStringLiteral("smb");
    std::optional<QString> m_fullFilename;
    std::optional<QString> m_errorMessage;
    std::optional<QString> m_localPath;
    bool m_aliasFollowsOpening = false;
    // Destroying it waits for the worker.
    std::optional<AliasInMaking> m_aliasInMaking;
    std::optional<DriveMappingList> m_driveMapping;
    bool m_mappingEnabled = false;
    std::optional<QByteArray> m_pathData;
    std::optional<QByteArray> m_shareData;
    quint32 m_shareEncoding = StringEncoding::None;
    quint32 m_pathEncoding = StringEncoding::None;
    ReadingProvenance m_provenance;
    std::shared_ptr<const OpeningServices> m_openingServices;
};
