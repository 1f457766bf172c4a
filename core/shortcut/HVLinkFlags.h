#pragma once

#include <QString>

// The LinkFlags word of a shell link's header ([MS-SHLLINK] 2.1.1), kept exactly as
// read, with one query per flag the reader uses or reports. The other bits have no
// query.
class HVLinkFlags {
public:
    enum Mask : quint32 {
        HasLinkTargetIDList = 0x00000001,
        HasLinkInfo = 0x00000002,
        HasName = 0x00000004,
        HasRelativePath = 0x00000008,
        HasWorkingDir = 0x00000010,
        HasArguments = 0x00000020,
        HasIconLocation = 0x00000040,
        IsUnicode = 0x00000080,
        HasExpString = 0x00000200,
        PreferEnvironmentPath = 0x02000000,
    };

    HVLinkFlags() = default;
    explicit HVLinkFlags(quint32 flags)
        : m_flags(flags)
    {
    }

    quint32 flags() const { return m_flags; }
    void setFlags(quint32 flags) { m_flags = flags; }

    bool hasShellItemId() const { return has(HasLinkTargetIDList); }
    bool isFileOrDir() const { return has(HasLinkInfo); }
    bool hasName() const { return has(HasName); }
    bool hasRelativePath() const { return has(HasRelativePath); }
    bool hasWorkingDir() const { return has(HasWorkingDir); }
    bool hasArguments() const { return has(HasArguments); }
    bool hasIconLocation() const { return has(HasIconLocation); }
    bool isUnicode() const { return has(IsUnicode); }
    bool hasExpString() const { return has(HasExpString); }
    bool preferEnvironmentPath() const { return has(PreferEnvironmentPath); }

private:
    bool has(Mask mask) const { return (m_flags & mask) != 0; }

    quint32 m_flags = 0;
};
