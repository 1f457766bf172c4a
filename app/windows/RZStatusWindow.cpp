#include "windows/RZStatusWindow.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <QWindow>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace {

constexpr Qt::WindowFlags statusWindowFlags =
    Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus;

constexpr int horizontalMargin = 16;
constexpr int verticalMargin = 12;
constexpr int spacing = 12;
constexpr int progressWidth = 96;

}

RZStatusWindow::RZStatusWindow([[maybe_unused]] Qt::WindowFlags requestedFlags)
    : QFrame(nullptr, statusWindowFlags)
    , m_textField(new QLabel(this))
    , m_progress(new QProgressBar(this))
{
    // Opaque, with a raised edge that sets it off from what lies beneath; on X11 the
    // shadow is the compositor's, which Qt allows unless told otherwise.
    setAutoFillBackground(true);
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(1);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(QStringLiteral("Kestrova"));
    layOut();
}

void RZStatusWindow::layOut()
{
    // Titles name servers and shares taken from shortcuts: they are shown as they stand,
    // never read as markup.
    m_textField->setTextFormat(Qt::PlainText);
    m_textField->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);

    m_progress->setRange(0, 0);
    m_progress->setTextVisible(false);
    m_progress->setFixedWidth(progressWidth);
    // A stopped indicator disappears but keeps its place, so the text does not move.
    QSizePolicy progressPolicy = m_progress->sizePolicy();
    progressPolicy.setRetainSizeWhenHidden(true);
    m_progress->setSizePolicy(progressPolicy);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(horizontalMargin, verticalMargin, horizontalMargin, verticalMargin);
    layout->setSpacing(spacing);
    layout->addWidget(m_textField);
    layout->addWidget(m_progress);
    // The controller sets the window's size from the text; the layout only places the
    // two children inside it.
    layout->setSizeConstraint(QLayout::SetNoConstraint);

    m_textField->adjustSize();
    adjustSize();
    layout->activate();
}

void RZStatusWindow::orderFrontAndDisplay()
{
    const bool mappedAgain = !isVisible();
    show();
    raise();
    waitUntilExposed(mappedAgain);
    repaint();
    flushToWindowSystem();
}

// The wait turns the event loop for a few milliseconds. User input is left queued for the
// caller's own loop, so a click cannot start other work inside this call; timers and
// posted events do run.
void RZStatusWindow::waitUntilExposed(bool mappedAgain)
{
    QWindow* window = windowHandle();
    // A window shown again right after it was hidden still reads as exposed until Qt has
    // handled the unmapping, which is queued behind this call: only the new expose counts.
    if (!window || (window->isExposed() && !mappedAgain))
        return;
    // Qt draws into a window only once the window system reports it exposed, which a
    // window manager does in its own time.
    QEventLoop exposeWait;
    QTimer timeout;
    timeout.setSingleShot(true);
    connect(&timeout, &QTimer::timeout, &exposeWait, &QEventLoop::quit);
    timeout.start(exposeTimeoutMilliseconds);
    window->installEventFilter(this);
    m_exposeWait = &exposeWait;
    exposeWait.exec(QEventLoop::ExcludeUserInputEvents);
    m_exposeWait = nullptr;
    window->removeEventFilter(this);
}

// A round trip to the X server: once its reply is in, the server has carried out every
// request sent before it, the drawing included. Elsewhere Qt's own synchronisation serves.
void RZStatusWindow::flushToWindowSystem()
{
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11) {
        QGuiApplication::sync();
        return;
    }
    xcb_connection_t* connection = x11->connection();
    const std::unique_ptr<xcb_get_input_focus_reply_t, decltype(&std::free)> reply(
        xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr),
        &std::free);
}

bool RZStatusWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (m_exposeWait && event->type() == QEvent::Expose && watched == windowHandle()
        && windowHandle()->isExposed())
        m_exposeWait->quit();
    return QFrame::eventFilter(watched, event);
}
