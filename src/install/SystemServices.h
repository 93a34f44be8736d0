#pragma once

// Start and end of the system services for the program: COM for the user-interface
// thread, the machine-wide rights check and the caches. Windows only.

#include <string>

namespace cvn {

// Runs once however often it is requested (a nesting counter): the first call
// initialises COM, computes the machine-wide flag and empties the caches. False
// with "CoInitialize failed (0x........)" in error when COM cannot be initialised
// (the counter is then left unchanged).
bool StartSystemServices(std::string& error);
// The matching end: the last one uninitialises COM and empties the caches.
void StopSystemServices();

// Starts the services for a scope and ends them when it closes.
class TSystemServicesScope {
public:
    TSystemServicesScope() : ok_(StartSystemServices(error_)) {}
    ~TSystemServicesScope() {
        if (ok_) StopSystemServices();
    }
    TSystemServicesScope(const TSystemServicesScope&) = delete;
    TSystemServicesScope& operator=(const TSystemServicesScope&) = delete;

    bool Ok() const { return ok_; }
    const std::string& Error() const { return error_; }

private:
    std::string error_;
    bool ok_;
};

// The NT family: the service control manager opens with read, write and execute
// rights (only administrators get that). Other Windows: always true.
bool CanWriteMachineWide();
// CanWriteMachineWide as computed when the services started (computed on first
// use if they were not started).
bool IsMachineWide();

// Empties every folder and version cache (also done at start and end).
void ResetSystemCaches();

} // namespace cvn
