#include "alerts/MessageBoxAlertPresenter.h"

#include "workspace/X11Session.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <QTimer>

void MessageBoxAlertPresenter::runModal(const AppAlert& alert)
{
    QMessageBox box(QMessageBox::Warning, alert.title, alert.message, QMessageBox::Ok);
    // The message comes from elsewhere (a shortcut's error): it is shown as it stands.
    box.setTextFormat(Qt::PlainText);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    execInFront(box);
}

int MessageBoxAlertPresenter::execInFront(QMessageBox& box)
{
    // The window manager activates only a window it manages: the request waits until
    // the modal loop runs and the box is on the screen.
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
