#include "platform/SystemLog.h"
#include "shortcut/ByteReader.h"
#include "shortcut/EncodingRepair.h"
#include "shortcut/EnvironmentHints.h"
#include "shortcut/HVLinkInfo.h"
#include "shortcut/HVWindowsShortcut.h"
#include "shortcut/ShellLinkRecords.h"

#include <algorithm>

using Field = ReadingProvenance::Field;
namespace Records = ShellLinkRecords;

namespace {

QString decodedString(const HVLinkInfo::String& string)
{
    return string.isUnicode ? EncodingRepair::decodeUtf16LE(string.bytes)
                            : EncodingRepair::decodeLatin1(string.bytes);
}

quint32 encodingOf(const HVLinkInfo::String& string)
{
    return string.isUnicode ? StringEncoding::Utf16LE : StringEncoding::Latin1;
}

}

bool HVWindowsShortcut::readHeaderSection(ByteReader& file)
{
    const std::optional<Records::ShellLinkHeader> header = Records::readShellLinkHeader(file);
    if (!header || header->headerSize != Records::ShellLinkHeader::kSize)
        return false;
    m_linkFlags = HVLinkFlags(header->linkFlags);
    if (!m_linkFlags.isFileOrDir()) {
        SystemLog::write(QStringLiteral("Is no file or directory"));
        return false;
    }
    return true;
}

bool HVWindowsShortcut::readIdListSection(ByteReader& file)
{
    if (!m_linkFlags.hasShellItemId())
        return true;
    // An ID list cut short by the end of the file leaves no LinkInfo: the file is refused.
    return Records::skipLinkTargetIdList(file);
}

bool HVWindowsShortcut::readLinkInfoSection(ByteReader& file)
{
    const std::optional<HVLinkInfo> info = HVLinkInfo::read(file);
    // A LinkInfo block cut short, or too small for its fixed fields: the file is refused.
    if (!info)
        return false;
    if (info->hasLocalBasePath() && info->localBasePath) {
        m_pathData = info->localBasePath->bytes;
        m_shareData.reset();
        m_pathEncoding = StringEncoding::Latin1;
        setFullFilename(EncodingRepair::decodeLatin1(*m_pathData));
        m_provenance.path = Field::LocalBasePath;
    }
    if (!info->hasNetworkTarget())
        return true;
    // A network target needs both its strings; with either unreadable the local one stands.
    if (!info->netName || !info->commonPathSuffix)
        return true;
    m_shareData = info->netName->bytes;
    m_shareEncoding = encodingOf(*info->netName);
    m_pathData = info->commonPathSuffix->bytes;
    m_pathEncoding = encodingOf(*info->commonPathSuffix);
    setFullFilename(
        decodedString(*info->netName) + QLatin1Char('/') + decodedString(*info->commonPathSuffix));
    m_provenance.share = info->netName->isUnicode ? Field::NetNameUnicode : Field::NetName;
    m_provenance.path = info->commonPathSuffix->isUnicode ? Field::CommonPathSuffixUnicode
                                                          : Field::CommonPathSuffix;
    return true;
}

bool HVWindowsShortcut::readStringDataSection(ByteReader& file)
{
    for (const bool flag :
        {m_linkFlags.hasName(), m_linkFlags.hasRelativePath(), m_linkFlags.hasWorkingDir(),
            m_linkFlags.hasArguments(), m_linkFlags.hasIconLocation()})
        readStringData(file, flag);
    return true;
}

std::optional<QString> HVWindowsShortcut::readStringData(ByteReader& file, bool flag)
{
    if (!flag)
        return std::nullopt;
    std::optional<QString> text = Records::readStringData(file, m_linkFlags.isUnicode());
    // An entry cut short by the end of the file ends the reading; the target read stands.
    if (!text)
        file.readRest();
    return text;
}

bool HVWindowsShortcut::readExtraDataSection(ByteReader& file)
{
    // The environment blocks are handled in turn, but what they leave is applied once:
    // a file of many blocks repairs the path and writes the log once.
    EnvironmentHints hints(repairablePathData());
    while (const std::optional<Records::ExtraDataBlock> block = Records::readExtraDataBlock(file)) {
        if (block->signature != Records::kEnvironmentVariableDataBlockSignature)
            continue;
        const std::optional<QString> target = Records::environmentTarget(block->data);
        if (target && !target->isEmpty())
            hints.take(*target);
    }
    if (hints.lastTarget())
        applyEnvironmentHints(hints);
    return true;
}

std::optional<QByteArrayView> HVWindowsShortcut::repairablePathData() const
{
    // Without path bytes (a LinkInfo naming no target) there is nothing to repair, nor
    // for a path held as UTF-16 or one the environment text replaces.
    if (!m_pathData || m_pathEncoding == StringEncoding::Utf16LE
        || m_linkFlags.preferEnvironmentPath())
        return std::nullopt;
    return QByteArrayView(*m_pathData);
}

void HVWindowsShortcut::applyEnvironmentHints(const EnvironmentHints& hints)
{
    m_provenance.environmentTarget = hints.lastTarget();
    if (m_linkFlags.preferEnvironmentPath()) {
        SystemLog::write(QStringLiteral("Overwriting path with data from EnvironmentDataBlock"));
        setFullFilename(*hints.lastTarget());
        m_provenance.share = Field::EnvironmentTargetUnicode;
        m_provenance.path = Field::EnvironmentTargetUnicode;
        return;
    }
    SystemLog::write(QStringLiteral("Fixing path with data from EnvironmentDataBlock"));
    if (hints.pathEncoding())
        repairEncoding(hints);
}

void HVWindowsShortcut::repairEncoding(const EnvironmentHints& hints)
{
    const quint32 encoding = *hints.pathEncoding();
    SystemLog::write(
        QStringLiteral("Correct Encoding is: %1").arg(EncodingRepair::encodingName(encoding)));
    m_pathEncoding = encoding;
    m_provenance.encoding = Field::EnvironmentTargetUnicode;
    const EncodingRepair& repair = EncodingRepair::shared();
    const QString path = repair.decode(*m_pathData, encoding).value_or(QString());
    if (!m_shareData) {
        setFullFilename(path);
        return;
    }
    // A share stored as UTF-16 keeps its encoding; an 8-bit one takes the encoding of the
    // last match whose code page defines its bytes, else keeps Latin-1.
    if (m_shareEncoding != StringEncoding::Utf16LE) {
        const std::vector<quint32>& matched = hints.matchedEncodings();
        const auto defining = std::find_if(matched.rbegin(), matched.rend(),
            [&](quint32 candidate) { return repair.decode(*m_shareData, candidate).has_value(); });
        if (defining != matched.rend())
            m_shareEncoding = *defining;
    }
    const QString share = repair.decode(*m_shareData, m_shareEncoding).value_or(QString());
    setFullFilename(share + QLatin1Char('/') + path);
}
