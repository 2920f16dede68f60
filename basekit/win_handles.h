// RAII owners for the Windows resources the system uses, written once.
// Each closes what it owns exactly once; Release() hands ownership back.
#pragma once

#include <windows.h>

#include <utility>

namespace bk {

template <typename T, typename Traits>
class UniqueResource {
public:
    UniqueResource() = default;
    explicit UniqueResource(T value) : value_(value) {}
    ~UniqueResource() { Reset(); }
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    UniqueResource(UniqueResource&& other) noexcept : value_(other.Release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }

    T Get() const { return value_; }
    bool Valid() const { return Traits::Valid(value_); }
    explicit operator bool() const { return Valid(); }
    T* Receive() {   // for out-parameters of the API
        Reset();
        return &value_;
    }
    T Release() {
        T v = value_;
        value_ = Traits::Invalid();
        return v;
    }
    void Reset(T value = Traits::Invalid()) {
        if (Traits::Valid(value_)) Traits::Close(value_);
        value_ = value;
    }

private:
    T value_ = Traits::Invalid();
};

struct HandleTraits {   // kernel objects whose "none" is NULL
    static HANDLE Invalid() { return nullptr; }
    static bool Valid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { CloseHandle(h); }
};
struct FileHandleTraits {   // CreateFile's "none" is INVALID_HANDLE_VALUE
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static bool Valid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { CloseHandle(h); }
};
struct FindTraits {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static bool Valid(HANDLE h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
    static void Close(HANDLE h) { FindClose(h); }
};
struct RegKeyTraits {
    static HKEY Invalid() { return nullptr; }
    static bool Valid(HKEY h) { return h != nullptr; }
    static void Close(HKEY h) { RegCloseKey(h); }
};
struct ModuleTraits {
    static HMODULE Invalid() { return nullptr; }
    static bool Valid(HMODULE h) { return h != nullptr; }
    static void Close(HMODULE h) { FreeLibrary(h); }
};
struct GdiTraits {
    static HGDIOBJ Invalid() { return nullptr; }
    static bool Valid(HGDIOBJ h) { return h != nullptr; }
    static void Close(HGDIOBJ h) { DeleteObject(h); }
};
struct MemDcTraits {
    static HDC Invalid() { return nullptr; }
    static bool Valid(HDC h) { return h != nullptr; }
    static void Close(HDC h) { DeleteDC(h); }
};

using ScopedHandle = UniqueResource<HANDLE, HandleTraits>;
using ScopedFile = UniqueResource<HANDLE, FileHandleTraits>;
using ScopedFind = UniqueResource<HANDLE, FindTraits>;
using ScopedRegKey = UniqueResource<HKEY, RegKeyTraits>;
using ScopedModule = UniqueResource<HMODULE, ModuleTraits>;
using ScopedGdiObject = UniqueResource<HGDIOBJ, GdiTraits>;
using ScopedMemDC = UniqueResource<HDC, MemDcTraits>;

// A device context from GetDC, given back with ReleaseDC.
class ScopedGetDC {
public:
    explicit ScopedGetDC(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
    ~ScopedGetDC() {
        if (dc_) ReleaseDC(hwnd_, dc_);
    }
    ScopedGetDC(const ScopedGetDC&) = delete;
    ScopedGetDC& operator=(const ScopedGetDC&) = delete;
    HDC Get() const { return dc_; }

private:
    HWND hwnd_;
    HDC dc_;
};

// Ends an off-screen drawing context kept in three members: the bitmap
// selected out first, then both deleted; the members are left empty.
inline void ReleaseMemoryDc(HDC& dc, HBITMAP& bitmap, HGDIOBJ& old) {
    if (!dc) return;
    if (old) SelectObject(dc, old);
    if (bitmap) DeleteObject(bitmap);
    DeleteDC(dc);
    dc = nullptr;
    bitmap = nullptr;
    old = nullptr;
}

// Selects an object into a DC and restores the previous one.
class ScopedSelect {
public:
    ScopedSelect(HDC dc, HGDIOBJ obj) : dc_(dc), old_(obj ? SelectObject(dc, obj) : nullptr) {}
    ~ScopedSelect() {
        if (old_) SelectObject(dc_, old_);
    }
    ScopedSelect(const ScopedSelect&) = delete;
    ScopedSelect& operator=(const ScopedSelect&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

class CriticalSection {
public:
    CriticalSection() { InitializeCriticalSection(&cs_); }
    ~CriticalSection() { DeleteCriticalSection(&cs_); }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;
    void Enter() { EnterCriticalSection(&cs_); }
    void Leave() { LeaveCriticalSection(&cs_); }
    CRITICAL_SECTION* Raw() { return &cs_; }

private:
    CRITICAL_SECTION cs_;
};

class ScopedLock {
public:
    explicit ScopedLock(CriticalSection& cs) : cs_(cs.Raw()) { EnterCriticalSection(cs_); }
    explicit ScopedLock(CRITICAL_SECTION* cs) : cs_(cs) { EnterCriticalSection(cs_); }
    ~ScopedLock() { LeaveCriticalSection(cs_); }
    ScopedLock(const ScopedLock&) = delete;
    ScopedLock& operator=(const ScopedLock&) = delete;

private:
    CRITICAL_SECTION* cs_;
};

// Ownership of a mutex taken with a time-out; released on scope exit.
// An abandoned mutex counts as taken (its holder died; the data it guards
// is read defensively by every user anyway).
class ScopedMutexWait {
public:
    ScopedMutexWait(HANDLE mutex, DWORD timeoutMs) : mutex_(mutex) {
        if (!mutex_) return;
        DWORD rc = WaitForSingleObject(mutex_, timeoutMs);
        owned_ = rc == WAIT_OBJECT_0 || rc == WAIT_ABANDONED;
    }
    ~ScopedMutexWait() {
        if (owned_) ReleaseMutex(mutex_);
    }
    ScopedMutexWait(const ScopedMutexWait&) = delete;
    ScopedMutexWait& operator=(const ScopedMutexWait&) = delete;
    bool Owned() const { return owned_; }

private:
    HANDLE mutex_;
    bool owned_ = false;
};

// A COM interface pointer, released once.
template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { Reset(); }
    ComPtr(const ComPtr& o) : p_(o.p_) {
        if (p_) p_->AddRef();
    }
    ComPtr& operator=(const ComPtr& o) {
        if (o.p_) o.p_->AddRef();
        Reset();
        p_ = o.p_;
        return *this;
    }
    T* Get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    T** Receive() {
        Reset();
        return &p_;
    }
    void Reset() {
        if (p_) p_->Release();
        p_ = nullptr;
    }
    void Attach(T* p) {
        Reset();
        p_ = p;
    }
    T* Detach() {
        T* p = p_;
        p_ = nullptr;
        return p;
    }

private:
    T* p_ = nullptr;
};

}  // namespace bk
