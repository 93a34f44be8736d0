#include "script/DllCall.h"

#include "core/Handle_win.h"
#include "core/SystemLibrary_win.h"

#include <windows.h>

#include <array>

// The raw call runs inside an exception frame of its own: an access violation or any
// other exception that the DLL does not handle itself ends the call as a failure
// instead of the setup. The frame is the outermost one of the called code, so a DLL
// that catches its own exceptions still does. Both calls are written in assembly,
// since the compiler has no way to put a handler around one call.
extern "C" intptr_t cvn_call_guarded(FARPROC function, const uintptr_t* arguments, size_t count,
                                     int* faulted);
// Where a failed call resumes: *faulted := 1, result 0, then the normal way out.
extern "C" char cvn_call_guarded_resume[];

#if defined(__i386__)
// Pushes the arguments from the last to the first, calls, and puts the stack pointer
// back where it was: a function that removes its own arguments (stdcall) and one that
// leaves them to the caller (cdecl) both return here with the stack intact. The frame
// registration record on the stack: the previous record, the handler, the frame's ebp.
__asm__(".text\n"
        ".globl _cvn_call_guarded\n"
        ".def _cvn_call_guarded; .scl 2; .type 32; .endef\n"
        "_cvn_call_guarded:\n"
        "    pushl %ebp\n"
        "    movl %esp, %ebp\n"
        "    pushl %ebx\n"
        "    pushl %esi\n"
        "    pushl %edi\n"
        "    pushl %ebp\n"
        "    pushl $_cvn_call_guard_handler\n"
        "    pushl %fs:0\n"
        "    movl %esp, %fs:0\n"
        "    movl 8(%ebp), %ebx\n"
        "    movl 12(%ebp), %esi\n"
        "    movl 16(%ebp), %ecx\n"
        "1:  testl %ecx, %ecx\n"
        "    jz 2f\n"
        "    pushl -4(%esi,%ecx,4)\n"
        "    decl %ecx\n"
        "    jmp 1b\n"
        "2:  call *%ebx\n"
        "    movl 20(%ebp), %ecx\n"
        "    movl $0, (%ecx)\n"
        "    jmp 3f\n"
        ".globl _cvn_call_guarded_resume\n"
        "_cvn_call_guarded_resume:\n"
        "    cld\n"
        "    movl 20(%ebp), %ecx\n"
        "    movl $1, (%ecx)\n"
        "    xorl %eax, %eax\n"
        "3:  leal -24(%ebp), %esp\n"
        "    popl %ecx\n"
        "    movl %ecx, %fs:0\n"
        "    addl $8, %esp\n"
        "    popl %edi\n"
        "    popl %esi\n"
        "    popl %ebx\n"
        "    popl %ebp\n"
        "    ret\n"
        // After the unwind the innermost record is the call's own: its stack, its ebp.
        ".globl _cvn_call_guard_escape\n"
        ".def _cvn_call_guard_escape; .scl 2; .type 32; .endef\n"
        "_cvn_call_guard_escape:\n"
        "    movl %fs:0, %esp\n"
        "    movl 8(%esp), %ebp\n"
        "    jmp _cvn_call_guarded_resume\n");

extern "C" [[noreturn]] void cvn_call_guard_escape();

