// Owners for Win32 handles and COM pointers.
//
// One small move-only type per handle kind, each with its own "empty" value.
// put() hands out the address of the raw handle for out-parameters (the old
// handle is closed first). ScopeExit runs a one-off clean-up at scope end.
// Header-only; used by both libraries, the tools and the tests.
#pragma once

#include <windows.h>
#include <winsock2.h>
#include <winspool.h>
#include <utility>

namespace zyn {

template <typename Traits>
class UniqueHandle {
public:
    using Handle = typename Traits::Handle;

    UniqueHandle() noexcept = default;
    explicit UniqueHandle(Handle h) noexcept : h_(h) {}
    ~UniqueHandle() { reset(); }

    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& o) noexcept : h_(o.release()) {}
    UniqueHandle& operator=(UniqueHandle&& o) noexcept {
        if (this != &o) reset(o.release());
        return *this;
    }

    Handle get() const noexcept { return h_; }
    explicit operator bool() const noexcept { return h_ != Traits::empty(); }
    Handle release() noexcept { return std::exchange(h_, Traits::empty()); }
    void reset(Handle h = Traits::empty()) noexcept {
        Handle old = std::exchange(h_, h);
        if (old != Traits::empty()) Traits::close(old);
    }
    Handle* put() noexcept {
        reset();
        return &h_;
    }

private:
    Handle h_ = Traits::empty();
};

struct KernelHandleTraits {  // events, threads, processes, mutexes; empty is NULL
    using Handle = HANDLE;
    static Handle empty() { return nullptr; }
    static void close(Handle h) { ::CloseHandle(h); }
};
struct FileHandleTraits {  // CreateFile results; empty is INVALID_HANDLE_VALUE
    using Handle = HANDLE;
    static Handle empty() { return INVALID_HANDLE_VALUE; }
    static void close(Handle h) { ::CloseHandle(h); }
};
struct FindHandleTraits {
    using Handle = HANDLE;
    static Handle empty() { return INVALID_HANDLE_VALUE; }
    static void close(Handle h) { ::FindClose(h); }
};
struct RegKeyTraits {
    using Handle = HKEY;
    static Handle empty() { return nullptr; }
    static void close(Handle h) { ::RegCloseKey(h); }
};
struct SocketTraits {
    using Handle = SOCKET;
    static Handle empty() { return INVALID_SOCKET; }
    static void close(Handle h) { ::closesocket(h); }
};
struct ModuleTraits {
    using Handle = HMODULE;
    static Handle empty() { return nullptr; }
    static void close(Handle h) { ::FreeLibrary(h); }
};
struct WindowTraits {
    using Handle = HWND;
    static Handle empty() { return nullptr; }
    static void close(Handle h) { ::DestroyWindow(h); }
};
struct HeapBlockTraits {  // blocks of the process heap
    using Handle = void*;
    static Handle empty() { return nullptr; }
    static void close(Handle h) { ::HeapFree(::GetProcessHeap(), 0, h); }
};
struct LocalBlockTraits {  // LocalAlloc blocks
    using Handle = HLOCAL;
    static Handle empty() { return nullptr; }
    static void close(Handle h) { ::LocalFree(h); }
};
struct MappedViewTraits {  // MapViewOfFile results
    using Handle = void*;
    static Handle empty() { return nullptr; }
    static void close(Handle h) { ::UnmapViewOfFile(h); }
};
struct SidTraits {  // AllocateAndInitializeSid results
    using Handle = PSID;
    static Handle empty() { return nullptr; }
    static void close(Handle h) { ::FreeSid(h); }
};
struct PrinterTraits {  // OpenPrinter results (printers, servers, Xcv handles)
    using Handle = HANDLE;
    static Handle empty() { return nullptr; }
    static void close(Handle h) { ::ClosePrinter(h); }
};

using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;
using UniqueFile = UniqueHandle<FileHandleTraits>;
using UniqueFind = UniqueHandle<FindHandleTraits>;
using UniqueRegKey = UniqueHandle<RegKeyTraits>;
using UniqueSocket = UniqueHandle<SocketTraits>;
using UniqueModule = UniqueHandle<ModuleTraits>;
using UniqueWindow = UniqueHandle<WindowTraits>;
using UniqueHeapBlock = UniqueHandle<HeapBlockTraits>;
using UniqueLocalBlock = UniqueHandle<LocalBlockTraits>;
using UniqueSid = UniqueHandle<SidTraits>;
using UniqueMappedView = UniqueHandle<MappedViewTraits>;
using UniquePrinter = UniqueHandle<PrinterTraits>;

// Owns one reference of a COM interface.
template <typename T>
class ComPtr {
public:
    ComPtr() noexcept = default;
    ~ComPtr() { reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    ComPtr& operator=(ComPtr&& o) noexcept {
        if (this != &o) {
            reset();
            p_ = std::exchange(o.p_, nullptr);
        }
        return *this;
    }

    T* get() const noexcept { return p_; }
    T* operator->() const noexcept { return p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }
    void reset() noexcept {
        if (p_) std::exchange(p_, nullptr)->Release();
    }
    T** put() noexcept {
        reset();
        return &p_;
    }
    void** put_void() noexcept { return reinterpret_cast<void**>(put()); }

private:
    T* p_ = nullptr;
};

// Runs a callable when the scope ends, unless dismissed.
template <typename F>
class ScopeExit {
public:
    explicit ScopeExit(F f) noexcept : f_(std::move(f)) {}
    ~ScopeExit() {
        if (active_) f_();
    }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;
    void dismiss() noexcept { active_ = false; }

private:
    F f_;
    bool active_ = true;
};

}  // namespace zyn
