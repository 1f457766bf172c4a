#include "status/StatusLine.h"

#include <cstdio>

namespace {

bool breaksTheLine(QChar character)
{
    switch (character.category()) {
    case QChar::Other_Control:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    default:
        return false;
    }
}

}

void StatusLine::setTitle(const QString& title)
{
    if (title == m_title)
        return;
    m_title = title;
    m_titlePrinted = false;
    if (m_shown)
        printTitleOnce();
}

void StatusLine::show()
{
    m_shown = true;
    printTitleOnce();
}

void StatusLine::hide()
{
    m_shown = false;
    m_titlePrinted = false;
}

void StatusLine::printTitleOnce()
{
    if (m_titlePrinted || m_title.isEmpty())
        return;
    m_titlePrinted = true;
    const QByteArray line = printable(m_title).toUtf8() + '\n';
    // A line that stderr cannot take is lost; the work it reports goes on regardless.
    static_cast<void>(std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stderr));
    static_cast<void>(std::fflush(stderr));
}

QString StatusLine::printable(const QString& title)
{
    QString line;
    line.reserve(title.size());
    for (const QChar character : title) {
        if (breaksTheLine(character))
            line += QStringLiteral("\\x%1").arg(character.unicode(), 2, 16, QLatin1Char('0'));
        else
            line += character;
    }
    return line;
}
