#pragma once

#include <QString>

// One alert of the application: a title, a message and the one button "OK".
struct AppAlert {
    QString title;
    QString message;

    // How the alert reads where there is no window to show it in: "TITLE: MESSAGE".
    QString line() const { return title + QStringLiteral(": ") + message; }

    friend bool operator==(const AppAlert&, const AppAlert&) = default;
};
