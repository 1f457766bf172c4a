#pragma once

#include <QString>

#include <functional>

// The status window as the mounter uses it: a title, shown with its busy indicator while
// a mount blocks, hidden right after; and hidden while the user is asked for a password,
// then shown again as it was.
class StatusDisplay {
public:
    virtual ~StatusDisplay() = default;
    virtual void setTitle(const QString& title) = 0;
    virtual void showWithProgressEnabled(bool progressEnabled) = 0;
    virtual void hideNow() = 0;
    virtual bool isShown() const = 0;
    virtual bool isProgressRunning() const = 0;
};

// Gives the status window of the process at the moment of the call, or null when the
// process has none; then the mounter shows nothing.
using StatusDisplaySource = std::function<StatusDisplay*()>;
