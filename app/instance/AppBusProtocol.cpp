#include "instance/AppBusProtocol.h"

#include "platform/LocalFileUri.h"

#include <QDBusArgument>
#include <QDBusVariant>
#include <QUrl>
#include <QVariantMap>

namespace {

// The value inside one element of an "av" parameter, however the bus library wrapped it.
QVariant unwrapped(QVariant value)
{
    if (value.canConvert<QDBusVariant>())
        value = value.value<QDBusVariant>().variant();
    if (value.canConvert<QDBusArgument>()) {
        const auto argument = value.value<QDBusArgument>();
        if (argument.currentSignature() == QLatin1String("as"))
            return qdbus_cast<QStringList>(argument);
    }
    return value;
}

AppBusProtocol::ParsedRequest refused(QString problem)
{
    return {std::nullopt, std::move(problem)};
}

AppBusProtocol::ParsedRequest parseOpenLink(const QVariantList& parameter)
{
    if (parameter.isEmpty())
        return {AppRequest::openLink(std::nullopt), {}};
    const QVariant value = unwrapped(parameter.first());
    if (parameter.size() != 1 || value.metaType().id() != QMetaType::QString)
        return refused(QStringLiteral("open-link takes one text"));
    return {AppRequest::openLink(value.toString()), {}};
}

AppBusProtocol::ParsedRequest parseCopyPath(const QVariantList& parameter)
{
    if (parameter.isEmpty())
        return {AppRequest::copyPath(std::nullopt), {}};
    const QVariant value = unwrapped(parameter.first());
    const int type = value.metaType().id();
    if (parameter.size() != 1 || (type != QMetaType::QStringList && type != QMetaType::QString))
        return refused(QStringLiteral("copy-path takes a list of paths"));
    return {AppRequest::copyPath(value.toStringList()), {}};
}

}

namespace AppBusProtocol {

ParsedRequest fromOpen(const QStringList& uris, bool controlHeld)
{
    QStringList files;
    for (const QString& uri : uris) {
        const std::optional<QString> path = LocalFileUri::toPath(uri);
        if (!path)
            return refused(QStringLiteral("not a file that can be read here: ") + uri);
        files << *path;
    }
    return {AppRequest::open(files, controlHeld), {}};
}

ParsedRequest fromAction(const QString& name, const QVariantList& parameter)
{
    if (name == openLinkAction)
        return parseOpenLink(parameter);
    if (name == copyPathAction)
        return parseCopyPath(parameter);
    return refused(QStringLiteral("no action named ") + name);
}

}
