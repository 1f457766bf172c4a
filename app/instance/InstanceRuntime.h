#pragma once

#include "AppController.h"
#include "alerts/AppAlerts.h"
#include "environment/AppEnvironment.h"
#include "instance/KestrovaInstance.h"

#include <chrono>

// Everything a process needs to serve requests itself: alerts for its display (or
// none), the system's services, the application delegate and the instance. Used by
// `kestrova service` and by a command that finds no instance to hand its request to.
// Needs the application object (a QApplication where there is a display).
class InstanceRuntime {
public:
    explicit InstanceRuntime(std::chrono::milliseconds idleTime);
    InstanceRuntime(const InstanceRuntime&) = delete;
    InstanceRuntime& operator=(const InstanceRuntime&) = delete;

    KestrovaInstance& instance() { return m_instance; }

    // Runs the event loop until the instance has finished; returns the loop's status.
    int run();

private:
    AppAlerts m_alerts;
    AppEnvironment m_environment;
    AppController m_controller;
    KestrovaInstance m_instance;
};
