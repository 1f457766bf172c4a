#pragma once

#include "alerts/AlertPresenter.h"

class QMessageBox;
class QWidget;

// Alerts as message boxes on the display: title, message, informative text and one
// "OK" button, run modally. Kestrova has no window of its own to raise, so the box itself is
// brought to the front: kept above other windows, and activated through the window manager as soon
// as it is on the screen.
class MessageBoxAlertPresenter : public AlertPresenter {
public:
    void runModal(const AppAlert& alert) override;

    // Runs the box modally, brought to the front once it is on the screen; for every
    // modal window Kestrova shows. Returns what QMessageBox::exec returns.
    static int execInFront(QMessageBox& box);

    // Makes the box wide enough for a window manager to show its whole title.
    static void widenForTitle(QMessageBox& box);

    // Raises and activates a top-level window of the application, asking the window
    // manager (EWMH) where there is one.
    static void bringToFront(QWidget& window);
};
