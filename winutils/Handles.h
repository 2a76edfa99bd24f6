// Small owners for Win32 handles and GDI objects, so that every path out of a function releases
// what it opened without a cleanup ladder.
//
// Out-parameter rule: an owner never lends its own storage to an API. Open into a local, test the
// call's result, and only then hand the handle over (constructor or reset). A failed call therefore
// never leaves an undefined value inside an owner. Owners are move-only; an empty owner (null
// handle) releases nothing.
#pragma once

#include <windows.h>

#include <utility>

// One owner shape for every handle kind; Traits gives the handle type and its release call.
template <typename Traits>
class WINUTILS_OWNED {
public:
    typedef typename Traits::handle_type handle_type;

    WINUTILS_OWNED() = default;
    explicit WINUTILS_OWNED(handle_type handle) : handle_(handle) {}
    ~WINUTILS_OWNED() { reset(); }

    WINUTILS_OWNED(const WINUTILS_OWNED&) = delete;
    WINUTILS_OWNED& operator=(const WINUTILS_OWNED&) = delete;
    WINUTILS_OWNED(WINUTILS_OWNED&& other) noexcept : handle_(other.release()) {}
    WINUTILS_OWNED& operator=(WINUTILS_OWNED&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }

    handle_type get() const { return handle_; }
    explicit operator bool() const { return Traits::is_valid(handle_); }

    // Releases the current handle (if any) and takes ownership of the given one.
    void reset(handle_type handle = handle_type()) {
        if (Traits::is_valid(handle_)) Traits::close(handle_);
        handle_ = handle;
    }
    // Gives up ownership without releasing; the caller becomes responsible.
    handle_type release() { return std::exchange(handle_, handle_type()); }

private:
    handle_type handle_ = handle_type();
};

struct WINUTILS_REGISTRY_KEY_TRAITS {
    typedef HKEY handle_type;
    static bool is_valid(HKEY key) { return key != nullptr; }
    static void close(HKEY key) { RegCloseKey(key); }
};

// A device context made by CreateCompatibleDC or CreateDCA.
struct WINUTILS_MEMORY_DC_TRAITS {
    typedef HDC handle_type;
    static bool is_valid(HDC dc) { return dc != nullptr; }
    static void close(HDC dc) { DeleteDC(dc); }
};

// A pen, brush, bitmap, font or region that this code created.
template <typename Object>
struct WINUTILS_GDI_OBJECT_TRAITS {
    typedef Object handle_type;
    static bool is_valid(Object object) { return object != nullptr; }
    static void close(Object object) { DeleteObject(object); }
};

// Kernel handles; CreateFile-style calls report failure as INVALID_HANDLE_VALUE, which is empty too.
struct WINUTILS_KERNEL_HANDLE_TRAITS {
    typedef HANDLE handle_type;
    static bool is_valid(HANDLE handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }
    static void close(HANDLE handle) { CloseHandle(handle); }
};

// Directory searches: FindFirstFileA answers INVALID_HANDLE_VALUE on failure, and a search is
// ended with FindClose, never CloseHandle.
struct WINUTILS_FIND_HANDLE_TRAITS {
    typedef HANDLE handle_type;
    static bool is_valid(HANDLE handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }
    static void close(HANDLE handle) { FindClose(handle); }
};

// One reference to a COM interface, given back with its own Release.
template <typename Interface>
struct WINUTILS_COM_TRAITS {
    typedef Interface* handle_type;
    static bool is_valid(Interface* object) { return object != nullptr; }
    static void close(Interface* object) { object->Release(); }
};

typedef WINUTILS_OWNED<WINUTILS_REGISTRY_KEY_TRAITS> WINUTILS_REGISTRY_KEY;
typedef WINUTILS_OWNED<WINUTILS_FIND_HANDLE_TRAITS> WINUTILS_FIND_HANDLE;
template <typename Interface>
using WINUTILS_COM = WINUTILS_OWNED<WINUTILS_COM_TRAITS<Interface>>;
typedef WINUTILS_OWNED<WINUTILS_MEMORY_DC_TRAITS> WINUTILS_MEMORY_DC;
typedef WINUTILS_OWNED<WINUTILS_KERNEL_HANDLE_TRAITS> WINUTILS_HANDLE;
template <typename Object>
using WINUTILS_GDI_OBJECT = WINUTILS_OWNED<WINUTILS_GDI_OBJECT_TRAITS<Object>>;

// A window's device context from GetDC, given back with ReleaseDC to the same window.
class WINUTILS_WINDOW_DC {
public:
    explicit WINUTILS_WINDOW_DC(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WINUTILS_WINDOW_DC() {
        if (dc_ != nullptr) ReleaseDC(window_, dc_);
    }
    WINUTILS_WINDOW_DC(const WINUTILS_WINDOW_DC&) = delete;
    WINUTILS_WINDOW_DC& operator=(const WINUTILS_WINDOW_DC&) = delete;

    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HWND window_;
    HDC dc_;
};

// Selects an object into a device context for the owner's lifetime and puts the previous object
// back afterwards, so that the object can be deleted (and the context deleted cleanly). A failed
// selection (for example into a null context) leaves nothing to restore.
class WINUTILS_SELECTED_OBJECT {
public:
    WINUTILS_SELECTED_OBJECT(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {
        // HGDI_ERROR (all bits set), spelt out: the header's own spelling trips sign-conversion.
        if (previous_ == reinterpret_cast<HGDIOBJ>(static_cast<INT_PTR>(-1))) previous_ = nullptr;
    }
    ~WINUTILS_SELECTED_OBJECT() {
        if (previous_ != nullptr) SelectObject(dc_, previous_);
    }
    WINUTILS_SELECTED_OBJECT(const WINUTILS_SELECTED_OBJECT&) = delete;
    WINUTILS_SELECTED_OBJECT& operator=(const WINUTILS_SELECTED_OBJECT&) = delete;

    // TRUE when the object really went into the context.
    bool selected() const { return previous_ != nullptr; }

private:
    HDC dc_;
    HGDIOBJ previous_;
};
