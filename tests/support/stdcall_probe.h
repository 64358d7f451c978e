// A caller that measures the calling convention of the function it calls.
//
// On 32-bit Windows a __stdcall function takes its own arguments off the
// stack; a __cdecl function leaves them to its caller. A compiler-generated
// call hides a mismatch (the caller restores its stack pointer from the frame
// pointer), so the probe pushes the arguments itself, calls through the
// pointer, and reports how far the stack pointer moved back: 4 bytes an
// argument for a __stdcall callee, 0 for a __cdecl one. Only i686 has two
// conventions; the probe exists only there.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

#if defined(_M_IX86) || defined(__i386__)
#define ZYN_HAVE_STDCALL_PROBE 1

extern "C" uint32_t zyn_stdcall_probe(const void* fn, const uint32_t* args, uint32_t count,
                                      uint32_t* result);

namespace zyntest {

struct ProbeResult {
    uint32_t value;   // what the callee returned in EAX
    uint32_t popped;  // bytes the callee took off the stack
};

// Each argument is one 32-bit stack slot: pointers and handles cast to it.
template <typename Fn>
ProbeResult StdcallProbe(Fn* fn, std::initializer_list<uint32_t> args) {
    std::vector<uint32_t> slots(args);
    ProbeResult r{};
    r.popped = zyn_stdcall_probe(reinterpret_cast<const void*>(fn), slots.data(),
                                 static_cast<uint32_t>(slots.size()), &r.value);
    return r;
}

template <typename T>
uint32_t Slot(T value) {
    static_assert(sizeof(T) <= 4, "one 32-bit stack slot");
    return (uint32_t)(uintptr_t)value;
}

}  // namespace zyntest
#endif
