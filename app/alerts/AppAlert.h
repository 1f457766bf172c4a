#pragma once

#include <QString>
#include <QStringList>

// One alert of the application: a title, a message, the one button "OK", and below the
// message, where there is more to say, informative text (what was looked for, and why
// it was not found), one fact a line.
struct AppAlert {
    QString title;
    QString message;
    QString informativeText;

    // How the alert reads where there is no window to show it in: "TITLE: MESSAGE".
    QString line() const { return title + QStringLiteral(": ") + message; }

    // line(), then each line of the informative text indented under it.
    QStringList lines() const
    {
        QStringList result {line()};
        if (informativeText.isEmpty())
            return result;
        for (const QString& fact : informativeText.split(QLatin1Char('\n')))
            result << QStringLiteral("  ") + fact;
        return result;
    }

    friend bool operator==(const AppAlert&, const AppAlert&) = default;
};
