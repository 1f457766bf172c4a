#include "workspace/LaunchContext.h"

#include <unistd.h>

namespace LaunchContext {
namespace {

struct KestrovaLaunchContext {
    GAppLaunchContext parent;
    guint32 serverTime;
};

struct KestrovaLaunchContextClass {
    GAppLaunchContextClass parent;
};

char* startupNotifyId(GAppLaunchContext* context, GAppInfo*, GList*)
{
    const auto* self = reinterpret_cast<const KestrovaLaunchContext*>(context);
    if (self->serverTime == 0)
        return nullptr;
    static int sequence = 0;
    return g_strdup_printf(
        "kestrova-%d-%s-%d_TIME%u", int(getpid()), g_get_host_name(), ++sequence, self->serverTime);
}

void classInit(gpointer klass, gpointer)
{
    static_cast<GAppLaunchContextClass*>(klass)->get_startup_notify_id = startupNotifyId;
}

GType launchContextType()
{
    static const GType type = g_type_register_static_simple(G_TYPE_APP_LAUNCH_CONTEXT,
        "KestrovaLaunchContext", sizeof(KestrovaLaunchContextClass), classInit,
        sizeof(KestrovaLaunchContext), nullptr, GTypeFlags(0));
    return type;
}

}

GObjectRef<GAppLaunchContext> create(const QByteArray& displayName, quint32 serverTime)
{
    auto* context = static_cast<KestrovaLaunchContext*>(g_object_new(launchContextType(), nullptr));
    context->serverTime = displayName.isEmpty() ? 0 : serverTime;
    auto ref = GObjectRef<GAppLaunchContext>::adopt(&context->parent);
    if (!displayName.isEmpty())
        g_app_launch_context_setenv(ref.get(), "DISPLAY", displayName.constData());
    return ref;
}

}
