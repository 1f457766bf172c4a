#include "status/RZStatusLine.h"

#include "PrintQString.h"
#include "status/RZStatusController.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

namespace {

// Catches what the process writes to its real stderr (file descriptor 2) meanwhile.
class StderrCapture {
public:
    StderrCapture()
    {
        static_cast<void>(std::fflush(stderr));
        if (pipe2(m_pipe, O_NONBLOCK) != 0)
            ADD_FAILURE() << "no pipe";
        m_saved = dup(STDERR_FILENO);
        dup2(m_pipe[1], STDERR_FILENO);
    }
    ~StderrCapture()
    {
        restore();
        close(m_pipe[0]);
    }

    std::string text()
    {
        restore();
        std::string captured;
        char buffer[4096];
        for (ssize_t count; (count = read(m_pipe[0], buffer, sizeof buffer)) > 0;)
            captured.append(buffer, static_cast<size_t>(count));
        return captured;
    }

private:
    void restore()
    {
        if (m_saved < 0)
            return;
        static_cast<void>(std::fflush(stderr));
        dup2(m_saved, STDERR_FILENO);
        close(m_saved);
        close(m_pipe[1]);
        m_saved = -1;
    }

    int m_pipe[2] = {-1, -1};
    int m_saved = -1;
};

}

TEST(StatusLine, WithoutDisplaySharedControllerWritesShownTitleToStderr)
{
    ASSERT_FALSE(RZStatusController::displayAvailable());
    StderrCapture capture;
    RZStatusController* controller = RZStatusController::sharedStatusController();
    ASSERT_NE(controller, nullptr);
    EXPECT_EQ(controller->statusWindow(), nullptr);
    EXPECT_EQ(RZStatusController::createShared(), controller);

    controller->setTitle(QStringLiteral("Mounting drive smb://127.0.0.1/share"));
    controller->showWithProgressEnabled(true);
    controller->showWithProgressEnabled(true);
    controller->hideNow();
    controller->setTitle(QStringLiteral("Mounting drive smb://127.0.0.1/share"));
    controller->show();
    controller->hideAfterDelay(0);
    EXPECT_EQ(capture.text(),
        "Mounting drive smb://127.0.0.1/share\n"
        "Mounting drive smb://127.0.0.1/share\n");
}

TEST(StatusLine, TitleChangedWhileShownIsWrittenAndHiddenOneIsNot)
{
    StderrCapture capture;
    RZStatusLine line;
    line.setTitle(QStringLiteral("first"));
    line.setTitle(QStringLiteral("second"));
    line.show();
    line.setTitle(QStringLiteral("third"));
    line.hide();
    line.setTitle(QStringLiteral("fourth"));
    EXPECT_EQ(capture.text(), "second\nthird\n");
}

TEST(StatusLine, ShowWithoutTitleWritesNothing)
{
    StderrCapture capture;
    RZStatusLine line;
    line.show();
    EXPECT_EQ(capture.text(), "");
}

TEST(StatusLine, ControlCharactersAreWrittenAsEscapes)
{
    struct Case {
        QString title;
        QString printed;
    };
    const Case cases[] = {
        {QStringLiteral("smb://fs1/\x1b]0;owned\x07share"),
            QStringLiteral("smb://fs1/\\x1b]0;owned\\x07share")},
        {QStringLiteral("smb://fs1/a\nb\r"), QStringLiteral("smb://fs1/a\\x0ab\\x0d")},
        {QStringLiteral("smb://fs1/\u009b2J"), QStringLiteral("smb://fs1/\\x9b2J")},
        {QStringLiteral("smb://fs1/a\u2028b"), QStringLiteral("smb://fs1/a\\x2028b")},
        {QStringLiteral("smb://fs1/Präsentation 2024 \u00e9\u4e2d"),
            QStringLiteral("smb://fs1/Präsentation 2024 \u00e9\u4e2d")},
    };
    for (const Case& testCase : cases)
        EXPECT_EQ(RZStatusLine::printable(testCase.title), testCase.printed);
}
