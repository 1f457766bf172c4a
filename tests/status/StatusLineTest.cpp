#include "status/RZStatusController.h"
#include "status/RZStatusLine.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

namespace {

// What the process writes to its real stderr (file descriptor 2) while it runs.
std::string stderrOf(const std::function<void()>& action)
{
    static_cast<void>(std::fflush(stderr));
    int pipe[2];
    if (::pipe2(pipe, O_NONBLOCK) != 0)
        return "(no pipe)";
    const int saved = ::dup(STDERR_FILENO);
    ::dup2(pipe[1], STDERR_FILENO);
    action();
    static_cast<void>(std::fflush(stderr));
    ::dup2(saved, STDERR_FILENO);
    ::close(saved);
    ::close(pipe[1]);
    std::string captured;
    char buffer[4096];
    for (ssize_t count; (count = ::read(pipe[0], buffer, sizeof buffer)) > 0;)
        captured.append(buffer, size_t(count));
    ::close(pipe[0]);
    return captured;
}

// Without a display the shared controller's window is the terminal: a title is written
// once each time it is shown, a hidden one or an empty show writes nothing.
TEST(StatusLine, ShownTitlesAreWrittenToStderrOnceEach)
{
    ASSERT_FALSE(RZStatusController::displayAvailable());
    RZStatusController* controller = RZStatusController::sharedStatusController();
    ASSERT_NE(controller, nullptr);
    EXPECT_EQ(controller->statusWindow(), nullptr);
    EXPECT_EQ(RZStatusController::createShared(), controller);
    const QString title = QStringLiteral("Mounting drive smb://127.0.0.1/share");
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
        RZStatusLine empty;
        empty.show();
        RZStatusLine line;
        for (const char* hidden : {"first", "second"})
            line.setTitle(QString::fromUtf8(hidden));
        line.show();
        line.setTitle(QStringLiteral("third"));
        line.hide();
        line.setTitle(QStringLiteral("fourth"));
    }),
        "second\nthird\n");
}

TEST(StatusLine, ControlCharactersAreWrittenAsEscapes)
{
    const struct {
        const char16_t* title;
        const char16_t* printed;
    } cases[] = {
        {u"smb://fs1/\x1b]0;owned\x07share", u"smb://fs1/\\x1b]0;owned\\x07share"},
        {u"smb://fs1/a\nb\r", u"smb://fs1/a\\x0ab\\x0d"},
        {u"smb://fs1/\u009b2J", u"smb://fs1/\\x9b2J"},
        {u"smb://fs1/a\u2028b", u"smb://fs1/a\\x2028b"},
        {u"smb://fs1/Präsentation 2024 \u00e9\u4e2d", u"smb://fs1/Präsentation 2024 \u00e9\u4e2d"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(
            RZStatusLine::printable(QString::fromUtf16(c.title)), QString::fromUtf16(c.printed));
}

}
