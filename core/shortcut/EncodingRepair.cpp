#include "shortcut/EncodingRepair.h"

#include "shortcut/EncodingMatcher.h"

#include <QtEndian>

#include <iconv.h>

#include <array>
#include <cerrno>
#include <mutex>
#include <vector>

namespace {

struct CodePage {
    quint32 number = 0;
    const char* iconvName = nullptr; // null where Qt decodes without a converter
    const char* name = nullptr;
    bool singleByte = true; // every byte is one character, or undefined
};

// The repair tries these in this order; the first whose decoding matches wins.
constexpr std::array codePageTable = {
    CodePage {1252, "CP1252", "Western (Windows 1252)"},
    CodePage {1250, "CP1250", "Central European (Windows 1250)"},
    CodePage {1251, "CP1251", "Cyrillic (Windows 1251)"},
    CodePage {1253, "CP1253", "Greek (Windows 1253)"},
    CodePage {1254, "CP1254", "Turkish (Windows 1254)"},
    CodePage {1255, "CP1255", "Hebrew (Windows 1255)"},
    CodePage {1256, "CP1256", "Arabic (Windows 1256)"},
    CodePage {1257, "CP1257", "Baltic (Windows 1257)"},
    CodePage {1258, "CP1258", "Vietnamese (Windows 1258)"},
    CodePage {874, "WINDOWS-874", "Thai (Windows 874)"},
    CodePage {932, "CP932", "Japanese (Windows 932)", false},
    CodePage {936, "CP936", "Simplified Chinese (Windows 936)", false},
    CodePage {949, "CP949", "Korean (Windows 949)", false},
    CodePage {950, "CP950", "Traditional Chinese (Windows 950)", false},
    CodePage {437, "CP437", "Latin-US (DOS 437)"},
    CodePage {850, "CP850", "Western (DOS 850)"},
    CodePage {852, "CP852", "Central European (DOS 852)"},
    CodePage {866, "CP866", "Cyrillic (DOS 866)"},
    CodePage {737, "CP737", "Greek (DOS 737)"},
    CodePage {775, "CP775", "Baltic (DOS 775)"},
    CodePage {855, "CP855", "Cyrillic (DOS 855)"},
    CodePage {857, "CP857", "Turkish (DOS 857)"},
    CodePage {858, "CP858", "Western with Euro (DOS 858)"},
    CodePage {860, "CP860", "Portuguese (DOS 860)"},
    CodePage {861, "CP861", "Icelandic (DOS 861)"},
    CodePage {862, "CP862", "Hebrew (DOS 862)"},
    CodePage {863, "CP863", "Canadian French (DOS 863)"},
    CodePage {864, "CP864", "Arabic (DOS 864)"},
    CodePage {865, "CP865", "Nordic (DOS 865)"},
    CodePage {869, "CP869", "Greek 2 (DOS 869)"},
    CodePage {StringEncoding::Latin1, nullptr, "Western (ISO Latin 1)"},
    CodePage {28592, "ISO-8859-2", "Central European (ISO Latin 2)"},
    CodePage {28593, "ISO-8859-3", "Western (ISO Latin 3)"},
    CodePage {28594, "ISO-8859-4", "Central European (ISO Latin 4)"},
    CodePage {28595, "ISO-8859-5", "Cyrillic (ISO 8859-5)"},
    CodePage {28596, "ISO-8859-6", "Arabic (ISO 8859-6)"},
    CodePage {28597, "ISO-8859-7", "Greek (ISO 8859-7)"},
    CodePage {28598, "ISO-8859-8", "Hebrew (ISO 8859-8)"},
    CodePage {28599, "ISO-8859-9", "Turkish (ISO Latin 5)"},
    CodePage {28600, "ISO-8859-10", "Nordic (ISO Latin 6)"},
    CodePage {28601, "ISO-8859-11", "Thai (ISO 8859-11)"},
    CodePage {28603, "ISO-8859-13", "Baltic (ISO Latin 7)"},
    CodePage {28604, "ISO-8859-14", "Celtic (ISO Latin 8)"},
    CodePage {28605, "ISO-8859-15", "Western (ISO Latin 9)"},
    CodePage {28606, "ISO-8859-16", "Romanian (ISO Latin 10)"},
    CodePage {StringEncoding::MacRoman, "MACINTOSH", "Western (Mac OS Roman)"},
};

// What iconv_open returns on failure.
const iconv_t noConverter = reinterpret_cast<iconv_t>(-1); // NOLINT(performance-no-int-to-ptr)

const CodePage* findCodePage(quint32 number)
{
    for (const CodePage& codePage : codePageTable) {
        if (codePage.number == number)
            return &codePage;
    }
    return nullptr;
}

// Converts all of the input or fails; the converter is left in its initial state.
std::optional<QString> convertStrictly(iconv_t converter, QByteArrayView bytes)
{
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    // One input byte never yields more than two UTF-16 units in these code pages; the
    // slack covers the final flush of a combining code page.
    std::vector<char16_t> output(size_t(bytes.size()) * 2 + 8);
    // iconv's interface takes a non-const input pointer but does not write through it.
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = size_t(bytes.size());
    char* out = reinterpret_cast<char*>(output.data());
    size_t outLeft = output.size() * sizeof(char16_t);
    if (iconv(converter, &in, &inLeft, &out, &outLeft) == size_t(-1))
        return std::nullopt;
    if (iconv(converter, nullptr, nullptr, &out, &outLeft) == size_t(-1))
        return std::nullopt;
    const size_t units = output.size() - outLeft / sizeof(char16_t);
    QString text(qsizetype(units), Qt::Uninitialized);
    qFromLittleEndian<char16_t>(output.data(), qsizetype(units), text.data());
    return text;
}

// The character of each byte in a single-byte code page, kUndefined where it has none.
// Matching decodes through these tables rather than iconv: decoding byte by byte gives
// the converter's text up to canonical equivalence (a combining code page such as 1258
// composes where the table does not), and matching compares normal forms anyway.
constexpr char16_t kUndefined = 0xFFFF;
using ByteTable = std::array<char16_t, 256>;

// What one byte alone decodes to: its one character, kUndefined where the code page does
// not define it, or none where it gives more than one character. Tables are made of 256
// of these, so the conversion goes through buffers on the stack.
std::optional<char16_t> characterOfByte(iconv_t converter, int byte)
{
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    char single = char(byte);
    char* in = &single;
    size_t inLeft = 1;
    std::array<char16_t, 4> units {};
    char* out = reinterpret_cast<char*>(units.data());
    size_t outLeft = sizeof units;
    if (iconv(converter, &in, &inLeft, &out, &outLeft) == size_t(-1)
        || iconv(converter, nullptr, nullptr, &out, &outLeft) == size_t(-1))
        return kUndefined;
    const size_t count = units.size() - outLeft / sizeof(char16_t);
    if (count > 1)
        return std::nullopt;
    return count == 1 ? qFromLittleEndian(units[0]) : kUndefined;
}

std::unique_ptr<ByteTable> byteTableFor(iconv_t converter)
{
    auto table = std::make_unique<ByteTable>();
    for (int byte = 0; byte < 256; ++byte) {
        const std::optional<char16_t> character = characterOfByte(converter, byte);
        if (!character)
            return nullptr;
        (*table)[size_t(byte)] = *character;
    }
    return table;
}

std::unique_ptr<ByteTable> latin1Table()
{
    auto table = std::make_unique<ByteTable>();
    for (size_t byte = 0; byte < table->size(); ++byte)
        (*table)[byte] = char16_t(byte);
    return table;
}

bool isAsciiTransparent(iconv_t converter, const ByteTable* table)
{
    for (int byte = 0; byte < 0x80; ++byte) {
        const char16_t character =
            table ? (*table)[size_t(byte)] : characterOfByte(converter, byte).value_or(kUndefined);
        if (character != char16_t(byte))
            return false;
    }
    return true;
}

std::optional<QString> decodeWithTable(const ByteTable& table, QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    for (const char byte : bytes) {
        const char16_t character = table[quint8(byte)];
        if (character == kUndefined)
            return std::nullopt;
        *out++ = character;
    }
    return text;
}

}

