#include "text/RtfHyperlinkReader.h"

#include <QHash>
#include <QSet>

#include <array>
#include <utility>

namespace {

// Windows-1252 where it differs from Latin-1 (0x80 to 0x9F); 0 marks an unassigned byte.
constexpr std::array<char16_t, 32> windows1252High = {0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026,
    0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0, 0x017D, 0, 0, 0x2018, 0x2019, 0x201C,
    0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178};

QChar windows1252(uchar byte)
{
    if (byte >= 0x80 && byte <= 0x9F) {
        const char16_t mapped = windows1252High[byte - 0x80];
        return mapped ? QChar(mapped) : QChar(QChar::ReplacementCharacter);
    }
    return QChar(char16_t(byte));
}

// Destinations whose text is not part of what the reader of the document sees.
const QSet<QByteArray>& skippedDestinations()
{
    static const QSet<QByteArray> names = {"fonttbl", "colortbl", "stylesheet", "info", "pict",
        "object", "objdata", "listtable", "listoverridetable", "revtbl", "rsidtbl", "generator",
        "xmlnstbl", "themedata", "colorschememapping", "latentstyles", "datastore", "filetbl",
        "header", "headerl", "headerr", "headerf", "footer", "footerl", "footerr", "footerf",
        "footnote", "annotation", "atnid", "atnauthor", "bkmkstart", "bkmkend", "nonshppict",
        "shppict", "shpinst", "mmathPr", "pgdsctbl", "template", "userprops", "docvar"};
    return names;
}

int hexDigit(char character)
{
    if (character >= '0' && character <= '9')
        return character - '0';
    if (character >= 'a' && character <= 'f')
        return character - 'a' + 10;
    if (character >= 'A' && character <= 'F')
        return character - 'A' + 10;
    return -1;
}

bool isLetter(char character)
{
    return (character >= 'a' && character <= 'z') || (character >= 'A' && character <= 'Z');
}

bool isDigit(char character)
{
    return character >= '0' && character <= '9';
}

// One argument of a field instruction, from index on: a quoted text, in which \\ stands
// for a backslash and \" for a quotation mark, or a run of characters up to a space.
QString readFieldArgument(const QString& text, qsizetype& index)
{
    QString argument;
    if (index < text.size() && text[index] == QLatin1Char('"')) {
        for (++index; index < text.size() && text[index] != QLatin1Char('"'); ++index) {
            const bool escape = text[index] == QLatin1Char('\\') && index + 1 < text.size()
                && (text[index + 1] == QLatin1Char('\\') || text[index + 1] == QLatin1Char('"'));
            if (escape)
                ++index;
            argument += text[index];
        }
        ++index;
        return argument;
    }
    while (index < text.size() && !text[index].isSpace())
        argument += text[index++];
    return argument;
}

}

std::optional<RichTextContent> RtfHyperlinkReader::read(QByteArrayView data)
{
    if (!data.startsWith(QByteArrayView("{\\rtf")))
        return std::nullopt;
    RtfHyperlinkReader reader(data);
    reader.run();
    return RichTextContent {reader.m_plainText, reader.m_firstLink};
}

void RtfHyperlinkReader::run()
{
    m_groups.push_back(Group {Destination::Skipped});
    while (m_position < m_data.size()) {
        const char character = m_data[m_position];
        if (character == '{') {
            ++m_position;
            if (!openGroup())
                return;
        } else if (character == '}') {
            ++m_position;
            closeGroup();
        } else if (character == '\\') {
            readControl();
        } else {
            ++m_position;
            if (character != '\r' && character != '\n')
                appendByte(uchar(character));
        }
    }
}

bool RtfHyperlinkReader::openGroup()
{
    if (m_groups.size() > kMaxGroupDepth)
        return false;
    // The outermost group is the document; what it holds is its body.
    Group group = m_groups.size() == 1 ? Group {} : current();
    group.ignorable = false;
    m_groups.push_back(group);
    m_pendingFallback = 0;
    return true;
}

void RtfHyperlinkReader::closeGroup()
{
    if (m_groups.size() <= 1)
        return;
    const Destination closed = current().destination;
    m_groups.pop_back();
    m_pendingFallback = 0;
    if (closed == Destination::FieldInstruction
        && current().destination != Destination::FieldInstruction) {
        if (!m_firstLink)
            m_firstLink = hyperlinkTarget(m_instruction);
        m_instruction.clear();
    }
}

void RtfHyperlinkReader::readControl()
{
    ++m_position; // the backslash
    if (m_position >= m_data.size())
        return;
    const char symbol = m_data[m_position];
    if (isLetter(symbol)) {
        handleControlWord(readControlWord());
        return;
    }
    ++m_position;
    if (symbol == '\'') {
        readHexByte();
        return;
    }
    if (consumeFallback())
        return;
    switch (symbol) {
    case '*':
        current().ignorable = true;
        break;
    case '\\':
    case '{':
    case '}':
        appendText(QLatin1Char(symbol));
        break;
    case '~':
        appendText(QChar(0x00A0));
        break;
    case '_':
        appendText(QChar(0x2011));
        break;
    case '\r':
    case '\n':
        appendText(QLatin1Char('\n'));
        break;
    default: // \- (optional hyphen), \: (index entry) and unknown symbols
        break;
    }
}

