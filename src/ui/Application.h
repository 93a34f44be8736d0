#pragma once

#include "core/Handle_win.h"
#include "script/CommandPlatform.h"

#include <windows.h>

#include <string>

namespace cvn {

// The message box icon flag of an icon kind (0 for none).
UINT MessageIconFlags(TMessageIcon icon);

// Process-wide window state shared by every form: the application title used as the
// caption of message boxes, the hidden owner window that stands for the application,
// the busy cursor and message pumping for long work on the one user-interface thread.
class TApplication {
public:
    static TApplication& Instance();

    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& title);

    // The hidden top-level window that owns forms created "by the application".
    HWND Handle();
    HINSTANCE ModuleInstance() const { return instance_; }

    // The active form of this process, or the application window when there is none.
    HWND ActiveOwner();

    // Shows a system message box owned by `owner` (the application window when null)
    // with the current title as caption. Returns the button chosen.
    int ShowMessage(const std::string& text, UINT flags, HWND owner = nullptr);

    // Lets the user interface handle pending window messages during long work.
    void ProcessMessages();

    // Runs the message loop until Terminate is called or WM_QUIT arrives.
    void Run();
    void Terminate();
    bool Terminated() const { return terminated_; }

    // Hourglass cursor while `busy` (nesting is counted).
    void SetBusyCursor(bool busy);
    bool BusyCursorShown() const { return busyDepth_ > 0; }

private:
    TApplication();
    std::string title_;
    HINSTANCE instance_;
    Library commonControls_; // kept loaded: its window classes live as long as it does
    HWND handle_ = nullptr;
    bool terminated_ = false;
    int busyDepth_ = 0;
};

// Hourglass cursor for the lifetime of the object.
class TBusyCursor {
public:
    TBusyCursor() { TApplication::Instance().SetBusyCursor(true); }
    ~TBusyCursor() { TApplication::Instance().SetBusyCursor(false); }
    TBusyCursor(const TBusyCursor&) = delete;
    TBusyCursor& operator=(const TBusyCursor&) = delete;
};

} // namespace cvn
