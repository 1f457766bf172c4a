#pragma once

#include <QString>
#include <QStringList>

// The reports of an exception log file, each without its last newline and its closing
// "\n\n"; a last report that is not whole is "(unfinished report)".
QStringList exceptionReports(const QString& logPath);

// Whether report has the layout of a report of an exception of this type and reason,
// with a trace of at least one numbered line.
bool hasReportLayout(const QString& report, const QString& type, const QString& reason);
