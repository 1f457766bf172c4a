#include "ExceptionReports.h"

#include <QFile>
#include <QRegularExpression>

QStringList exceptionReports(const QString& logPath)
{
    QFile file(logPath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QString text = QString::fromUtf8(file.readAll());
    // Every part of a report ends in a newline, and the closing "\n\n" follows.
    QStringList reports = text.split(QStringLiteral("\n\n\n"));
    // The text after the last closing: empty when every report is whole.
    if (reports.takeLast() != QString())
        reports << QStringLiteral("(unfinished report)");
    return reports;
}

bool hasReportLayout(const QString& report, const QString& type, const QString& reason)
{
    static const QRegularExpression layout(QStringLiteral(
        "^(Sun|Mon|Tue|Wed|Thu|Fri|Sat) (Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) "
        "[ 1-3][0-9] [0-2][0-9]:[0-5][0-9]:[0-6][0-9] [0-9]{4}\n"
        "An exception of type (.*) occured: (.*)\nStack trace:\n( +[0-9]+\t[^\n]*\n)+$"));
    const QRegularExpressionMatch match = layout.match(report + QLatin1Char('\n'));
    return match.hasMatch() && match.captured(3) == type && match.captured(4) == reason;
}
