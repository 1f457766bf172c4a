#include "cli/InfoReports.h"

#include "cli/AliasInfo.h"
#include "cli/OutputBuffer.h"
#include "shortcut/EncodingRepair.h"
#include "shortcut/HVWindowsShortcut.h"

#include <optional>

namespace {

struct FlagQuery {
    const char* name;
    bool (HVLinkFlags::*query)() const;
};

// In the order a person reads them: the header's bits from the lowest up.
constexpr FlagQuery kTextFlags[] = {
    {"hasShellItemId", &HVLinkFlags::hasShellItemId},
    {"isFileOrDir", &HVLinkFlags::isFileOrDir},
    {"hasName", &HVLinkFlags::hasName},
    {"hasRelativePath", &HVLinkFlags::hasRelativePath},
    {"hasWorkingDir", &HVLinkFlags::hasWorkingDir},
    {"hasArguments", &HVLinkFlags::hasArguments},
    {"hasIconLocation", &HVLinkFlags::hasIconLocation},
    {"hasExpString", &HVLinkFlags::hasExpString},
    {"isUnicode", &HVLinkFlags::isUnicode},
    {"preferEnvironmentPath", &HVLinkFlags::preferEnvironmentPath},
};

constexpr FlagQuery kJsonFlags[] = {
    {"hasArguments", &HVLinkFlags::hasArguments},
    {"hasExpString", &HVLinkFlags::hasExpString},
    {"hasIconLocation", &HVLinkFlags::hasIconLocation},
    {"hasName", &HVLinkFlags::hasName},
    {"hasRelativePath", &HVLinkFlags::hasRelativePath},
    {"hasShellItemId", &HVLinkFlags::hasShellItemId},
    {"hasWorkingDir", &HVLinkFlags::hasWorkingDir},
    {"isFileOrDir", &HVLinkFlags::isFileOrDir},
    {"isUnicode", &HVLinkFlags::isUnicode},
    {"preferEnvironmentPath", &HVLinkFlags::preferEnvironmentPath},
};

void textLine(OutputBuffer& output, std::string_view name)
{
    output.append("  ");
    output.append(name);
    output.append(": ");
}

void textOrNone(OutputBuffer& output, std::string_view name, const std::optional<QString>& text)
{
    textLine(output, name);
    if (text)
        output.appendEscaped(*text);
    else
        output.append("(none)");
    output.append("\n");
}

void textOwnWords(OutputBuffer& output, std::string_view name, const QString& text)
{
    textLine(output, name);
    output.appendUtf8(text);
    output.append("\n");
}

void textEncoding(OutputBuffer& output, std::string_view name, quint32 encoding)
{
    textLine(output, name);
    if (encoding == StringEncoding::None) {
        output.append("(none)");
    } else {
        output.appendNumber(encoding);
        output.append(" ");
        output.appendUtf8(EncodingRepair::encodingName(encoding));
    }
    output.append("\n");
}

// Members of one JSON object at one depth, each on its own line.
class JsonMembers {
public:
    JsonMembers(OutputBuffer& output, int depth)
        : m_output(output)
        , m_depth(depth)
    {
        m_output.append("{\n");
    }

    void key(std::string_view name)
    {
        if (!m_empty)
            m_output.append(",\n");
        m_empty = false;
        indent(m_depth + 1);
        m_output.append("\"");
        m_output.append(name);
        m_output.append("\": ");
    }

    void string(std::string_view name, QStringView text)
    {
        key(name);
        m_output.appendJsonString(text);
    }

    void stringOrNull(std::string_view name, const std::optional<QString>& text)
    {
        if (text) {
            string(name, *text);
        } else {
            key(name);
            m_output.append("null");
        }
    }

    void close()
    {
        if (!m_empty)
            m_output.append("\n");
        indent(m_depth);
        m_output.append("}");
    }

private:
    void indent(int depth)
    {
        for (int level = 0; level < depth; ++level)
            m_output.append("    ");
    }

    OutputBuffer& m_output;
    int m_depth;
    bool m_empty = true;
};

void jsonFlags(OutputBuffer& output, const HVLinkFlags& linkFlags)
{
    JsonMembers flags(output, 2);
    for (const FlagQuery& flag : kJsonFlags) {
        flags.key(flag.name);
        output.append((linkFlags.*flag.query)() ? "true" : "false");
    }
    flags.key("value");
    output.appendNumber(linkFlags.flags());
    flags.close();
}

void jsonProvenance(OutputBuffer& output, const ReadingProvenance& provenance)
{
    JsonMembers from(output, 2);
    from.string("encodings", ReadingProvenance::fieldName(provenance.encoding));
    from.string("path", ReadingProvenance::fieldName(provenance.path));
    from.string("share", ReadingProvenance::fieldName(provenance.share));
    from.close();
}

void jsonEncoding(OutputBuffer& output, quint32 encoding)
{
    JsonMembers members(output, 2);
    if (encoding != StringEncoding::None) {
        members.key("codePage");
        output.appendNumber(encoding);
        members.string("name", EncodingRepair::encodingName(encoding));
    }
    members.close();
}

}

