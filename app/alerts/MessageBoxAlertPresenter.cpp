#include "alerts/MessageBoxAlertPresenter.h"

#include "workspace/X11Session.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>

namespace {

// Beside its title a window manager draws the window's icon and its buttons (close,
// maximise, minimise, and often one more), each about a line of the title high.
constexpr int kFrameItemsBesideTitle = 6;

}

void MessageBoxAlertPresenter::runModal(const AppAlert& alert)
{
    QMessageBox box(QMessageBox::Warning, alert.title, alert.message, QMessageBox::Ok);
    // The message comes from elsewhere (a shortcut's error): it is shown as it stands.
    box.setTextFormat(Qt::PlainText);
    if (!alert.informativeText.isEmpty()) {
        box.setInformativeText(alert.informativeText);
        // QMessageBox guesses the format of its informative text; paths from strangers
        // may hold markup, which is shown as it stands.
        if (auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel")))
            label->setTextFormat(Qt::PlainText);
    }
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    execInFront(box);
}

void MessageBoxAlertPresenter::widenForTitle(QMessageBox& box)
{
    // A message box is only as wide as its text, and a window manager cuts a longer
    // title ("Could no... shortcut"). Its title font is its own: Qt's title font in
    // bold is the common case and errs on the wide side.
    QFont titleFont = QFontDatabase::systemFont(QFontDatabase::TitleFont);
    titleFont.setBold(true);
    const QFontMetrics metrics(titleFont);
    const int width =
        metrics.horizontalAdvance(box.windowTitle()) + kFrameItemsBesideTitle * metrics.height();
    // QMessageBox fixes its own size from its layout, so the width goes into the layout.
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid)
        return;
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
        grid->rowCount(), 0, 1, grid->columnCount());
}

int MessageBoxAlertPresenter::execInFront(QMessageBox& box)
{
    // The window manager activates only a window it manages: the request waits until
    // the modal loop runs and the box is on the screen.
    widenForTitle(box);
    QTimer bringer;
    bringer.setSingleShot(true);
    QObject::connect(&bringer, &QTimer::timeout, &box, [&box] { bringToFront(box); });
    bringer.start(0);
    return box.exec();
}

void MessageBoxAlertPresenter::bringToFront(QWidget& window)
{
    window.raise();
    window.activateWindow();
    // Window managers hold back an application's own request for focus unless it
    // comes with the user's action; the request of a task bar ("other" source) is
    // honoured, and the alert answers the user's own act of opening something.
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    if (const std::shared_ptr<X11Session> session = X11Session::open())
        session->requestActivation(quint32(window.winId()));
}