RtfHyperlinkReader::ControlWord RtfHyperlinkReader::readControlWord()
{
    ControlWord control;
    for (; m_position < m_data.size() && isLetter(m_data[m_position]); ++m_position) {
        if (control.word.size() < kMaxControlWordLength)
            control.word += m_data[m_position];
    }
    bool negative = false;
    if (m_position + 1 < m_data.size() && m_data[m_position] == '-'
        && isDigit(m_data[m_position + 1])) {
        negative = true;
        ++m_position;
    }
    qint64 value = 0;
    int digits = 0;
    for (; m_position < m_data.size() && isDigit(m_data[m_position]); ++m_position, ++digits) {
        if (digits < kMaxParameterDigits)
            value = value * 10 + (m_data[m_position] - '0');
    }
    if (digits > 0)
        control.parameter = negative ? -value : value;
    // One space ends a control word and belongs to it.
    if (m_position < m_data.size() && m_data[m_position] == ' ')
        ++m_position;
    return control;
}

void RtfHyperlinkReader::handleControlWord(const ControlWord& control)
{
    // {\* starts a destination that readers which do not know its first word skip.
    const bool ignorable = std::exchange(current().ignorable, false);
    if (handleDestination(control.word))
        return;
    if (ignorable) {
        current().destination = Destination::Skipped;
        return;
    }
    if (control.word == "bin") {
        skipBinary(control.parameter);
        return;
    }
    if (control.word == "uc") {
        current().unicodeSkip = int(qBound(qint64(0), control.parameter.value_or(1), qint64(16)));
        return;
    }
    if (control.word == "u") {
        if (control.parameter)
            handleUnicode(*control.parameter);
        return;
    }
    if (consumeFallback())
        return;
    handleSpecialCharacter(control.word);
}

bool RtfHyperlinkReader::handleDestination(const QByteArray& word)
{
    Group& group = current();
    if (word == "fldinst") {
        if (group.destination != Destination::Skipped)
            group.destination = Destination::FieldInstruction;
        return true;
    }
    if (word == "fldrslt" || word == "field")
        return true;
    if (skippedDestinations().contains(word)) {
        group.destination = Destination::Skipped;
        return true;
    }
    return false;
}

bool RtfHyperlinkReader::handleSpecialCharacter(const QByteArray& word)
{
    static const QHash<QByteArray, char16_t> characters = {{"par", u'\n'}, {"line", u'\n'},
        {"sect", u'\n'}, {"page", u'\n'}, {"row", u'\n'}, {"cell", u'\t'}, {"tab", u'\t'},
        {"emdash", 0x2014}, {"endash", 0x2013}, {"emspace", 0x2003}, {"enspace", 0x2002},
        {"bullet", 0x2022}, {"lquote", 0x2018}, {"rquote", 0x2019}, {"ldblquote", 0x201C},
        {"rdblquote", 0x201D}};
    const auto found = characters.constFind(word);
    if (found == characters.constEnd())
        return false;
    appendText(QChar(found.value()));
    return true;
}

void RtfHyperlinkReader::handleUnicode(qint64 parameter)
{
    // Writers store code units above 32767 as negative 16-bit numbers.
    if (parameter < 0)
        parameter += 65536;
    if (parameter >= 0 && parameter <= 0xFFFF)
        appendText(QChar(char16_t(parameter)));
    m_pendingFallback = current().unicodeSkip;
}

void RtfHyperlinkReader::readHexByte()
{
    if (m_position + 1 >= m_data.size())
        return;
    const int high = hexDigit(m_data[m_position]);
    const int low = hexDigit(m_data[m_position + 1]);
    if (high < 0 || low < 0)
        return;
    m_position += 2;
    if (!consumeFallback())
        appendByte(uchar(high * 16 + low));
}

void RtfHyperlinkReader::skipBinary(std::optional<qint64> length)
{
    const qint64 remaining = m_data.size() - m_position;
    m_position += qBound(qint64(0), length.value_or(0), remaining);
}

void RtfHyperlinkReader::appendByte(uchar byte)
{
    if (!consumeFallback())
        appendText(windows1252(byte));
}

void RtfHyperlinkReader::appendText(QChar character)
{
    switch (current().destination) {
    case Destination::Body:
        m_plainText += character;
        break;
    case Destination::FieldInstruction:
        m_instruction += character;
        break;
    case Destination::Skipped:
        break;
    }
}

// After \uN the next \ucN characters are the fallback for readers without Unicode.
bool RtfHyperlinkReader::consumeFallback()
{
    if (m_pendingFallback <= 0)
        return false;
    --m_pendingFallback;
    return true;
}

std::optional<QString> RtfHyperlinkReader::hyperlinkTarget(const QString& instruction)
{
    const QString text = instruction.trimmed();
    static const QLatin1String keyword("HYPERLINK");
    if (!text.startsWith(keyword, Qt::CaseInsensitive))
        return std::nullopt;
    qsizetype index = keyword.size();
    if (index < text.size() && !text[index].isSpace() && text[index] != QLatin1Char('"'))
        return std::nullopt;
    while (index < text.size()) {
        while (index < text.size() && text[index].isSpace())
            ++index;
        if (index >= text.size())
            break;
        if (text[index] == QLatin1Char('\\')) {
            // A switch; \l (bookmark), \o (tool tip) and \t (frame) take an argument,
            // which is not the target.
            const QChar name = index + 1 < text.size() ? text[index + 1].toLower() : QChar();
            index += 2;
            if (name == QLatin1Char('l') || name == QLatin1Char('o') || name == QLatin1Char('t')) {
                while (index < text.size() && text[index].isSpace())
                    ++index;
                readFieldArgument(text, index);
            }
            continue;
        }
        const QString target = readFieldArgument(text, index);
        if (target.isEmpty())
            return std::nullopt;
        return target;
    }
    return std::nullopt;
}
