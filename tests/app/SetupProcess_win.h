#pragma once

#include <windows.h>

#include <chrono>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace cvn::test {

// One message box of the watched process, as the user would see it.
struct SeenMessageBox {
    HWND window = nullptr;
    std::string caption;
    std::string text;
    std::string icon; // "error", "information", "warning", "question", "" for none or unknown
};

// A top-level window of the watched process as it looked at some moment when it
// was visible.
struct SeenWindow {
    std::string className;
    std::string caption;
    int clientWidth = 0, clientHeight = 0;
    bool titled = false;              // it has a title bar
    bool progressBar = false;         // it shows a progress bar
    std::vector<std::string> buttons; // the texts of its visible buttons, in child order

    bool operator==(const SeenWindow&) const = default;
};
std::ostream& operator<<(std::ostream& out, const SeenWindow& w);
// The windows of `seen` that a silent run must not show: all but setup's start-up
// window (no title bar) and its copying page (a progress bar), neither with a button.
std::vector<SeenWindow> NotSilent(std::vector<SeenWindow> seen);

// A setup.exe started with a private temporary folder, watched from outside the way
// a person would: its windows, its message boxes and its exit code.
class SetupProcess {
public:
    // Starts `exe` with TEMP and TMP set to `tempFolder`, `arguments` after its name.
    SetupProcess(const std::string& exe, const std::string& tempFolder, const std::string& arguments = "");
    ~SetupProcess();
    SetupProcess(const SetupProcess&) = delete;
    SetupProcess& operator=(const SetupProcess&) = delete;

    bool Started() const { return process_ != nullptr; }
    // The next message box of the process, or nothing when the process ends or the
    // time runs out first.
    std::optional<SeenMessageBox> WaitForMessageBox(std::chrono::milliseconds timeout);
    // Presses the box's OK button (or its only button).
    static void PressOk(const SeenMessageBox& box);
    // A visible top-level window of the process with that client size, if any.
    HWND FindWindowOfSize(int clientWidth, int clientHeight) const;
    // Waits for the end; the exit code, or -1 after a timeout (the process is then killed).
    int WaitForExit(std::chrono::milliseconds timeout);
    // The same, looking at the process's top-level windows every few milliseconds
    // meanwhile: each look of a visible one that differs from those before (another
    // window, or the same showing another page) is added to `seen`.
    int WaitForExitWatchingWindows(std::chrono::milliseconds timeout, std::vector<SeenWindow>& seen);

private:
    HANDLE process_ = nullptr;
    DWORD pid_ = 0;
};

// Folders and files for a test run under the system's temporary folder.
std::string MakeScratchFolder(const std::string& name);
void RemoveTree(const std::string& path);
bool WriteBytes(const std::string& path, const void* data, size_t size);
std::string ReadText(const std::string& path);
bool PathExists(const std::string& path);
// setup.exe of this build: beside the test program's build folder.
std::string SetupStubPath();

} // namespace cvn::test
