#pragma once

#include <glib.h>

#include <memory>

// Owning pointers for GLib values, so that what GLib hands over is given back on every
// path out of a function. GObjects are held by GObjectRef.
namespace GLibPtr {

struct ErrorFree {
    void operator()(GError* error) const { g_error_free(error); }
};
struct Free {
    void operator()(gpointer memory) const { g_free(memory); }
};
struct KeyFileFree {
    void operator()(GKeyFile* keyFile) const { g_key_file_free(keyFile); }
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

using GErrorPtr = std::unique_ptr<GError, GLibPtr::ErrorFree>;
// A string or array that GLib allocated and the caller frees with g_free.
using GCharPtr = std::unique_ptr<gchar, GLibPtr::Free>;
using GKeyFilePtr = std::unique_ptr<GKeyFile, GLibPtr::KeyFileFree>;
using GMainContextPtr = std::unique_ptr<GMainContext, GLibPtr::MainContextUnref>;
using GMainLoopPtr = std::unique_ptr<GMainLoop, GLibPtr::MainLoopUnref>;
using GSourcePtr = std::unique_ptr<GSource, GLibPtr::SourceDestroy>;
