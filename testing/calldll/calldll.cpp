// Functions for the CallDll tests: stdcall and cdecl ones with integer and text
// arguments, a text result released through "freememory", which leaves its mark in
// the process environment (the DLL is unloaded after every call).

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

#define CVN_EXPORT extern "C" __declspec(dllexport)

CVN_EXPORT int __stdcall WeighStd(int a, int b, int c) {
    return a * 100 + b * 10 + c;
}

CVN_EXPORT int __cdecl WeighC(int a, int b, int c) {
    return a * 100 + b * 10 + c;
}

CVN_EXPORT int __stdcall TextLength(const char* text) {
    return text ? int(std::strlen(text)) : -1;
}

CVN_EXPORT int __stdcall CountArguments() {
    return 42;
}

// "name" repeated `times` times, joined by "+".
CVN_EXPORT char* __stdcall Repeat(const char* name, int times) {
    std::string s;
    for (int i = 0; i < times; ++i)
        s += (i ? "+" : "") + std::string(name);
    char* out = static_cast<char*>(std::malloc(s.size() + 1));
    std::memcpy(out, s.c_str(), s.size() + 1);
    return out;
}

CVN_EXPORT char* __stdcall Nothing() {
    return nullptr;
}

CVN_EXPORT void __stdcall freememory(char* text) {
    SetEnvironmentVariableA("CVN_CALLDLL_FREED", text ? text : "(null)");
    std::free(text);
}

// Writes to the address it is given: an access violation for a small one.
CVN_EXPORT int __stdcall WriteTo(int address, int value) {
    *reinterpret_cast<volatile int*>(static_cast<uintptr_t>(address)) = value;
    return value;
}

CVN_EXPORT char* __stdcall RaiseFatal() {
    RaiseException(0xE0C0FFEE, EXCEPTION_NONCONTINUABLE, 0, nullptr);
    return nullptr;
}

// Throws and catches its own exception: a handler around the call must not get it.
CVN_EXPORT int __cdecl CatchesItsOwn(int value) {
    try {
        if (value > 0) throw value;
    } catch (int thrown) {
        return thrown + 1;
    }
    return 0;
}
