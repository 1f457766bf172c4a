#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// One thing asked of the application, by the command line or by the desktop through
// org.freedesktop.Application: activate it, open shortcut files, open a Windows link,
// or copy Windows paths. Paths are absolute: a request may be served by a process
// whose working folder is another.
struct AppRequest {
    enum class Kind { Activate, Open, OpenLink, CopyPath };

    Kind kind = Kind::Activate;
    // Open: the shortcut files. CopyPath: the files, or none for the clipboard's; a file
    // on a server may be given in its server form, //server/share/path (LocationUri).
    std::optional<QStringList> files;
    // OpenLink: the text, or none for what the user has selected (PRIMARY).
    std::optional<QString> text;
    // Open: Ctrl was held when the request came, so each shortcut also becomes an alias
    // file once its target is open.
    bool controlHeld = false;

    static AppRequest activate() { return {}; }
    static AppRequest open(QStringList files, bool controlHeld = false)
    {
        return {Kind::Open, std::move(files), {}, controlHeld};
    }
    static AppRequest openLink(std::optional<QString> text)
    {
        return {Kind::OpenLink, {}, std::move(text)};
    }
    static AppRequest copyPath(std::optional<QStringList> files)
    {
        return {Kind::CopyPath, std::move(files), {}};
    }

    friend bool operator==(const AppRequest&, const AppRequest&) = default;
};

// How a request ended: nothing to report, or the lines to report to whoever asked,
// each an alert as "TITLE: MESSAGE" or a service's error text.
struct AppRequestOutcome {
    QStringList failures;

    bool succeeded() const { return failures.isEmpty(); }
};
