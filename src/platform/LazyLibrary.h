#pragma once

#include <dlfcn.h>

#include <type_traits>

// A shared library opened on the first call of one of its functions instead of at the
// program's start, so that the first window does not wait for it. The loader files
// (NssLibrary.cpp, GioLibrary.cpp, XmlLibrary.cpp) define the library's functions that this
// program calls, each handing on to the function of that name in the library; they include
// the library's headers with hidden visibility, so their definitions never stand in for the
// library's own inside the library, and a function they do not define fails at link time.
class LazyLibrary {
  public:
    explicit LazyLibrary(const char* soname) : handle_(dlopen(soname, RTLD_NOW | RTLD_LOCAL)) {}
    LazyLibrary(const LazyLibrary&) = delete;
    LazyLibrary& operator=(const LazyLibrary&) = delete;

    // Searches the library and the libraries it depends on; nullptr when either is missing.
    template <class Function>
    Function find(const char* name) const {
        return handle_ ? reinterpret_cast<Function>(dlsym(handle_, name)) : nullptr;
    }

  private:
    void* handle_;
};

// `function` of the library `library()` returns, looked up once per process.
#define LAZY_FUNCTION(library, function)                                          \
    ([]() -> decltype(&function) {                                                \
        static const auto found = library().find<decltype(&function)>(#function); \
        return found;                                                             \
    }())

// The call, or `failure` when the library or the function is missing.
template <class Function, class... Args>
auto callOr(Function function, std::invoke_result_t<Function, Args...> failure, Args... args) {
    return function ? function(args...) : failure;
}

// The call of a function that returns nothing, or nothing when it is missing.
template <class Function, class... Args>
void callIfPresent(Function function, Args... args) {
    if (function) function(args...);
}