InfoReports::InfoReports(OutputBuffer& output, bool json)
    : m_output(output)
    , m_json(json)
{
    if (m_json)
        m_output.append("[\n");
}

void InfoReports::add(const QString& file, const HVWindowsShortcut& shortcut)
{
    if (m_json)
        addJson(file, shortcut);
    else
        addText(file, shortcut);
    m_empty = false;
    m_output.endItem();
}

void InfoReports::add(const AliasInfo& alias)
{
    if (m_json)
        addAliasJson(alias);
    else
        addAliasText(alias);
    m_empty = false;
    m_output.endItem();
}

void InfoReports::finish()
{
    if (m_json)
        m_output.append(m_empty ? "]\n" : "\n]\n");
}

void InfoReports::addText(const QString& file, const HVWindowsShortcut& shortcut)
{
    const HVLinkFlags& linkFlags = shortcut.linkFlags();
    const ReadingProvenance& provenance = shortcut.provenance();
    m_output.appendEscaped(file);
    m_output.append(":\n  flags: 0x");
    m_output.appendHex8(linkFlags.flags());
    for (const FlagQuery& flag : kTextFlags) {
        m_output.append("\n    ");
        m_output.append(flag.name);
        m_output.append((linkFlags.*flag.query)() ? ": 1" : ": 0");
    }
    m_output.append("\n");
    textOrNone(m_output, "fullFilename", shortcut.fullFilename());
    textOrNone(m_output, "share", shortcut.networkShare());
    textOrNone(m_output, "filename", shortcut.filename());
    textOrNone(m_output, "composedLinkName", shortcut.composedLinkName());
    textEncoding(m_output, "shareEncoding", shortcut.shareEncoding());
    textEncoding(m_output, "pathEncoding", shortcut.pathEncoding());
    textOwnWords(m_output, "share from", ReadingProvenance::fieldName(provenance.share));
    textOwnWords(m_output, "path from", ReadingProvenance::fieldName(provenance.path));
    textOwnWords(m_output, "encodings from",
        provenance.encoding == ReadingProvenance::Field::None
            ? QStringLiteral("the string fields")
            : ReadingProvenance::fieldName(provenance.encoding));
    textOrNone(m_output, "environment target", provenance.environmentTarget);
}

void InfoReports::addJson(const QString& file, const HVWindowsShortcut& shortcut)
{
    const ReadingProvenance& provenance = shortcut.provenance();
    startJsonItem();
    JsonMembers report(m_output, 1);
    report.stringOrNull("composedLinkName", shortcut.composedLinkName());
    report.stringOrNull("environmentTarget", provenance.environmentTarget);
    report.string("file", file);
    report.stringOrNull("filename", shortcut.filename());
    report.key("flags");
    jsonFlags(m_output, shortcut.linkFlags());
    report.key("from");
    jsonProvenance(m_output, provenance);
    report.stringOrNull("fullFilename", shortcut.fullFilename());
    report.key("pathEncoding");
    jsonEncoding(m_output, shortcut.pathEncoding());
    report.stringOrNull("share", shortcut.networkShare());
    report.key("shareEncoding");
    jsonEncoding(m_output, shortcut.shareEncoding());
    report.close();
}

void InfoReports::addAliasText(const AliasInfo& alias)
{
    m_output.appendEscaped(alias.file);
    m_output.append(":\n  kind: alias\n");
    textOrNone(m_output, "target", alias.name);
    textOrNone(m_output, "volume", alias.volume);
    textOrNone(m_output, "path", alias.path);
    textOrNone(m_output, "server", alias.server);
}

void InfoReports::addAliasJson(const AliasInfo& alias)
{
    startJsonItem();
    JsonMembers report(m_output, 1);
    report.string("file", alias.file);
    report.string("kind", u"alias");
    report.stringOrNull("path", alias.path);
    report.stringOrNull("server", alias.server);
    report.stringOrNull("target", alias.name);
    report.stringOrNull("volume", alias.volume);
    report.close();
}

void InfoReports::startJsonItem()
{
    if (!m_empty)
        m_output.append(",\n");
    m_output.append("    ");
}
