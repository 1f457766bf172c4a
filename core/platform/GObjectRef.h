#pragma once

#include <glib-object.h>

#include <utility>

// Shared ownership of one GObject reference: copying takes a reference, destruction
// drops it. adopt() takes over a reference the caller already owns (what GIO's
// constructors and "transfer full" getters return); share() takes a new one.
template<typename T> class GObjectRef {
public:
    GObjectRef() = default;
    ~GObjectRef() { reset(); }

    static GObjectRef adopt(T* object)
    {
        GObjectRef ref;
        ref.m_object = object;
        return ref;
    }
    static GObjectRef share(T* object)
    {
        if (object)
            g_object_ref(static_cast<gpointer>(object));
        return adopt(object);
    }

    GObjectRef(const GObjectRef& other) { *this = share(other.m_object); }
    GObjectRef(GObjectRef&& other) noexcept
        : m_object(std::exchange(other.m_object, nullptr))
    {
    }
    GObjectRef& operator=(const GObjectRef& other)
    {
        if (this != &other)
            *this = share(other.m_object);
        return *this;
    }
    GObjectRef& operator=(GObjectRef&& other) noexcept
    {
        if (this != &other) {
            reset();
            m_object = std::exchange(other.m_object, nullptr);
        }
        return *this;
    }

    T* get() const { return m_object; }
    explicit operator bool() const { return m_object != nullptr; }

    void reset()
    {
        if (T* object = std::exchange(m_object, nullptr))
            g_object_unref(static_cast<gpointer>(object));
    }

private:
    T* m_object = nullptr;
};
