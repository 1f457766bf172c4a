#include "instance/BusHandover.h"

#include "instance/AppBusProtocol.h"
#include "platform/GLibPtr.h"
#include "platform/GObjectRef.h"
#include "platform/LocalFileUri.h"
#include "platform/StepTrace.h"

#include <gio/gio.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

const char* const noInstanceVariable = "KESTROVA_FRONT_FOUND_NO_INSTANCE";

struct VariantUnref {
    void operator()(GVariant* value) const { g_variant_unref(value); }
};
using GVariantPtr = std::unique_ptr<GVariant, VariantUnref>;

QByteArray utf8(const QString& text)
{
    return text.toUtf8();
}

GVariant* stringArray(const QStringList& texts)
{
    GVariantBuilder builder;
    g_variant_builder_init(&builder, G_VARIANT_TYPE_STRING_ARRAY);
    for (const QString& text : texts)
        g_variant_builder_add(&builder, "s", utf8(text).constData());
    return g_variant_builder_end(&builder);
}

GVariant* booleanEntry(const QString& key, bool value)
{
    return g_variant_new_dict_entry(g_variant_new_string(utf8(key).constData()),
        g_variant_new_variant(g_variant_new_boolean(value ? TRUE : FALSE)));
}

// This process reports the outcome, so it asks to be answered once the request is served.
GVariant* platformData()
{
    GVariant* wait = booleanEntry(AppBusProtocol::waitForOutcomeKey, true);
    return g_variant_new_array(G_VARIANT_TYPE("{sv}"), &wait, 1);
}

// An Open also tells the state of Ctrl as this process read it.
GVariant* openPlatformData(bool controlHeld)
{
    GVariant* entries[] = {booleanEntry(AppBusProtocol::waitForOutcomeKey, true),
        booleanEntry(AppBusProtocol::controlHeldKey, controlHeld)};
    return g_variant_new_array(G_VARIANT_TYPE("{sv}"), entries, 2);
}

// The "av" parameter of an action: empty, or the one value it carries.
GVariant* actionParameter(GVariant* value)
{
    if (!value)
        return g_variant_new_array(G_VARIANT_TYPE_VARIANT, nullptr, 0);
    GVariant* element = g_variant_new_variant(value);
    return g_variant_new_array(G_VARIANT_TYPE_VARIANT, &element, 1);
}

GVariant* actionCall(const QString& action, GVariant* value)
{
    return g_variant_new(
        "(s@av@a{sv})", utf8(action).constData(), actionParameter(value), platformData());
}

struct MethodCall {
    const char* method;
    GVariant* parameters; // floating
};

MethodCall methodCall(const AppRequest& request)
{
    switch (request.kind) {
    case AppRequest::Kind::Open: {
        QStringList uris;
        for (const QString& file : request.files.value_or(QStringList()))
            uris << LocalFileUri::fromPath(file);
        return {"Open",
            g_variant_new("(@as@a{sv})", stringArray(uris), openPlatformData(request.controlHeld))};
    }
    case AppRequest::Kind::OpenLink:
        return {"ActivateAction",
            actionCall(AppBusProtocol::openLinkAction,
                request.text ? g_variant_new_string(utf8(*request.text).constData()) : nullptr)};
    case AppRequest::Kind::CopyPath:
        return {"ActivateAction",
            actionCall(AppBusProtocol::copyPathAction,
                request.files ? stringArray(*request.files) : nullptr)};
    case AppRequest::Kind::Activate:
        break;
    }
    return {"Activate", g_variant_new("(@a{sv})", platformData())};
}

bool isMissingInstance(const QString& errorName)
{
    return errorName == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown")
        || errorName == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner")
        || errorName.startsWith(QLatin1String("org.freedesktop.DBus.Error.Spawn."));
}

BusHandover::Reply failed(const GError& error)
{
    GCharPtr remoteName(g_dbus_error_get_remote_error(&error));
    const QString errorName = QString::fromUtf8(remoteName.get());
    if (isMissingInstance(errorName))
        return {BusHandover::Result::NoInstance, {}};
    GErrorPtr stripped(g_error_copy(&error));
    g_dbus_error_strip_remote_error(stripped.get());
    const QString message = QString::fromUtf8(stripped->message);
    if (errorName == AppBusProtocol::failureError)
        return {BusHandover::Result::Answered, {message.split(QLatin1Char('\n'))}};
    if (errorName == QLatin1String("org.freedesktop.DBus.Error.InvalidArgs"))
        return {BusHandover::Result::Answered, {{message}}};
    return {BusHandover::Result::Answered,
        {{QStringLiteral("kestrova: the running instance gave no answer (%1: %2)")
                .arg(errorName.isEmpty() ? QStringLiteral("no reply") : errorName, message)}}};
}

}

namespace BusHandover {

Reply handOver(const AppRequest& request)
{
    GError* error = nullptr;
    const auto bus =
        GObjectRef<GDBusConnection>::adopt(g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error));
    if (!bus) {
        GErrorPtr owned(error);
        return {Result::NoBus, {}};
    }
    StepTrace::step("front: bus connected");
    const MethodCall call = methodCall(request);
    const GVariantPtr reply(g_dbus_connection_call_sync(bus.get(),
        utf8(AppBusProtocol::serviceName).constData(), utf8(AppBusProtocol::objectPath).constData(),
        utf8(AppBusProtocol::interfaceName).constData(), call.method, call.parameters, nullptr,
        G_DBUS_CALL_FLAGS_NONE, G_MAXINT, nullptr, &error));
    if (reply)
        return {};
    const GErrorPtr owned(error);
    return failed(*owned);
}

void noteNoInstanceFound()
{
    ::setenv(noInstanceVariable, "1", 1);
}

bool noInstanceFoundBefore()
{
    static const bool found = [] {
        const char* value = std::getenv(noInstanceVariable);
        const bool noted = value && std::strcmp(value, "1") == 0;
        ::unsetenv(noInstanceVariable);
        return noted;
    }();
    return found;
}

}
