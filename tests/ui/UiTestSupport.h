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
