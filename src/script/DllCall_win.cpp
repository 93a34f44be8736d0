#include "script/DllCall.h"

#include "core/Handle_win.h"
#include "core/SystemLibrary_win.h"

#include <windows.h>

#include <array>

namespace cvn {

namespace {

#if defined(__i386__)
// Pushes the arguments from the last to the first, calls, and puts the stack pointer
// back where it was: a function that removes its own arguments (stdcall) and one
// that leaves them to the caller (cdecl) both return here with the stack intact.
intptr_t CallRestoringStack(FARPROC function, const uintptr_t* arguments, size_t count) {
    intptr_t result;
    __asm__ volatile("movl %%esp, %%edi\n\t"
                     "1:\n\t"
                     "testl %%ecx, %%ecx\n\t"
                     "jz 2f\n\t"
                     "pushl -4(%%esi,%%ecx,4)\n\t"
                     "decl %%ecx\n\t"
                     "jmp 1b\n\t"
                     "2:\n\t"
                     "call *%%ebx\n\t"
                     "movl %%edi, %%esp\n\t"
                     : "=a"(result), "+c"(count)
                     : "b"(function), "S"(arguments)
                     : "edi", "edx", "memory", "cc");
    return result;
}
#elif defined(__x86_64__)
// The one 64-bit convention: the caller owns the stack, so a call with every slot
// filled serves any function of up to that many integer or pointer arguments; the
// callee reads the ones it declares and ignores the rest.
using TWideFunction = intptr_t (*)(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t,
                                   uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t,
                                   uintptr_t, uintptr_t, uintptr_t, uintptr_t);
intptr_t CallRestoringStack(FARPROC function, const uintptr_t* a, size_t) {
    auto f = reinterpret_cast<TWideFunction>(reinterpret_cast<void*>(function));
    return f(a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8], a[9], a[10], a[11], a[12], a[13], a[14],
             a[15]);
}
#else
#error "DLL calls are built for x86 and x86-64 only"
#endif

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
            if (n > 0 && n < MAX_PATH)
                library_ = LoadLibraryWithItsFolder(full);
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
        result = CallRestoringStack(address, values.data(), arguments.size());
        return true;
    }

private:
    Library library_;
};

} // namespace

std::unique_ptr<TDLLInvoke> CreateWinDllInvoke() {
    return std::make_unique<TWinDllInvoke>();
}

} // namespace cvn
