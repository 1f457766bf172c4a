#include "workspace/RunningApplication.h"

#include "workspace/X11Session.h"

RunningApplication::RunningApplication(std::shared_ptr<X11Session> session,
    ApplicationInstance instance, std::optional<quint32> activeWindow)
    : m_session(std::move(session))
    , m_instance(std::move(instance))
    , m_activeWindow(activeWindow)
{
}

bool RunningApplication::isActive() const
{
    return m_activeWindow && m_instance.windows.contains(*m_activeWindow);
}

bool RunningApplication::activate() const
{
    if (!m_session || m_instance.windows.isEmpty())
        return false;
    return m_session->requestActivation(m_instance.windows.last());
}
