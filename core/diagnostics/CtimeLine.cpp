#include "diagnostics/CtimeLine.h"

#include "diagnostics/ReportBuffer.h"

#include <cstdint>

namespace CtimeLine {
namespace {

constexpr std::int64_t kSecondsPerDay = 86400;
const char* const weekdayNames[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const monthNames[] = {
    "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

std::int64_t floorDivide(std::int64_t value, std::int64_t divisor)
{
    return value / divisor - (value % divisor < 0 ? 1 : 0);
}

// Year, month (1-12) and day of the proleptic Gregorian calendar from days since
// 1970-01-01, by H. Hinnant's civil_from_days.
void setDate(std::tm& time, std::int64_t days)
{
    const std::int64_t shifted = days + 719468;
    const std::int64_t era = floorDivide(shifted, 146097);
    const std::int64_t dayOfEra = shifted - era * 146097;
    const std::int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;
    const std::int64_t month = shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9;
    time.tm_mday = int(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
    time.tm_mon = int(month - 1);
    time.tm_year = int(yearOfEra + era * 400 + (month <= 2 ? 1 : 0) - 1900);
    // 1970-01-01 was a Thursday.
    time.tm_wday = int(days + 4 - floorDivide(days + 4, 7) * 7);
}

void appendTwoDigits(ReportBuffer& report, int value, char padding)
{
    const char digits[] = {value < 10 ? padding : char('0' + value / 10), char('0' + value % 10)};
    report.append(digits, sizeof digits);
}

}

std::tm civilTime(std::time_t when, long utcOffsetSeconds)
{
    const std::int64_t local = std::int64_t(when) + utcOffsetSeconds;
    const std::int64_t days = floorDivide(local, kSecondsPerDay);
    const std::int64_t secondOfDay = local - days * kSecondsPerDay;
    std::tm time {};
    setDate(time, days);
    time.tm_hour = int(secondOfDay / 3600);
    time.tm_min = int(secondOfDay / 60 % 60);
    time.tm_sec = int(secondOfDay % 60);
    return time;
}

void append(ReportBuffer& report, const std::tm& time)
{
    report.append(weekdayNames[time.tm_wday % 7]);
    report.append(" ");
    report.append(monthNames[time.tm_mon % 12]);
    report.append(" ");
    appendTwoDigits(report, time.tm_mday, ' ');
    report.append(" ");
    appendTwoDigits(report, time.tm_hour, '0');
    report.append(":");
    appendTwoDigits(report, time.tm_min, '0');
    report.append(":");
    appendTwoDigits(report, time.tm_sec, '0');
    report.append(" ");
    report.appendDecimal(std::uint64_t(time.tm_year) + 1900);
    report.append("\n");
}

}
