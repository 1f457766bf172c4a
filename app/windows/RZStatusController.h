#pragma once

#include <QObject>
#include <QTimer>

#include <memory>

class QLabel;
class QProgressBar;
class StatusLine;
class RZStatusWindow;

// Drives the status window that tells the user what the application waits for, such as
// "Mounting drive smb://fs1/Projects" while a share is mounted. The window is as wide as
// its text needs, centred on the screen, and shows a busy indicator while work runs.
//
// A process has one controller, reached from anywhere through sharedStatusController().
// Which kind it gets is decided once, on first use, from the application object (see
// displayAvailable): with a display it is a floating window; without one (the command
// line in a terminal or a script) the terminal is the window: each title shown becomes
// one line on stderr. Making the window costs a start-up as much as a tenth of a shortcut
// opened cold, and most opens never show it, so it is made when a status is first shown.
//
// Main thread only. Tests construct controllers of their own over their own windows.
class RZStatusController : public QObject {
    Q_OBJECT

public:
    // The process's controller, made on first use (createShared). Use it only once the
    // process's QApplication, if it has one, exists.
    static RZStatusController* sharedStatusController();

    // Makes the process's controller, of the kind displayAvailable() calls for, unless
    // there is one already; returns it. Call once the QApplication exists.
    static RZStatusController* createShared();

    // True where this process can show windows: its application object is a QApplication
    // on a platform with a screen (not "offscreen" or "minimal").
    static bool displayAvailable();

    // A controller of a window that lays out a text field and a progress indicator.
    explicit RZStatusController(std::unique_ptr<RZStatusWindow> statusWindow);
    // A controller whose window is the terminal (stderr).
    RZStatusController();
    ~RZStatusController() override;

    // The window and its parts; null when the terminal is the window.
    RZStatusWindow* statusWindow() const { return m_statusWindow.get(); }
    QLabel* textField() const;
    QProgressBar* progress() const;

    // The window's width less its text field's, as laid out; fixed for the controller's life.
    int sizeOffset() const { return m_sizeOffset; }
    bool isShown() const;
    bool hasPendingHide() const { return m_timer.isActive(); }

    // Puts the text in the window, which takes the width the text needs and is centred
    // on the screen. A hidden window stays hidden.
    void setTitle(const QString& title);
    // showWithProgressEnabled(false).
    void show();
    // Cancels a pending hide, starts the busy indicator if asked to (otherwise leaves it as
    // it is), and brings the window to the front. The window is on the screen when this
    // returns, so it stays visible while the caller blocks the event loop.
    void showWithProgressEnabled(bool enabled);
    // Stops the indicator and hides the window at once.
    void hideNow();
    // Stops the indicator at once and hides the window after the given delay, unless
    // shown again before. A negative or NaN delay hides at the next turn of the event loop.
    void hideAfterDelay(double seconds);

private:
    void awakeFromNib();
    void timerFired();
    void orderOut();
    void startProgress();
    void stopProgress();
    void fitWindowToTitle(const QString& title);

    std::unique_ptr<RZStatusWindow> m_statusWindow;
    std::unique_ptr<StatusLine> m_statusLine;
    QTimer m_timer;
    int m_sizeOffset = 0;
};
