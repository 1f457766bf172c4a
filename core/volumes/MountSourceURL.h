#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// A decoded mount source (//user@server/share/dir) read as a URL. A network source is
// taken as decoded text, so that a share named "My Files" has a host and a path; any
// other source that is not valid URL syntax gives no URL at all.
class MountSourceURL {
public:
    static std::optional<MountSourceURL> parse(const QString& mountSource);

    // The host alone, without user name or port; an IPv6 address keeps its brackets.
    // None when the URL names no host.
    const std::optional<QString>& host() const { return m_host; }
    // The non-empty components of the path: {"Projects", "plans"} for //fs1/Projects/plans.
    const QStringList& pathComponents() const { return m_pathComponents; }
    std::optional<QString> lastPathComponent() const;
    // The components joined with "/": "Projects/plans"; empty when there are none.
    const QString& sharePath() const { return m_sharePath; }
    // "//" and the host, then "/" and the share path if there is one: //fs1/Projects/plans.
    // Empty when there is no host.
    const QString& serverPrefix() const { return m_serverPrefix; }

private:
    MountSourceURL() = default;
    static std::optional<MountSourceURL> parseShare(QStringView source);
    void setPath(const QString& path);

    std::optional<QString> m_host;
    QStringList m_pathComponents;
    QString m_sharePath;
    QString m_serverPrefix;
};
