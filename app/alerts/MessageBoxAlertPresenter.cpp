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
    QTimer::singleShot(0, &box, [&box] { bringToFront(box); });
    box.exec();
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
