#pragma once

#include <windows.h>

#include <utility>

namespace fw {

// Move-only owner of one handle, closed by its traits. Both NULL and INVALID_HANDLE_VALUE count as
// "no handle" for kernel handles; other traits choose their own invalid value. Closing keeps the
// thread's last error, so a failure code read after the owner goes away is still the caller's.
template <typename Traits>
class ScopedHandle {
public:
    using Handle = typename Traits::Handle;

    ScopedHandle() = default;
    explicit ScopedHandle(Handle handle) : handle_(handle) {}
    ~ScopedHandle() { Close(); }

    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    ScopedHandle(ScopedHandle&& other) noexcept : handle_(other.Release()) {}
    ScopedHandle& operator=(ScopedHandle&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }

    bool IsValid() const { return Traits::IsValid(handle_); }
    explicit operator bool() const { return IsValid(); }
    Handle Get() const { return handle_; }

    void Reset(Handle handle = Traits::NullHandle()) {
        if (handle == handle_) return;
        Close();
        handle_ = handle;
    }

    Handle Release() {
        Handle handle = handle_;
        handle_ = Traits::NullHandle();
        return handle;
    }

    void Close() {
        if (Traits::IsValid(handle_)) {
            const DWORD error = ::GetLastError();
            Traits::Close(handle_);
            ::SetLastError(error);
        }
        handle_ = Traits::NullHandle();
    }

private:
    Handle handle_ = Traits::NullHandle();
};

struct KernelHandleTraits {
    using Handle = HANDLE;
    static Handle NullHandle() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { ::CloseHandle(h); }
};
using UniqueHandle = ScopedHandle<KernelHandleTraits>;

struct FindHandleTraits {
    using Handle = HANDLE;
    static Handle NullHandle() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { ::FindClose(h); }
};
using UniqueFindHandle = ScopedHandle<FindHandleTraits>;

struct RegKeyTraits {
    using Handle = HKEY;
    static Handle NullHandle() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static void Close(Handle h) { ::RegCloseKey(h); }
};
using UniqueRegKey = ScopedHandle<RegKeyTraits>;

// The token of a successful GdiplusStartup; GdiplusShutdown is called in gdiplus_session.cpp so
// that this header does not pull in GDI+.
struct GdiplusTokenTraits {
    using Handle = ULONG_PTR;
    static Handle NullHandle() { return 0; }
    static bool IsValid(Handle h) { return h != 0; }
    static void Close(Handle h);
};
using UniqueGdiplusToken = ScopedHandle<GdiplusTokenTraits>;

// GDI objects (bitmaps, brushes, fonts, regions) deleted with DeleteObject.
template <typename T>
struct GdiObjectTraits {
    using Handle = T;
    static Handle NullHandle() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static void Close(Handle h) { ::DeleteObject(h); }
};
using UniqueBitmap = ScopedHandle<GdiObjectTraits<HBITMAP>>;
using UniqueBrush = ScopedHandle<GdiObjectTraits<HBRUSH>>;
using UniqueFont = ScopedHandle<GdiObjectTraits<HFONT>>;
using UniqueRegion = ScopedHandle<GdiObjectTraits<HRGN>>;

// Memory DCs made with CreateCompatibleDC.
struct MemoryDcTraits {
    using Handle = HDC;
    static Handle NullHandle() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static void Close(Handle h) { ::DeleteDC(h); }
};
using UniqueMemoryDc = ScopedHandle<MemoryDcTraits>;

// A window's DC from GetDC, given back with ReleaseDC.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(::GetDC(window)) {}
    ~WindowDc() {
        if (dc_ != nullptr) ::ReleaseDC(window_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC Get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HWND window_;
    HDC dc_;
};

// Selects an object into a DC for the scope and puts the previous one back.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(::SelectObject(dc, object)) {}
    ~SelectedObject() {
        if (previous_ != nullptr && previous_ != HGDI_ERROR) ::SelectObject(dc_, previous_);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

}  // namespace fw
