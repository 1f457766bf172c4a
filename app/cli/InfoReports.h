#pragma once

#include <QString>

struct AliasInfo;
class HVWindowsShortcut;
class OutputBuffer;

// What `kestrova info` prints for each shortcut it read, written straight into the
// output: text for a person, or one JSON array (indented four spaces a level, keys in
// alphabetical order) holding an object per file.
class InfoReports {
public:
    InfoReports(OutputBuffer& output, bool json);

    void add(const QString& file, const HVWindowsShortcut& shortcut);
    // An alias file: what its record keeps of the target.
    void add(const AliasInfo& alias);
    // Closes the JSON array; writes nothing for text.
    void finish();

private:
    void addText(const QString& file, const HVWindowsShortcut& shortcut);
    void addJson(const QString& file, const HVWindowsShortcut& shortcut);
    void addAliasText(const AliasInfo& alias);
    void addAliasJson(const AliasInfo& alias);
    void startJsonItem();

    OutputBuffer& m_output;
    bool m_json;
    bool m_empty = true;
};
