#pragma once

#include "AppRequest.h"
#include "platform/Result.h"

#include <QString>

#include <memory>

class HVWindowsShortcut;
class JLAlias;
class KTLinkService;
struct AppEnvironment;

// The application's delegate: opens the shortcut files it is given and carries out
// the requests that reach the application, through the link service for the
// open-link and copy-path services. Failures end in alerts (AppAlerts), which the
// outcome of the request reports as well.
class AppController {
public:
    explicit AppController(const AppEnvironment& environment);
    ~AppController();
    AppController(const AppController&) = delete;
    AppController& operator=(const AppController&) = delete;

    // Makes the services provider; once, before the first request.
    void applicationDidFinishLaunching();
    KTLinkService* linkService() const { return m_linkService.get(); }

    // Reads the shortcut file and opens its target with the current settings. False,
    // after an alert, when the file is no readable shortcut or its target could not be
    // opened.
    bool openFile(const QString& path);

    // Carries out one request: every file of an Open in order, each with its own alert
    // on failure; the service of an OpenLink or CopyPath on a pasteboard made of the
    // request's text or files, or else the selection or the clipboard.
    AppRequestOutcome perform(const AppRequest& request);

private:
    // openFile, failing with FILE: REASON when the file is no shortcut that can be read
    // (missing, a folder, not readable, too large, not a shortcut); a target that could
    // not be opened, or an alias file that could not be written, is told by its alert
    // alone, and gives false. An opened shortcut also becomes an alias file when the
    // preferences ask for it or Ctrl was held.
    Result<bool> openShortcutFile(const QString& path, bool controlHeld = false);
    // Opens the target of an alias file (a shortcut converted before), mounting its
    // share again where it is not mounted; false after an alert when it cannot be found
    // or opened.
    bool openAliasFile(JLAlias& alias);
    // Writes the alias file of the opened shortcut at path, its last extension removed;
    // false after an alert when that fails.
    bool convertToAlias(HVWindowsShortcut& shortcut, const QString& path);
    QString performService(const AppRequest& request);

    const AppEnvironment& m_environment;
    std::unique_ptr<KTLinkService> m_linkService;
};
