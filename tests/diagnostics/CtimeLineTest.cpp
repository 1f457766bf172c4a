#include "diagnostics/CtimeLine.h"

#include "diagnostics/ReportBuffer.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string ctimeLine(std::time_t when, long utcOffsetSeconds)
{
    char storage[64];
    ReportBuffer line(storage, sizeof storage);
    CtimeLine::append(line, CtimeLine::civilTime(when, utcOffsetSeconds));
    return std::string(line.data(), line.size());
}

// The C library's own reckoning of the same moment, as the reference.
std::string libraryLine(std::time_t when, long utcOffsetSeconds)
{
    const std::time_t shifted = when + utcOffsetSeconds;
    std::tm time {};
    gmtime_r(&shifted, &time);
    char line[64];
    return asctime_r(&time, line);
}

}

TEST(CtimeLine, MatchesTheLibraryAcrossLeapYearsAndCenturies)
{
    const std::time_t moments[] = {0, -1, 951782399, 951782400, 4107542399, 4107542400, 1709164800,
        2147483647, 253402214400, -2208988800};
    const long offsets[] = {0, 3600, -18000, 19800};
    for (std::time_t moment : moments) {
        for (long offset : offsets)
            EXPECT_EQ(ctimeLine(moment, offset), libraryLine(moment, offset))
                << moment << " " << offset;
    }
    EXPECT_EQ(ctimeLine(0, 0), "Thu Jan  1 00:00:00 1970\n");
}

TEST(ReportBuffer, KeepsRoomForTheClosingWhenTheTextOverflows)
{
    char storage[8];
    ReportBuffer report(storage, sizeof storage);
    report.append("0123456789");
    report.appendHex(0xABC);
    report.appendClosing("\n\n");
    EXPECT_EQ(std::string(report.data(), report.size()), "012345\n\n");
}
