#pragma once

#include "AppRequest.h"

#include <QDBusConnection>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <deque>
#include <functional>
#include <memory>

class AppController;
class ApplicationBusObject;

// The running instance of the session: serves requests one after another, and quits
// once it has been idle for a while, unless it owns the clipboard (whose contents go
// when their owner goes).
//
// Requests come from the bus (registerOnBus) or from the process itself (submit). They
// are served in the order they came, each to its end: a request that arrives while an
// alert of the one before is on the screen waits for it.
class KestrovaInstance : public QObject {
    Q_OBJECT

public:
    using Reply = std::function<void(const AppRequestOutcome& outcome)>;

    // How long `kestrova service` stays idle before it quits: a few minutes, or
    // KESTROVA_IDLE_SECONDS where a test sets it.
    static std::chrono::milliseconds serviceIdleTime();

    KestrovaInstance(AppController& controller, std::chrono::milliseconds idleTime);
    ~KestrovaInstance() override;

    // Serves org.freedesktop.Application at /com/dovrane/Kestrova and claims the name
    // com.dovrane.Kestrova; false when there is no bus or another process has the name.
    bool registerOnBus(QDBusConnection connection);

    void submit(AppRequest request, Reply reply);

    bool isIdle() const { return !m_busy && m_queue.empty(); }

Q_SIGNALS:
    // Idle for the idle time and not owning the clipboard: the name is given up and
    // nothing is left to serve. The program ends its event loop.
    void finished();

private:
    struct Pending {
        AppRequest request;
        Reply reply;
    };

    void serveNext();
    void restartIdleTimer();
    void idleTimeElapsed();
    void releaseBusName();
    static bool ownsClipboard();

    AppController& m_controller;
    QTimer m_idleTimer;
    QTimer m_serveTimer; // serves the next request at the next turn of the event loop
    std::deque<Pending> m_queue;
    bool m_busy = false;
    std::optional<QDBusConnection> m_connection;
    std::unique_ptr<ApplicationBusObject> m_busObject;
};
