#pragma once

#include <glib-object.h>
#include <glib.h>

#include <memory>

// Owning pointers for GLib and GObject values, so that every reference taken is given
// back on every path out of a function.
namespace GioPtr {

struct ObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
struct ErrorFree {
    void operator()(GError* error) const { g_error_free(error); }
};
struct Free {
    void operator()(gpointer memory) const { g_free(memory); }
};
struct MainContextUnref {
    void operator()(GMainContext* context) const { g_main_context_unref(context); }
};
struct MainLoopUnref {
    void operator()(GMainLoop* loop) const { g_main_loop_unref(loop); }
};
// An attached source is taken off its context as well as given back.
struct SourceDestroy {
    void operator()(GSource* source) const
    {
        g_source_destroy(source);
        g_source_unref(source);
    }
};

}

template<typename T> using GObjectPtr = std::unique_ptr<T, GioPtr::ObjectUnref>;
using GErrorPtr = std::unique_ptr<GError, GioPtr::ErrorFree>;
using GCharPtr = std::unique_ptr<gchar, GioPtr::Free>;
using GMainContextPtr = std::unique_ptr<GMainContext, GioPtr::MainContextUnref>;
using GMainLoopPtr = std::unique_ptr<GMainLoop, GioPtr::MainLoopUnref>;
using GSourcePtr = std::unique_ptr<GSource, GioPtr::SourceDestroy>;
