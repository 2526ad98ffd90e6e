#pragma once
// Move-only owners for the handle kinds the program uses. Windows themselves
// are not owned here: the platform or the code that made them destroys them.
#include <windows.h>

#include <utility>

template <typename Traits> class UniqueHandle {
public:
    using Handle = typename Traits::Handle;

    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle) : m_handle(handle) {}
    ~UniqueHandle() { reset(); }

    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : m_handle(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other)
            reset(other.release());
        return *this;
    }

    Handle get() const { return m_handle; }
    explicit operator bool() const { return Traits::IsValid(m_handle); }
    Handle release() { return std::exchange(m_handle, Traits::Invalid()); }
    void reset(Handle handle = Traits::Invalid()) {
        Handle old = std::exchange(m_handle, handle);
        if (Traits::IsValid(old))
            Traits::Close(old);
    }
    // For out-parameters of the platform's functions.
    Handle* receive() {
        reset();
        return &m_handle;
    }

private:
    Handle m_handle = Traits::Invalid();
};

template <typename H, typename Closer, Closer close> struct NullInvalidTraits {
    using Handle = H;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static void Close(Handle h) { (void)close(h); }
};

struct KernelHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { (void)CloseHandle(h); }
};

using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;
using UniqueRegKey = UniqueHandle<NullInvalidTraits<HKEY, decltype(&RegCloseKey), &RegCloseKey>>;
using UniqueModule = UniqueHandle<NullInvalidTraits<HMODULE, decltype(&FreeLibrary), &FreeLibrary>>;
using UniqueMenu = UniqueHandle<NullInvalidTraits<HMENU, decltype(&DestroyMenu), &DestroyMenu>>;
using UniqueGdiObject =
    UniqueHandle<NullInvalidTraits<HGDIOBJ, decltype(&DeleteObject), &DeleteObject>>;

// A window's device context, released to its window.
class WindowDC {
public:
    explicit WindowDC(HWND window) : m_window(window), m_dc(GetWindowDC(window)) {}
    ~WindowDC() {
        if (m_dc)
            ReleaseDC(m_window, m_dc);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC get() const { return m_dc; }

private:
    HWND m_window;
    HDC m_dc;
};

// A GDI object selected into a DC for one scope; the previous one comes back.
class ScopedSelect {
public:
    ScopedSelect(HDC dc, HGDIOBJ object) : m_dc(dc), m_previous(SelectObject(dc, object)) {}
    ~ScopedSelect() {
        if (m_previous)
            SelectObject(m_dc, m_previous);
    }
    ScopedSelect(const ScopedSelect&) = delete;
    ScopedSelect& operator=(const ScopedSelect&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_previous;
};

// A COM interface pointer, released once.
template <typename T> class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : m_ptr(std::exchange(other.m_ptr, nullptr)) {}

    T* get() const { return m_ptr; }
    T* operator->() const { return m_ptr; }
    explicit operator bool() const { return m_ptr != nullptr; }
    void reset() {
        if (T* old = std::exchange(m_ptr, nullptr))
            old->Release();
    }
    T** receive() {
        reset();
        return &m_ptr;
    }
    void** receiveVoid() { return reinterpret_cast<void**>(receive()); }

private:
    T* m_ptr = nullptr;
};
