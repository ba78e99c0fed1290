// libcurl, opened on the first exchange instead of at the program's start. With it come
// some twenty libraries (TLS, Kerberos, LDAP, SSH, IDN, HTTP/2); loading them took more
// than a third of the way to the client's first painted window. The functions below stand
// for libcurl's own, the ones this program calls: each hands on to the function of that
// name in the library. They are hidden, so they never stand in for libcurl inside libcurl.
#include <dlfcn.h>

#include <cstdarg>

#pragma GCC visibility push(hidden)
#include <curl/curl.h>
#pragma GCC visibility pop

namespace {

// Debian's libcurl4 (OpenSSL flavour), the package the client depends on.
constexpr char kSoname[] = "libcurl.so.4";

class CurlLibrary {
  public:
    // Opened once per process, from whichever thread asks first.
    static const CurlLibrary& get() {
        static const CurlLibrary library;
        return library;
    }

    decltype(&curl_global_init) globalInit = nullptr;
    decltype(&curl_easy_init) easyInit = nullptr;
    decltype(&curl_easy_setopt) easySetopt = nullptr;
    decltype(&curl_easy_perform) easyPerform = nullptr;
    decltype(&curl_easy_getinfo) easyGetinfo = nullptr;
    decltype(&curl_easy_reset) easyReset = nullptr;
    decltype(&curl_easy_cleanup) easyCleanup = nullptr;
    decltype(&curl_easy_strerror) easyStrerror = nullptr;
    decltype(&curl_slist_append) slistAppend = nullptr;
    decltype(&curl_slist_free_all) slistFreeAll = nullptr;
    decltype(&curl_easy_escape) easyEscape = nullptr;
    decltype(&curl_free) free = nullptr;

  private:
    // A library that is missing a function counts as missing: every call then fails the
    // way libcurl fails when it cannot start.
    CurlLibrary() {
        void* library = dlopen(kSoname, RTLD_NOW | RTLD_LOCAL);
        if (library == nullptr) return;
        const bool complete = bind(library, globalInit, "curl_global_init") &&
                              bind(library, easyInit, "curl_easy_init") &&
                              bind(library, easySetopt, "curl_easy_setopt") &&
                              bind(library, easyPerform, "curl_easy_perform") &&
                              bind(library, easyGetinfo, "curl_easy_getinfo") &&
                              bind(library, easyReset, "curl_easy_reset") &&
                              bind(library, easyCleanup, "curl_easy_cleanup") &&
                              bind(library, easyStrerror, "curl_easy_strerror") &&
                              bind(library, slistAppend, "curl_slist_append") &&
                              bind(library, slistFreeAll, "curl_slist_free_all") &&
                              bind(library, easyEscape, "curl_easy_escape") &&
                              bind(library, free, "curl_free");
        if (!complete) *this = CurlLibrary(nullptr);
    }
    explicit CurlLibrary(std::nullptr_t) {}

    template <class Function>
    static bool bind(void* library, Function& function, const char* name) {
        function = reinterpret_cast<Function>(dlsym(library, name));
        return function != nullptr;
    }
};

}  // namespace

extern "C" {

CURLcode curl_global_init(long flags) {
    auto function = CurlLibrary::get().globalInit;
    return function ? function(flags) : CURLE_FAILED_INIT;
}

CURL* curl_easy_init() {
    auto function = CurlLibrary::get().easyInit;
    return function ? function() : nullptr;
}

// The one argument after the option has the type the option's number range gives.
CURLcode curl_easy_setopt(CURL* handle, CURLoption option, ...) {
    auto function = CurlLibrary::get().easySetopt;
    if (!function) return CURLE_FAILED_INIT;
    va_list args;
    va_start(args, option);
    CURLcode rc;
    if (option < CURLOPTTYPE_OBJECTPOINT) {
        rc = function(handle, option, va_arg(args, long));
    } else if (option < CURLOPTTYPE_FUNCTIONPOINT) {
        rc = function(handle, option, va_arg(args, void*));
    } else if (option < CURLOPTTYPE_OFF_T) {
        rc = function(handle, option, va_arg(args, void (*)()));
    } else if (option < CURLOPTTYPE_BLOB) {
        rc = function(handle, option, va_arg(args, curl_off_t));
    } else {
        rc = function(handle, option, va_arg(args, void*));
    }
    va_end(args);
    return rc;
}

CURLcode curl_easy_perform(CURL* handle) {
    auto function = CurlLibrary::get().easyPerform;
    return function ? function(handle) : CURLE_FAILED_INIT;
}

// Every piece of information is written through the one pointer that follows.
CURLcode curl_easy_getinfo(CURL* handle, CURLINFO info, ...) {
    auto function = CurlLibrary::get().easyGetinfo;
    if (!function) return CURLE_FAILED_INIT;
    va_list args;
    va_start(args, info);
    const CURLcode rc = function(handle, info, va_arg(args, void*));
    va_end(args);
    return rc;
}

void curl_easy_reset(CURL* handle) {
    if (auto function = CurlLibrary::get().easyReset) function(handle);
}

void curl_easy_cleanup(CURL* handle) {
    if (auto function = CurlLibrary::get().easyCleanup) function(handle);
}

const char* curl_easy_strerror(CURLcode code) {
    auto function = CurlLibrary::get().easyStrerror;
    return function ? function(code) : "libcurl could not be loaded";
}

curl_slist* curl_slist_append(curl_slist* list, const char* text) {
    auto function = CurlLibrary::get().slistAppend;
    return function ? function(list, text) : nullptr;
}

void curl_slist_free_all(curl_slist* list) {
    if (auto function = CurlLibrary::get().slistFreeAll) function(list);
}

char* curl_easy_escape(CURL* handle, const char* text, int length) {
    auto function = CurlLibrary::get().easyEscape;
    return function ? function(handle, text, length) : nullptr;
}

void curl_free(void* pointer) {
    if (auto function = CurlLibrary::get().free) function(pointer);
}

}  // extern "C"
