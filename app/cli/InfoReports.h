#pragma once

#include <QString>

class HVWindowsShortcut;
class OutputBuffer;

// What `kestrova info` prints for each shortcut it read, written straight into the
// output: text for a person, or one JSON array (indented four spaces a level, keys in
// alphabetical order) holding an object per file.
class InfoReports {
public:
    InfoReports(OutputBuffer& output, bool json);

    void add(const QString& file, const HVWindowsShortcut& shortcut);
    // Closes the JSON array; writes nothing for text.
    void finish();

private:
    void addText(const QString& file, const HVWindowsShortcut& shortcut);
    void addJson(const QString& file, const HVWindowsShortcut& shortcut);

    OutputBuffer& m_output;
    bool m_json;
    bool m_empty = true;
};