struct EncodingRepair::Converters {
    // The byte table and the ASCII test of a code page are made the first time the
    // matching asks for them: most repairs match the first code page or two, and making
    // all of them would cost a run over many files more than its reading.
    struct Entry {
        Entry(quint32 codePage, iconv_t opened, bool oneBytePerCharacter)
            : number(codePage)
            , converter(opened)
            , singleByte(oneBytePerCharacter)
        {
        }

        quint32 number;
        iconv_t converter; // none for Latin-1, which Qt decodes
        bool singleByte;
        std::once_flag made;
        std::unique_ptr<ByteTable> table; // single-byte code pages only
        bool asciiTransparent = false; // bytes 0x00 to 0x7F are the ASCII characters
    };
    std::vector<std::unique_ptr<Entry>> entries;
    std::vector<quint32> candidates;
    // Guards the converters, whose state a conversion changes.
    mutable std::mutex lock;

    const Entry* entryFor(quint32 number) const
    {
        for (const std::unique_ptr<Entry>& entry : entries) {
            if (entry->number == number)
                return entry.get();
        }
        return nullptr;
    }

    const Entry& made(size_t index) const
    {
        Entry& entry = *entries[index];
        std::call_once(entry.made, [&] {
            std::lock_guard guard(lock);
            if (entry.converter == noConverter)
                entry.table = latin1Table();
            else if (entry.singleByte)
                entry.table = byteTableFor(entry.converter);
            entry.asciiTransparent = isAsciiTransparent(entry.converter, entry.table.get());
        });
        return entry;
    }
};

