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
// A request that fails is answered with the error failureError, whose message holds
// the lines to report, one a line.
namespace AppBusProtocol {

inline const QString serviceName = QStringLiteral("com.dovrane.Kestrova");
inline const QString objectPath = QStringLiteral("/com/dovrane/Kestrova");
inline const QString interfaceName = QStringLiteral("org.freedesktop.Application");
inline const QString openLinkAction = QStringLiteral("open-link");
inline const QString copyPathAction = QStringLiteral("copy-path");
inline const QString failureError = QStringLiteral("com.dovrane.Kestrova.Error.Failed");

// The request of an Open call, or none (with the reason) when a URI names no file.
struct ParsedRequest {
    std::optional<AppRequest> request;
    QString problem;
};
ParsedRequest fromOpen(const QStringList& uris);
ParsedRequest fromAction(const QString& name, const QVariantList& parameter);

}
