#pragma once

#include <ctime>

class ReportBuffer;

// The first line of a report: a time as ctime(3) writes it, "Wed Jun 30 21:49:08 1993\n".
namespace CtimeLine {

// The calendar time of `when` at a fixed distance east of UTC, reckoned without the
// time-zone database: localtime takes a lock and may read files, which the fatal-signal
// handler must not do.
std::tm civilTime(std::time_t when, long utcOffsetSeconds);

void append(ReportBuffer& report, const std::tm& time);

}
