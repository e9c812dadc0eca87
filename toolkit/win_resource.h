// Owners for Win32 and COM resources: one move-only template, a typedef per kind.
#pragma once

#include <windows.h>
// After windows.h, which they build on.
#include <ole2.h>
#include <oleauto.h>

#include <utility>

// Owns a value of Traits::Type and frees it with Traits::Free unless it is Traits::Invalid().
template <typename Traits>
class UniqueResource {
public:
    using Type = typename Traits::Type;

    UniqueResource() = default;
    explicit UniqueResource(Type value) : value_(value) {}
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    UniqueResource(UniqueResource&& other) noexcept : value_(other.release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    ~UniqueResource() { reset(); }

    Type get() const { return value_; }
    explicit operator bool() const { return value_ != Traits::Invalid(); }

    // Frees the current value and takes the new one.
    void reset(Type value = Traits::Invalid()) {
        if (value_ != Traits::Invalid()) Traits::Free(value_);
        value_ = value;
    }
    // Gives the value away without freeing it.
    Type release() { return std::exchange(value_, Traits::Invalid()); }
    // For functions that return the resource through a pointer; frees the current value.
    Type* put() {
        reset();
        return &value_;
    }

private:
    Type value_ = Traits::Invalid();
};

struct HandleTraits {
    using Type = HANDLE;
    static Type Invalid() { return nullptr; }
    static void Free(Type h) { CloseHandle(h); }
};
// CreateFile's handles, whose "none" is INVALID_HANDLE_VALUE.
struct FileHandleTraits {
    using Type = HANDLE;
    static Type Invalid() { return INVALID_HANDLE_VALUE; }
    static void Free(Type h) { CloseHandle(h); }
};
struct ModuleTraits {
    using Type = HMODULE;
    static Type Invalid() { return nullptr; }
    static void Free(Type m) { FreeLibrary(m); }
};
struct GlobalTraits {
    using Type = HGLOBAL;
    static Type Invalid() { return nullptr; }
    static void Free(Type g) { GlobalFree(g); }
};
// A top-level window; a parent destroys its child windows itself.
struct WindowTraits {
    using Type = HWND;
    static Type Invalid() { return nullptr; }
    static void Free(Type w) { DestroyWindow(w); }
};
// Brushes, fonts and other GDI objects; the object must be out of every DC when it goes.
template <typename Object>
struct GdiObjectTraits {
    using Type = Object;
    static Type Invalid() { return nullptr; }
    static void Free(Type o) { DeleteObject(o); }
};
struct HookTraits {
    using Type = HHOOK;
    static Type Invalid() { return nullptr; }
    static void Free(Type h) { UnhookWindowsHookEx(h); }
};
struct IconTraits {
    using Type = HICON;
    static Type Invalid() { return nullptr; }
    static void Free(Type i) { DestroyIcon(i); }
};
struct MenuTraits {
    using Type = HMENU;
    static Type Invalid() { return nullptr; }
    static void Free(Type m) { DestroyMenu(m); }
};
struct BstrTraits {
    using Type = BSTR;
    static Type Invalid() { return nullptr; }
    static void Free(Type s) { SysFreeString(s); }
};
struct SafeArrayTraits {
    using Type = SAFEARRAY*;
    static Type Invalid() { return nullptr; }
    static void Free(Type a) { SafeArrayDestroy(a); }
};

using UniqueHandle = UniqueResource<HandleTraits>;
using UniqueFileHandle = UniqueResource<FileHandleTraits>;
using UniqueModule = UniqueResource<ModuleTraits>;
using UniqueHGlobal = UniqueResource<GlobalTraits>;
using UniqueWindow = UniqueResource<WindowTraits>;
using UniqueBrush = UniqueResource<GdiObjectTraits<HBRUSH>>;
using UniqueFont = UniqueResource<GdiObjectTraits<HFONT>>;
using UniqueHook = UniqueResource<HookTraits>;
using UniqueIcon = UniqueResource<IconTraits>;
using UniqueMenu = UniqueResource<MenuTraits>;
using UniqueBstr = UniqueResource<BstrTraits>;
using UniqueSafeArray = UniqueResource<SafeArrayTraits>;

// A VARIANT that is cleared when it goes.
class UniqueVariant {
public:
    UniqueVariant() { VariantInit(&value_); }
    UniqueVariant(const UniqueVariant&) = delete;
    UniqueVariant& operator=(const UniqueVariant&) = delete;
    ~UniqueVariant() { VariantClear(&value_); }

    VARIANT* get() { return &value_; }
    const VARIANT* get() const { return &value_; }
    // Clears the current value and hands out the VARIANT to be filled.
    VARIANT* put() {
        VariantClear(&value_);
        return &value_;
    }

private:
    VARIANT value_;
};

// Keeps a SAFEARRAY's data locked for reading while it lives.
class SafeArrayDataLock {
public:
    explicit SafeArrayDataLock(SAFEARRAY* array) : array_(array) {
        if (array_ && FAILED(SafeArrayAccessData(array_, &data_))) array_ = nullptr;
    }
    SafeArrayDataLock(const SafeArrayDataLock&) = delete;
    SafeArrayDataLock& operator=(const SafeArrayDataLock&) = delete;
    ~SafeArrayDataLock() {
        if (array_) SafeArrayUnaccessData(array_);
    }

    const void* data() const { return array_ ? data_ : nullptr; }

private:
    SAFEARRAY* array_;
    void* data_ = nullptr;
};

// Keeps a movable global's memory locked while it lives; data() is null when the lock failed.
class GlobalLockGuard {
public:
    explicit GlobalLockGuard(HGLOBAL global) : global_(global), data_(GlobalLock(global)) {}
    GlobalLockGuard(const GlobalLockGuard&) = delete;
    GlobalLockGuard& operator=(const GlobalLockGuard&) = delete;
    ~GlobalLockGuard() {
        if (data_) GlobalUnlock(global_);
    }

    void* data() const { return data_; }

private:
    HGLOBAL global_;
    void* data_;
};

// CoInitialize and CoUninitialize around a piece of work on this thread.
class ComApartment {
public:
    ComApartment() : result_(CoInitialize(nullptr)) {}
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ~ComApartment() {
        if (SUCCEEDED(result_)) CoUninitialize();
    }

private:
    HRESULT result_;
};

// OleInitialize and OleUninitialize around the whole run.
class OleSession {
public:
    OleSession() : result_(OleInitialize(nullptr)) {}
    OleSession(const OleSession&) = delete;
    OleSession& operator=(const OleSession&) = delete;
    ~OleSession() {
        if (SUCCEEDED(result_)) OleUninitialize();
    }

private:
    HRESULT result_;
};

// The clipboard, open for as long as the guard lives.
class ClipboardGuard {
public:
    explicit ClipboardGuard(HWND owner = nullptr) : open_(OpenClipboard(owner) != FALSE) {}
    ClipboardGuard(const ClipboardGuard&) = delete;
    ClipboardGuard& operator=(const ClipboardGuard&) = delete;
    ~ClipboardGuard() {
        if (open_) CloseClipboard();
    }

    bool IsOpen() const { return open_; }

private:
    bool open_;
};
