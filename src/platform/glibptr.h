#pragma once

// One owning alias per GLib handle type. Nothing outside this header frees or unrefs a GLib
// object by hand. Included by source files only: GLib's headers and Qt's keywords do not mix.

#include <gio/gio.h>

#include <memory>

namespace glib {

template <auto FreeFn>
struct Deleter {
    template <typename T>
    void operator()(T* p) const {
        FreeFn(p);
    }
};

template <typename T, auto FreeFn>
using Ptr = std::unique_ptr<T, Deleter<FreeFn>>;

template <typename T>
using Object = Ptr<T, g_object_unref>;
using String = Ptr<gchar, g_free>;
using Strv = Ptr<gchar*, g_strfreev>;
using KeyFile = Ptr<GKeyFile, g_key_file_unref>;
// The list cells only: the items belong to whoever filled it.
using List = Ptr<GList, g_list_free>;

}  // namespace glib