// Named only by the assembly above: "used" keeps whole-program optimisation from dropping it.
extern "C" __attribute__((used))
EXCEPTION_DISPOSITION __cdecl cvn_call_guard_handler(EXCEPTION_RECORD* record, void* frame, CONTEXT*, void*) {
    if (record->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND))
        return ExceptionContinueSearch;
    // Runs the DLL's own clean-up handlers and leaves this call's record innermost.
    // The unwind is known to lose ebx, esi and edi, so the escape takes nothing from
    // this function.
    RtlUnwind(frame, nullptr, record, nullptr);
    cvn_call_guard_escape();
}
#elif defined(__x86_64__)
// The one 64-bit convention: the caller owns the stack, so a call with all sixteen
// slots filled serves any function of up to that many integer or pointer arguments;
// the callee reads the ones it declares and ignores the rest. Every non-volatile
// register is saved in the prologue, so a failed call gives them back whatever the
// DLL did to them.
__asm__(".text\n"
        ".globl cvn_call_guarded\n"
        ".def cvn_call_guarded; .scl 2; .type 32; .endef\n"
        ".seh_proc cvn_call_guarded\n"
        "cvn_call_guarded:\n"
        "    pushq %rbp\n"
        "    .seh_pushreg %rbp\n"
        "    pushq %rbx\n"
        "    .seh_pushreg %rbx\n"
        "    pushq %rsi\n"
        "    .seh_pushreg %rsi\n"
        "    pushq %rdi\n"
        "    .seh_pushreg %rdi\n"
        "    pushq %r12\n"
        "    .seh_pushreg %r12\n"
        "    pushq %r13\n"
        "    .seh_pushreg %r13\n"
        "    pushq %r14\n"
        "    .seh_pushreg %r14\n"
        "    pushq %r15\n"
        "    .seh_pushreg %r15\n"
        // 32 bytes of home space, 12 stack arguments, the faulted pointer, 10 xmm registers.
        "    subq $312, %rsp\n"
        "    .seh_stackalloc 312\n"
        "    movaps %xmm6, 144(%rsp)\n"
        "    .seh_savexmm %xmm6, 144\n"
        "    movaps %xmm7, 160(%rsp)\n"
        "    .seh_savexmm %xmm7, 160\n"
        "    movaps %xmm8, 176(%rsp)\n"
        "    .seh_savexmm %xmm8, 176\n"
        "    movaps %xmm9, 192(%rsp)\n"
        "    .seh_savexmm %xmm9, 192\n"
        "    movaps %xmm10, 208(%rsp)\n"
        "    .seh_savexmm %xmm10, 208\n"
        "    movaps %xmm11, 224(%rsp)\n"
        "    .seh_savexmm %xmm11, 224\n"
        "    movaps %xmm12, 240(%rsp)\n"
        "    .seh_savexmm %xmm12, 240\n"
        "    movaps %xmm13, 256(%rsp)\n"
        "    .seh_savexmm %xmm13, 256\n"
        "    movaps %xmm14, 272(%rsp)\n"
        "    .seh_savexmm %xmm14, 272\n"
        "    movaps %xmm15, 288(%rsp)\n"
        "    .seh_savexmm %xmm15, 288\n"
        "    .seh_handler cvn_call_guard_handler, @except\n"
        "    .seh_endprologue\n"
        "    movq %r9, 128(%rsp)\n"
        "    movq %rcx, %rax\n"
        "    movq %rdx, %r10\n"
        "    movl $4, %ecx\n"
        "1:  movq (%r10,%rcx,8), %r11\n"
        "    movq %r11, (%rsp,%rcx,8)\n"
        "    incl %ecx\n"
        "    cmpl $16, %ecx\n"
        "    jb 1b\n"
        "    movq (%r10), %rcx\n"
        "    movq 8(%r10), %rdx\n"
        "    movq 16(%r10), %r8\n"
        "    movq 24(%r10), %r9\n"
        "    callq *%rax\n"
        "    movq 128(%rsp), %rcx\n"
        "    movl $0, (%rcx)\n"
        "    jmp 2f\n"
        ".globl cvn_call_guarded_resume\n"
        "cvn_call_guarded_resume:\n"
        "    movq 128(%rsp), %rcx\n"
        "    movl $1, (%rcx)\n"
        "    xorl %eax, %eax\n"
        "2:  movaps 144(%rsp), %xmm6\n"
        "    movaps 160(%rsp), %xmm7\n"
        "    movaps 176(%rsp), %xmm8\n"
        "    movaps 192(%rsp), %xmm9\n"
        "    movaps 208(%rsp), %xmm10\n"
        "    movaps 224(%rsp), %xmm11\n"
        "    movaps 240(%rsp), %xmm12\n"
        "    movaps 256(%rsp), %xmm13\n"
        "    movaps 272(%rsp), %xmm14\n"
        "    movaps 288(%rsp), %xmm15\n"
        "    addq $312, %rsp\n"
        "    popq %r15\n"
        "    popq %r14\n"
        "    popq %r13\n"
        "    popq %r12\n"
        "    popq %rdi\n"
        "    popq %rsi\n"
        "    popq %rbx\n"
        "    popq %rbp\n"
        "    ret\n"
        ".seh_endproc\n");

// Named only by the assembly above: "used" keeps whole-program optimisation from dropping it.
extern "C" __attribute__((used)) EXCEPTION_DISPOSITION
cvn_call_guard_handler(EXCEPTION_RECORD* record, void* frame, CONTEXT*, DISPATCHER_CONTEXT* dispatcher) {
    if (record->ExceptionFlags & EXCEPTION_UNWIND) return ExceptionContinueSearch;
    // Unwinds the DLL's frames (their clean-up handlers run) and resumes in this
    // call's frame, with its stack pointer, at the failure exit; never returns.
    RtlUnwindEx(frame, cvn_call_guarded_resume, record, nullptr, dispatcher->ContextRecord,
                dispatcher->HistoryTable);
    return ExceptionContinueSearch;
}
#else
#error "DLL calls are built for x86 and x86-64 only"
#endif

namespace cvn {

namespace {

bool IsBareName(const std::string& file) {
    return file.find_first_of("\\/:") == std::string::npos;
}

class TWinDllInvoke final : public TDLLInvoke {
public:
    bool Load(const std::string& file) override {
        Unload();
        if (file.empty()) return false;
        // No system box about a missing dependency: the failure goes to the script.
        UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
        if (IsBareName(file)) {
            // A bare name is never looked up beside the setup program, where anything
            // could have been put next to a downloaded setup.
            library_ = LoadSystemLibrary(file.c_str());
        } else {
            char full[MAX_PATH];
            DWORD n = GetFullPathNameA(file.c_str(), MAX_PATH, full, nullptr);
            if (n > 0 && n < MAX_PATH) library_ = LoadLibraryWithItsFolder(full);
        }
        SetErrorMode(oldMode);
        return bool(library_);
    }

    void Unload() override { library_.Reset(); }

    bool Invoke(const std::string& function, const std::vector<TDllArgument>& arguments,
                intptr_t& result) override {
        if (!library_ || arguments.size() > kMaxArguments) return false;
        FARPROC address = GetProcAddress(library_.Get(), function.c_str());
        if (!address) return false;
        std::array<uintptr_t, kMaxArguments> values{};
        for (size_t i = 0; i < arguments.size(); ++i) {
            const TDllArgument& a = arguments[i];
            switch (a.kind) {
            case TDllArgument::Text:
                values[i] = reinterpret_cast<uintptr_t>(a.text.c_str());
                break;
            case TDllArgument::Pointer:
                values[i] = a.pointer;
                break;
            case TDllArgument::Integer:
                values[i] = uintptr_t(intptr_t(a.number)); // sign-extended for a 64-bit parameter
                break;
            }
        }
        int faulted = 0;
        result = cvn_call_guarded(address, values.data(), arguments.size(), &faulted);
        return !faulted;
    }

private:
    Library library_;
};

} // namespace

std::unique_ptr<TDLLInvoke> CreateWinDllInvoke() {
    return std::make_unique<TWinDllInvoke>();
}

} // namespace cvn
