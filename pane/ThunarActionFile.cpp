#include "ThunarActionFile.h"

#include <QXmlStreamReader>

#include <algorithm>

namespace {

constexpr QLatin1StringView kRoot("actions");
constexpr QLatin1StringView kAction("action");
constexpr QLatin1StringView kUniqueId("unique-id");

// Reads the elements of the file while remembering where each one starts and ends.
// QXmlStreamReader tells only the offset after the token it read last, which may
// already hold the "<" of the next one.
class ActionScanner {
public:
    explicit ActionScanner(const QString& text)
        : m_text(text)
        , m_reader(text)
    {
    }

    Result<void> scan()
    {
        while (!m_reader.atEnd()) {
            const qsizetype tokenStart = qsizetype(m_reader.characterOffset());
            m_reader.readNext();
            if (m_reader.isStartElement())
                startElement(tokenStart);
            else if (m_reader.isEndElement())
                endElement();
            if (!m_failure.isEmpty())
                return Failure {m_failure};
        }
        if (m_reader.hasError())
            return Failure {QStringLiteral("is no well-formed XML (line %1, column %2: %3)")
                                .arg(m_reader.lineNumber())
                                .arg(m_reader.columnNumber())
                                .arg(m_reader.errorString())};
        if (!m_sawRoot)
            return Failure {QStringLiteral("holds no <actions> element")};
        return {};
    }

    QList<ThunarActionFile::Action> actions;
    qsizetype rootEnd = 0;
    bool rootSelfClosing = false;

private:
    void startElement(qsizetype tokenStart)
    {
        ++m_depth;
        if (m_depth == 1 && m_reader.name() != kRoot)
            m_failure = QStringLiteral("has <%1> where Thunar expects <actions>")
                            .arg(m_reader.name().toString());
        m_sawRoot = true;
        if (m_depth == 2 && m_reader.name() == kAction) {
            m_actionStart = tagStart(tokenStart);
            m_uniqueId.clear();
        }
        if (m_depth == 3 && m_reader.name() == kUniqueId) {
            m_uniqueId = m_reader.readElementText(QXmlStreamReader::IncludeChildElements);
            --m_depth;
        }
    }

    qsizetype tagStart(qsizetype tokenStart) const
    {
        return m_text.indexOf(u'<', std::max<qsizetype>(0, tokenStart - 1));
    }

    void endElement()
    {
        // The end tag, or the "/>" of an empty element, ends at the last ">" read.
        const qsizetype tagEnd =
            m_text.lastIndexOf(u'>', qsizetype(m_reader.characterOffset()) - 1) + 1;
        if (m_depth == 2 && m_reader.name() == kAction)
            actions.append(
                {m_uniqueId.trimmed(), m_text.mid(m_actionStart, tagEnd - m_actionStart)});
        if (m_depth == 1) {
            const qsizetype tag = m_text.lastIndexOf(u'<', tagEnd - 1);
            rootSelfClosing = !QStringView(m_text).mid(tag).startsWith(u"</");
            // <actions/> has no end tag: what is added goes in before its "/>".
            rootEnd = rootSelfClosing ? m_text.indexOf(u'>', tag) - 1 : tag;
        }
        --m_depth;
    }

    const QString& m_text;
    QXmlStreamReader m_reader;
    int m_depth = 0;
    bool m_sawRoot = false;
    qsizetype m_actionStart = 0;
    QString m_uniqueId;
    QString m_failure;
};

}

Result<ThunarActionFile> ThunarActionFile::parse(const QByteArray& bytes)
{
    if (bytes.size() > kMaximumSize)
        return Failure {QStringLiteral("is larger than %1 bytes").arg(kMaximumSize)};
    ThunarActionFile file;
    file.m_text = QString::fromUtf8(bytes);
    // Written back as UTF-8, a file in another encoding would change its other actions.
    if (file.m_text.toUtf8() != bytes)
        return Failure {QStringLiteral("is not UTF-8 text")};
    if (file.m_text.trimmed().isEmpty())
        return empty();
    ActionScanner scanner(file.m_text);
    if (Result<void> scanned = scanner.scan(); !scanned)
        return scanned.failure();
    file.m_actions = std::move(scanner.actions);
    file.m_rootEnd = scanner.rootEnd;
    file.m_rootSelfClosing = scanner.rootSelfClosing;
    return file;
}

ThunarActionFile ThunarActionFile::empty()
{
    ThunarActionFile file;
    file.m_text =
        QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<actions>\n</actions>\n");
    file.m_rootEnd = file.m_text.lastIndexOf(QStringLiteral("</actions>"));
    return file;
}

bool ThunarActionFile::hasAction(const QString& uniqueId) const
{
    return std::any_of(m_actions.begin(), m_actions.end(),
        [&](const Action& action) { return action.uniqueId == uniqueId; });
}

QByteArray ThunarActionFile::withActions(const QList<Action>& added) const
{
    QString inserted;
    for (const Action& action : added) {
        if (!hasAction(action.uniqueId))
            inserted += action.element + u'\n';
    }
    if (inserted.isEmpty())
        return m_text.toUtf8();
    if (!m_rootSelfClosing)
        return (m_text.left(m_rootEnd) + inserted + m_text.mid(m_rootEnd)).toUtf8();
    // "<actions/>" becomes "<actions>" ... "</actions>".
    return (m_text.left(m_rootEnd) + QStringLiteral(">\n") + inserted + QStringLiteral("</actions>")
        + m_text.mid(m_rootEnd + 2))
        .toUtf8();
}
