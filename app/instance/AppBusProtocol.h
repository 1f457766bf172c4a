#pragma once

#include "AppRequest.h"

#include <QString>
#include <QStringList>
#include <QVariantList>

#include <optional>

// How requests travel on the session bus: the freedesktop org.freedesktop.Application
// interface of the running instance.
//   Open(as uris, a{sv})                    shortcut files, as file: URIs
//   ActivateAction("open-link", [], a{sv})  the user's selection (PRIMARY)
//   ActivateAction("open-link", [<s>], ...) the given text
//   ActivateAction("copy-path", [], a{sv})  the clipboard's files
//   ActivateAction("copy-path", [<as>], ...) the given paths
//   Activate(a{sv})
// A desktop (a file manager, gio launch) is answered at once and the work goes on after
// the answer: the user sees its outcome in Kestrova's own windows, and a file manager
// gives up on a call after 25 s, shorter than a password question may take. A caller
// that puts waitForOutcomeKey: true in the platform data (kestrova on a terminal) is
// answered once the request is served; a request that fails then is answered with the
// error failureError, whose message holds the lines to report, one a line.
// An Open carries controlHeldKey: whether Ctrl was held when the caller got the request
// (a boolean); without it, the instance reads the key itself when the call arrives.
namespace AppBusProtocol {

inline const QString serviceName = QStringLiteral("com.dovrane.Kestrova");
inline const QString objectPath = QStringLiteral("/com/dovrane/Kestrova");
inline const QString interfaceName = QStringLiteral("org.freedesktop.Application");
inline const QString openLinkAction = QStringLiteral("open-link");
inline const QString copyPathAction = QStringLiteral("copy-path");
inline const QString waitForOutcomeKey = QStringLiteral("kestrova-wait-for-outcome");
inline const QString controlHeldKey = QStringLiteral("kestrova-control-held");
inline const QString failureError = QStringLiteral("com.dovrane.Kestrova.Error.Failed");

// The request of an Open call, or none (with the reason) when a URI names no file.
struct ParsedRequest {
    std::optional<AppRequest> request;
    QString problem;
};
ParsedRequest fromOpen(const QStringList& uris, bool controlHeld);
ParsedRequest fromAction(const QString& name, const QVariantList& parameter);

}
