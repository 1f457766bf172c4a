#pragma once

#include "text/RichTextContent.h"

#include <QString>

// Reads an HTML selection (text/html) through QTextDocument: its characters and the
// target (href) of its first anchor in reading order, table cells included. Nothing the
// markup names is fetched: images and style sheets stay unloaded, so a selection cannot
// make the reader open a file or wait on one.
namespace HtmlLinkReader {

RichTextContent read(const QString& html);

}
