// Owners for Win32 handles, COM pointers and paired calls.
//
// One small move-only type per handle kind, each with its own "empty" value.
// put() hands out the address of the raw handle for out-parameters (the old
// handle is closed first). The paired calls (COM and Windows Sockets
// start-up, a lock on global memory) have a scope type each. ScopeExit runs
// a one-off clean-up at scope end. Header-only; used by both libraries, the
// tools and the tests.
#pragma once

#include <windows.h>
#include <winsock2.h>
#include <winspool.h>
#include <objbase.h>
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
struct GlobalBlockTraits {  // GlobalAlloc blocks (DDE data and commands, WM_COPYDATA)
    using Handle = HGLOBAL;
    static Handle empty() { return nullptr; }
    static void close(Handle h) { ::GlobalFree(h); }
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
using UniqueGlobalBlock = UniqueHandle<GlobalBlockTraits>;

// Holds GlobalLock on a block for one scope; get() is null when the lock
// failed (a block that was freed, or not global memory at all).
class GlobalLockScope {
public:
    explicit GlobalLockScope(HGLOBAL block) noexcept
        : block_(block), data_(block ? ::GlobalLock(block) : nullptr) {}
    ~GlobalLockScope() {
        if (data_) ::GlobalUnlock(block_);
    }
    GlobalLockScope(const GlobalLockScope&) = delete;
    GlobalLockScope& operator=(const GlobalLockScope&) = delete;
    void* get() const noexcept { return data_; }

private:
    HGLOBAL block_;
    void* data_;
};

// CoInitialize for one scope. A thread that already had COM in another
// mode (RPC_E_CHANGED_MODE) is left as it was: only a start-up that
// succeeded (S_OK or S_FALSE) is paired with CoUninitialize.
class ComScope {
public:
    ComScope() noexcept : started_(SUCCEEDED(::CoInitialize(nullptr))) {}
    ~ComScope() {
        if (started_) ::CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    bool started() const noexcept { return started_; }

private:
    bool started_;
};

// WSAStartup for one scope; result() is WSAStartup's answer, and only a
// start-up that succeeded is paired with WSACleanup.
class WinsockScope {
public:
    explicit WinsockScope(WORD version = MAKEWORD(2, 2)) noexcept {
        WSADATA data;
        result_ = ::WSAStartup(version, &data);
    }
    ~WinsockScope() { reset(); }
    WinsockScope(const WinsockScope&) = delete;
    WinsockScope& operator=(const WinsockScope&) = delete;
    bool started() const noexcept { return result_ == 0; }
    int result() const noexcept { return result_; }
    // Ends the start-up early (once).
    void reset() noexcept {
        if (result_ == 0) ::WSACleanup();
        result_ = -1;
    }

private:
    int result_ = -1;
};

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
