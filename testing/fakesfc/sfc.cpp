#include <windows.h>

#include <cwchar>

// Whether a file is under system file protection: here, when its name holds "protected".
extern "C" BOOL WINAPI SfcIsFileProtected(HANDLE, LPCWSTR path) {
    return path && std::wcsstr(path, L"protected") ? TRUE : FALSE;
}

// Lets a test tell this stand-in from the system's own library.
extern "C" BOOL WINAPI CvnFakeSfc() {
    return TRUE;
}
