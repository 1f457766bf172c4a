#include "status/StatusLine.h"

#include "support/QtPrinters.h"
#include "windows/RZStatusController.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

// What the process writes to its real stderr (file descriptor 2) while it runs.
std::string stderrOf(const std::function<void()>& action)
{
    static_cast<void>(std::fflush(stderr));
    const std::unique_ptr<FILE, decltype(&std::fclose)> file(std::tmpfile(), &std::fclose);
    const int saved = ::dup(STDERR_FILENO);
    ::dup2(::fileno(file.get()), STDERR_FILENO);
    action();
    static_cast<void>(std::fflush(stderr));
    ::dup2(saved, STDERR_FILENO);
    ::close(saved);
    std::string captured(size_t(::lseek(::fileno(file.get()), 0, SEEK_END)), '\0');
    return ::pread(::fileno(file.get()), captured.data(), captured.size(), 0) < 0 ? "" : captured;
}

// Without a display the shared window is the terminal: a title is written once a show,
// a hidden one or an empty show writes nothing; control characters come out escaped.
TEST(StatusLine, ShownTitlesAreWrittenToStderrOnceEachWithControlCharactersEscaped)
{
    ASSERT_FALSE(RZStatusController::displayAvailable());
    RZStatusController* controller = RZStatusController::sharedStatusController();
    ASSERT_NE(controller, nullptr);
    EXPECT_EQ(controller->statusWindow(), nullptr);
    const QString title = u"Mounting drive smb://127.0.0.1/share"_s;
    EXPECT_EQ(stderrOf([&] {
        controller->setTitle(title);
        controller->showWithProgressEnabled(true);
        controller->showWithProgressEnabled(true);
        controller->hideNow();
        controller->setTitle(title);
        controller->show();
        controller->hideAfterDelay(0);
    }),
        "Mounting drive smb://127.0.0.1/share\nMounting drive smb://127.0.0.1/share\n");
    EXPECT_EQ(stderrOf([] {
        StatusLine empty;
        empty.show();
        StatusLine line;
        for (const char* hidden : {"first", "second"})
            line.setTitle(QString::fromUtf8(hidden));
        line.show();
        line.setTitle(u"third"_s);
        line.hide();
        line.setTitle(u"fourth"_s);
    }),
        "second\nthird\n");
    const char16_t* const cases[][2] = {
        {u"smb://fs1/\x1b]0;owned\x07share", u"smb://fs1/\\x1b]0;owned\\x07share"},
        {u"smb://fs1/a\nb\r", u"smb://fs1/a\\x0ab\\x0d"},
        {u"smb://fs1/\u009b2J", u"smb://fs1/\\x9b2J"},
        {u"smb://fs1/a\u2028b", u"smb://fs1/a\\x2028b"},
        {u"smb://fs1/Präsentation 2024 \u00e9\u4e2d", u"smb://fs1/Präsentation 2024 \u00e9\u4e2d"}};
    for (const auto& [raw, printed] : cases)
        EXPECT_EQ(StatusLine::printable(QString::fromUtf16(raw)), QString::fromUtf16(printed));
}

}
