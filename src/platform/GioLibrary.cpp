// GIO, opened when the first browser or link is looked up instead of at the program's start:
// with GObject, libmount, libblkid and SELinux's library it cost the first window about a
// millisecond. GLib itself comes with Qt and stays linked. Without GIO nothing is found:
// no entries, no default browser, nothing launched.
#include "platform/LazyLibrary.h"

#pragma GCC visibility push(hidden)
#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>
#pragma GCC visibility pop

namespace {

// libgio depends on libgobject: one handle finds the functions of both.
const LazyLibrary& gio() {
    static const LazyLibrary library("libgio-2.0.so.0");
    return library;
}

}  // namespace

#define GIO_FUNCTION(function) LAZY_FUNCTION(gio, function)

extern "C" {

void g_object_unref(gpointer object) {
    callIfPresent(GIO_FUNCTION(g_object_unref), object);
}
GTypeInstance* g_type_check_instance_cast(GTypeInstance* instance, GType iface_type) {
    return callOr(GIO_FUNCTION(g_type_check_instance_cast), nullptr, instance, iface_type);
}
GType g_app_info_get_type() {
    return callOr(GIO_FUNCTION(g_app_info_get_type), G_TYPE_INVALID);
}
GAppInfo* g_app_info_get_default_for_uri_scheme(const char* uri_scheme) {
    return callOr(GIO_FUNCTION(g_app_info_get_default_for_uri_scheme), nullptr, uri_scheme);
}
const char* g_app_info_get_id(GAppInfo* appinfo) {
    return callOr(GIO_FUNCTION(g_app_info_get_id), nullptr, appinfo);
}
const char* g_app_info_get_name(GAppInfo* appinfo) {
    return callOr(GIO_FUNCTION(g_app_info_get_name), nullptr, appinfo);
}
gboolean g_app_info_launch_uris(GAppInfo* appinfo, GList* uris, GAppLaunchContext* context,
                                GError** error) {
    return callOr(GIO_FUNCTION(g_app_info_launch_uris), FALSE, appinfo, uris, context, error);
}
GDesktopAppInfo* g_desktop_app_info_new(const char* desktop_id) {
    return callOr(GIO_FUNCTION(g_desktop_app_info_new), nullptr, desktop_id);
}
GDesktopAppInfo* g_desktop_app_info_new_from_filename(const char* filename) {
    return callOr(GIO_FUNCTION(g_desktop_app_info_new_from_filename), nullptr, filename);
}
const char* g_desktop_app_info_get_filename(GDesktopAppInfo* info) {
    return callOr(GIO_FUNCTION(g_desktop_app_info_get_filename), nullptr, info);
}
char* g_desktop_app_info_get_string(GDesktopAppInfo* info, const char* key) {
    return callOr(GIO_FUNCTION(g_desktop_app_info_get_string), nullptr, info, key);
}
gboolean g_desktop_app_info_has_key(GDesktopAppInfo* info, const char* key) {
    return callOr(GIO_FUNCTION(g_desktop_app_info_has_key), FALSE, info, key);
}

}  // extern "C"
