// The probe itself, in assembly so that nothing between the pushes and the
// call can adjust the stack pointer. edi (kept by every Windows calling
// convention) holds the stack pointer as it was right after the pushes.
#include "stdcall_probe.h"

#if defined(ZYN_HAVE_STDCALL_PROBE)
asm(R"(
    .text
    .globl _zyn_stdcall_probe
    .def _zyn_stdcall_probe; .scl 2; .type 32; .endef
_zyn_stdcall_probe:
    pushl %ebp
    movl %esp, %ebp
    pushl %ebx
    pushl %esi
    pushl %edi
    movl 16(%ebp), %ecx
    movl 12(%ebp), %esi
1:  testl %ecx, %ecx
    jz 2f
    pushl -4(%esi,%ecx,4)
    decl %ecx
    jmp 1b
2:  movl %esp, %edi
    call *8(%ebp)
    movl 20(%ebp), %ecx
    movl %eax, (%ecx)
    movl %esp, %eax
    subl %edi, %eax
    leal -12(%ebp), %esp
    popl %edi
    popl %esi
    popl %ebx
    popl %ebp
    ret
)");
#endif
