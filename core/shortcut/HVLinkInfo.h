#pragma once

#include <QByteArray>

#include <optional>

class ByteReader;

// The LinkInfo structure of a shell link ([MS-SHLLINK] 2.3) with its
// CommonNetworkRelativeLink (2.3.2), reduced to the strings that name the target.
// Every offset, and every string with its terminator, must lie inside the LinkInfo
// block; nothing outside the block is read.
struct HVLinkInfo {
    enum Flag : quint32 {
        VolumeIDAndLocalBasePath = 0x1,
        CommonNetworkRelativeLinkAndPathSuffix = 0x2,
    };

    // A string of the block: its bytes without the terminator, and whether they are
    // UTF-16LE code units (the *Unicode fields) or 8-bit characters.
    struct String {
        QByteArray bytes;
        bool isUnicode = false;
    };

    quint32 headerSize = 0;
    quint32 flags = 0;
    std::optional<String> localBasePath;
    std::optional<String> netName;
    std::optional<String> commonPathSuffix;

    bool hasLocalBasePath() const { return flags & VolumeIDAndLocalBasePath; }
    bool hasNetworkTarget() const { return flags & CommonNetworkRelativeLinkAndPathSuffix; }

    // Reads LinkInfoSize and the rest of the block from the reader. None when the block
    // is cut short by the end of the file or too small for its fixed fields.
    static std::optional<HVLinkInfo> read(ByteReader& reader);
};
