#include "shortcut/HVEncodingRepair.h"

#include <QtEndian>

#include <iconv.h>

#include <array>
#include <cerrno>
#include <mutex>
#include <vector>

namespace {

struct CodePage {
    quint32 number;
    const char* iconvName; // null where Qt decodes without a converter
    const char* name;
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
    CodePage {932, "CP932", "Japanese (Windows 932)"},
    CodePage {936, "CP936", "Simplified Chinese (Windows 936)"},
    CodePage {949, "CP949", "Korean (Windows 949)"},
    CodePage {950, "CP950", "Traditional Chinese (Windows 950)"},
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
    CodePage {HVStringEncoding::Latin1, nullptr, "Western (ISO Latin 1)"},
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
    CodePage {HVStringEncoding::MacRoman, "MACINTOSH", "Western (Mac OS Roman)"},
};

const iconv_t noConverter = reinterpret_cast<iconv_t>(-1);

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

}

struct HVEncodingRepair::Converters {
    struct Entry {
        quint32 number;
        iconv_t converter;
    };
    std::vector<Entry> entries;
    std::vector<quint32> candidates;
    mutable std::mutex lock;

    iconv_t converterFor(quint32 number) const
    {
        for (const Entry& entry : entries) {
            if (entry.number == number)
                return entry.converter;
        }
        return noConverter;
    }
};

const HVEncodingRepair& HVEncodingRepair::shared()
{
    static const HVEncodingRepair instance;
    return instance;
}

HVEncodingRepair::HVEncodingRepair()
    : m_converters(std::make_unique<Converters>())
{
    for (const CodePage& codePage : codePageTable) {
        if (!codePage.iconvName) {
            m_converters->candidates.push_back(codePage.number);
            continue;
        }
        // Big-endian hosts would need UTF-16BE here and a swap below; we only build for
        // little-endian ones, where the output is read with qFromLittleEndian anyway.
        const iconv_t converter = iconv_open("UTF-16LE", codePage.iconvName);
        if (converter == noConverter)
            continue;
        m_converters->entries.push_back({codePage.number, converter});
        m_converters->candidates.push_back(codePage.number);
    }
}

HVEncodingRepair::~HVEncodingRepair()
{
    for (const Converters::Entry& entry : m_converters->entries)
        iconv_close(entry.converter);
}

std::span<const quint32> HVEncodingRepair::candidates() const
{
    return m_converters->candidates;
}

std::optional<QString> HVEncodingRepair::decode(QByteArrayView bytes, quint32 encoding) const
{
    if (encoding == HVStringEncoding::Utf16LE)
        return decodeUtf16LE(bytes);
    if (encoding == HVStringEncoding::Latin1)
        return decodeLatin1(bytes);
    const iconv_t converter = m_converters->converterFor(encoding);
    if (converter == noConverter)
        return std::nullopt;
    std::lock_guard guard(m_converters->lock);
    return convertStrictly(converter, bytes);
}

std::optional<quint32> HVEncodingRepair::matchingEncoding(
    QByteArrayView bytes, const QString& hint) const
{
    const QString normalHint = hint.normalized(QString::NormalizationForm_C);
    for (const quint32 encoding : candidates()) {
        const std::optional<QString> text = decode(bytes, encoding);
        if (!text)
            continue;
        const QString normalText = text->normalized(QString::NormalizationForm_C);
        if (normalText.size() > normalHint.size())
            continue;
        if (QStringView(normalHint).last(normalText.size()) == normalText)
            return encoding;
    }
    return std::nullopt;
}

QString HVEncodingRepair::encodingName(quint32 encoding)
{
    if (encoding == HVStringEncoding::Utf16LE)
        return QStringLiteral("Unicode (UTF-16LE)");
    if (const CodePage* codePage = findCodePage(encoding))
        return QLatin1String(codePage->name);
    return QStringLiteral("code page %1").arg(encoding);
}

QString HVEncodingRepair::decodeLatin1(QByteArrayView bytes)
{
    return QString::fromLatin1(bytes);
}

QString HVEncodingRepair::decodeUtf16LE(QByteArrayView bytes)
{
    const qsizetype units = bytes.size() / 2;
    QString text(units, Qt::Uninitialized);
    qFromLittleEndian<char16_t>(bytes.data(), units, text.data());
    return text;
}
