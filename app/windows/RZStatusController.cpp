#include "windows/RZStatusController.h"

#include "status/StatusLine.h"
#include "windows/RZStatusWindow.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>

#include <climits>
#include <cmath>

namespace {

// Set once and never destroyed: the controller lives as long as the process.
RZStatusController* sharedController = nullptr;

int delayInMilliseconds(double seconds)
{
    if (!(seconds > 0))
        return 0;
    const double milliseconds = std::ceil(seconds * 1000);
    return milliseconds >= INT_MAX ? INT_MAX : static_cast<int>(milliseconds);
}

}

RZStatusController* RZStatusController::sharedStatusController()
{
    return createShared();
}

RZStatusController* RZStatusController::createShared()
{
    if (!sharedController) {
        sharedController = displayAvailable()
            ? new RZStatusController(std::make_unique<RZStatusWindow>())
            : new RZStatusController();
    }
    return sharedController;
}

bool RZStatusController::displayAvailable()
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return false;
    const QString platform = QGuiApplication::platformName();
    return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

RZStatusController::RZStatusController(std::unique_ptr<RZStatusWindow> statusWindow)
    : m_statusWindow(std::move(statusWindow))
{
    Q_ASSERT(m_statusWindow);
    awakeFromNib();
}

RZStatusController::RZStatusController()
    : m_statusLine(std::make_unique<StatusLine>())
{
    awakeFromNib();
}

RZStatusController::~RZStatusController() = default;

QLabel* RZStatusController::textField() const
{
    return m_statusWindow ? m_statusWindow->textField() : nullptr;
}

QProgressBar* RZStatusController::progress() const
{
    return m_statusWindow ? m_statusWindow->progress() : nullptr;
}

bool RZStatusController::isShown() const
{
    return m_statusWindow ? m_statusWindow->isVisible() : m_statusLine->isShown();
}

// Runs once the window and its parts exist, as they were laid out.
void RZStatusController::awakeFromNib()
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &RZStatusController::timerFired);
    if (!m_statusWindow)
        return;
    m_sizeOffset = m_statusWindow->width() - textField()->width();
    stopProgress();
}

void RZStatusController::setTitle(const QString& title)
{
    if (m_statusWindow)
        fitWindowToTitle(title);
    else
        m_statusLine->setTitle(title);
}

void RZStatusController::fitWindowToTitle(const QString& title)
{
    // Qt moves and resizes a window at once whether it is shown or not; a hidden one
    // simply stays hidden.
    QLabel* field = textField();
    const QRect screen = m_statusWindow->screen()->availableGeometry();
    field->setText(title);
    field->adjustSize();
    const int widestField = screen.width() - m_sizeOffset;
    if (field->width() > widestField) {
        // A window wider than the screen would hide both ends of the text; the middle of
        // a long share path is what can best be spared.
        field->setText(field->fontMetrics().elidedText(title, Qt::ElideMiddle, widestField));
        field->adjustSize();
    }
    QRect frame(0, 0, field->width() + m_sizeOffset, m_statusWindow->height());
    frame.moveCenter(screen.center());
    m_statusWindow->setGeometry(frame);
}

void RZStatusController::show()
{
    showWithProgressEnabled(false);
}

void RZStatusController::showWithProgressEnabled(bool enabled)
{
    m_timer.stop();
    if (!m_statusWindow) {
        m_statusLine->show();
        return;
    }
    if (enabled)
        startProgress();
    m_statusWindow->orderFrontAndDisplay();
}

void RZStatusController::hideNow()
{
    m_timer.stop();
    stopProgress();
    orderOut();
}

void RZStatusController::hideAfterDelay(double seconds)
{
    m_timer.stop();
    stopProgress();
    m_timer.start(delayInMilliseconds(seconds));
}

void RZStatusController::timerFired()
{
    orderOut();
}

void RZStatusController::orderOut()
{
    if (m_statusWindow)
        m_statusWindow->hide();
    else
        m_statusLine->hide();
}

void RZStatusController::startProgress()
{
    if (m_statusWindow)
        progress()->show();
}

// A stopped indicator is not displayed; hidden, its busy animation stops too.
void RZStatusController::stopProgress()
{
    if (m_statusWindow)
        progress()->hide();
}
