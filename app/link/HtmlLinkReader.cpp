#include "link/HtmlLinkReader.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>

namespace {

// QTextDocument loads what <img> and <link rel="stylesheet"> name from the file system
// while it parses; a stranger's markup could name /dev/zero. This one loads nothing.
class InertTextDocument : public QTextDocument {
protected:
    QVariant loadResource(int /*type*/, const QUrl& /*name*/) override { return {}; }
};

std::optional<QString> firstAnchorTarget(const QTextDocument& document)
{
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
            const QTextCharFormat format = fragment.fragment().charFormat();
            if (format.isAnchor() && !format.anchorHref().isEmpty())
                return format.anchorHref();
        }
    }
    return std::nullopt;
}

}

namespace HtmlLinkReader {

RichTextContent read(const QString& html)
{
    InertTextDocument document;
    document.setHtml(html);
    return {document.toPlainText(), firstAnchorTarget(document)};
}

}
