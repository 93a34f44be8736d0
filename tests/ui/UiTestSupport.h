#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace cvn::test {

// Runs `action` once, `milliseconds` from now, from a thread timer: the modal loop
// of the window under test dispatches it, so the test drives the window the way a
// user would without a second thread.
void After(unsigned milliseconds, std::function<void()> action);
// Cancels the actions that have not run yet.
void CancelPending();

// How long a test waits for a window it needs before it gives up.
constexpr unsigned kWindowTimeoutMs = 15000;

// Runs `action` with the window as soon as `find` returns one that is visible and
// takes input (not disabled under a modal box), looking again every few milliseconds
// from a thread timer. When none comes in time, the test fails naming `what`, and the
// thread's windows are sent WM_CLOSE so the modal loop under test ends instead of
// hanging.
void WhenReady(const std::string& what, std::function<HWND()> find, std::function<void(HWND)> action,
               unsigned timeoutMs = kWindowTimeoutMs);
// The same for a top-level window of this thread with that caption.
void WhenWindow(const std::string& caption, std::function<void(HWND)> action);

// A visible top-level window of this thread with that caption, or null.
HWND FindThreadWindow(const std::string& caption);
// The text of a message box of this thread, or empty.
std::string MessageBoxText(HWND box);
// Presses a button of a window as a click would.
void PressButton(HWND window, int id);
// Client-area position of a child control.
POINT ChildPosition(HWND parent, int id);
SIZE ChildSize(HWND child);

} // namespace cvn::test