const EncodingRepair& EncodingRepair::shared()
{
    static const EncodingRepair instance;
    return instance;
}

EncodingRepair::EncodingRepair()
    : m_converters(std::make_unique<Converters>())
{
    for (const CodePage& codePage : codePageTable) {
        iconv_t converter = noConverter;
        if (codePage.iconvName) {
            converter = iconv_open("UTF-16LE", codePage.iconvName);
            if (converter == noConverter)
                continue;
        }
        m_converters->candidates.push_back(codePage.number);
        m_converters->entries.push_back(
            std::make_unique<Converters::Entry>(codePage.number, converter, codePage.singleByte));
    }
}

EncodingRepair::~EncodingRepair()
{
    for (const std::unique_ptr<Converters::Entry>& entry : m_converters->entries) {
        if (entry->converter != noConverter)
            iconv_close(entry->converter);
    }
}

std::span<const quint32> EncodingRepair::candidates() const
{
    return m_converters->candidates;
}

std::optional<QString> EncodingRepair::decode(QByteArrayView bytes, quint32 encoding) const
{
    if (encoding == StringEncoding::Utf16LE)
        return decodeUtf16LE(bytes);
    if (encoding == StringEncoding::Latin1)
        return decodeLatin1(bytes);
    const Converters::Entry* entry = m_converters->entryFor(encoding);
    if (!entry)
        return std::nullopt;
    std::lock_guard guard(m_converters->lock);
    return convertStrictly(entry->converter, bytes);
}

std::optional<quint32> EncodingRepair::matchingEncoding(
    QByteArrayView bytes, const QString& hint) const
{
    return EncodingMatcher(*this, bytes).matchingEncoding(hint);
}

std::optional<QString> EncodingRepair::normalCandidateText(size_t index, QByteArrayView bytes) const
{
    const Converters::Entry& entry = m_converters->made(index);
    const std::optional<QString> text =
        entry.table ? decodeWithTable(*entry.table, bytes) : decode(bytes, entry.number);
    if (!text)
        return std::nullopt;
    return text->normalized(QString::NormalizationForm_C);
}

bool EncodingRepair::keepsAscii(size_t index) const
{
    return m_converters->made(index).asciiTransparent;
}

qsizetype EncodingRepair::shortestNormalLength(size_t index, qsizetype byteCount) const
{
    // A single-byte code page gives a unit a byte, the others (932, 936, 949, 950) at
    // most two bytes a unit. Normal form C composes at most four units into one (U+1F82
    // from four), and maps a few characters outside the BMP to one unit: eight covers both.
    constexpr qsizetype kMostUnitsPerNormalUnit = 8;
    const qsizetype bytesPerUnit = m_converters->made(index).table ? 1 : 2;
    return byteCount / (bytesPerUnit * kMostUnitsPerNormalUnit);
}

QString EncodingRepair::encodingName(quint32 encoding)
{
    if (encoding == StringEncoding::Utf16LE)
        return QStringLiteral("Unicode (UTF-16LE)");
    if (const CodePage* codePage = findCodePage(encoding))
        return QLatin1String(codePage->name);
    return QStringLiteral("code page %1").arg(encoding);
}

QString EncodingRepair::decodeLatin1(QByteArrayView bytes)
{
    return QString::fromLatin1(bytes);
}

QString EncodingRepair::decodeUtf16LE(QByteArrayView bytes)
{
    const qsizetype units = bytes.size() / 2;
    QString text(units, Qt::Uninitialized);
    qFromLittleEndian<char16_t>(bytes.data(), units, text.data());
    return text;
}
