#pragma once

#include <QFrame>

class QEventLoop;
class QLabel;
class QProgressBar;

// The status window: a small borderless panel that floats above ordinary windows and
// shows one line of text and a busy indicator. It never takes the keyboard focus from
// the application the user works in.
//
// The window lays out its own text field and indicator; RZStatusController drives them.
class RZStatusWindow : public QFrame {
    Q_OBJECT

public:
    // Whatever flags are asked for, the window comes out as a frameless tool window kept
    // above other windows: a title bar or a border would only get in the way of a panel
    // that comes and goes on its own.
    explicit RZStatusWindow(Qt::WindowFlags requestedFlags = Qt::Window);

    QLabel* textField() const { return m_textField; }
    QProgressBar* progress() const { return m_progress; }

    // Brings the window to the front and puts its current contents on the screen before
    // returning, so that it stays visible while the caller blocks the event loop (a mount
    // can take a while). Waits for the window system to map the window, bounded by
    // exposeTimeout.
    void orderFrontAndDisplay();

    static constexpr int exposeTimeoutMilliseconds = 1000;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void layOut();
    void waitUntilExposed(bool mappedAgain);
    void flushToWindowSystem();

    QLabel* m_textField;
    QProgressBar* m_progress;
    QEventLoop* m_exposeWait = nullptr;
};
