// cvn_answer SECONDS RULE... -- PROGRAM [ARGUMENT...]
//
// Starts PROGRAM and, until it and whatever it started have shown nothing for a few
// seconds after it ended (or SECONDS have passed), presses buttons on the visible
// top-level windows of this desktop. A RULE is TEXT=BUTTON: a window with a text
// (its caption or a child's) containing TEXT and a button captioned BUTTON gets
// that button pressed; an empty TEXT matches any window with the button. Rules are
// tried in order. Each press is printed as one line "BUTTON | the window's texts", so
// the caller sees what was asked. A RULE TEXT@ITEM toggles, once, the item ITEM of a
// check list (a list box whose items a Space key press toggles) in a window fitting
// TEXT, printed as "@ITEM | ...". The exit code is PROGRAM's, or 99 after a timeout.

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Rule {
    std::string text, button;
    bool toggle = false; // button is a check list's item
    bool used = false;
};

std::string TextOf(HWND w) {
    char buf[2048] = {};
    GetWindowTextA(w, buf, sizeof buf);
    return buf;
}

std::string ClassOf(HWND w) {
    char buf[64] = {};
    GetClassNameA(w, buf, sizeof buf);
    return buf;
}

std::string WithoutAccelerator(std::string s) {
    std::string out;
    for (char c : s)
        if (c != '&') out += c;
    return out;
}

bool SameText(const std::string& a, const std::string& b) {
    return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

struct Window {
    HWND handle = nullptr;
    std::vector<std::string> texts;                    // caption and non-button children
    std::vector<std::pair<HWND, std::string>> buttons; // push buttons and their captions
    std::vector<HWND> lists;
};

BOOL CALLBACK CollectChild(HWND child, LPARAM lp) {
    auto* w = reinterpret_cast<Window*>(lp);
    if (!IsWindowVisible(child)) return TRUE;
    const std::string text = TextOf(child);
    if (SameText(ClassOf(child), "ListBox")) w->lists.push_back(child);
    if (SameText(ClassOf(child), "Button"))
        w->buttons.emplace_back(child, WithoutAccelerator(text));
    else if (!text.empty())
        w->texts.push_back(text);
    return TRUE;
}

BOOL CALLBACK CollectTop(HWND top, LPARAM lp) {
    if (!IsWindowVisible(top)) return TRUE;
    Window w;
    w.handle = top;
    w.texts.push_back(TextOf(top));
    EnumChildWindows(top, CollectChild, reinterpret_cast<LPARAM>(&w));
    if (!w.buttons.empty() || !w.lists.empty())
        reinterpret_cast<std::vector<Window>*>(lp)->push_back(std::move(w));
    return TRUE;
}

void Print(const std::string& what, const Window& w) {
    std::string seen;
    for (const std::string& t : w.texts)
        seen += (seen.empty() ? "" : " / ") + t;
    // One line per answer.
    for (char& ch : seen)
        if (ch == '\r' || ch == '\n') ch = ' ';
    std::printf("%s | %s\n", what.c_str(), seen.c_str());
    std::fflush(stdout);
}

// Selects the item and presses Space on the list, as a person toggling it would.
bool Toggle(const Window& w, const std::string& item) {
    for (HWND list : w.lists) {
        const LRESULT index =
            SendMessageA(list, LB_FINDSTRINGEXACT, WPARAM(-1), reinterpret_cast<LPARAM>(item.c_str()));
        if (index == LB_ERR) continue;
        SendMessageA(list, LB_SETCURSEL, WPARAM(index), 0);
        PostMessageA(list, WM_KEYDOWN, VK_SPACE, 0);
        PostMessageA(list, WM_KEYUP, VK_SPACE, 0);
        Sleep(300);
        return true;
    }
    return false;
}

// Presses the first rule's button on the first window it fits; true when one was pressed.
bool AnswerOne(std::vector<Rule>& rules) {
    std::vector<Window> windows;
    EnumWindows(CollectTop, reinterpret_cast<LPARAM>(&windows));
    for (Rule& rule : rules)
        for (const Window& w : windows) {
            bool fits = rule.text.empty();
            for (const std::string& t : w.texts)
                fits = fits || t.find(rule.text) != std::string::npos;
            if (!fits || rule.used) continue;
            if (rule.toggle) {
                if (!Toggle(w, rule.button)) continue;
                rule.used = true;
                Print("@" + rule.button, w);
                return true;
            }
            for (const auto& [button, caption] : w.buttons) {
                if (!SameText(caption, rule.button)) continue;
                Print(caption, w);
                // What a click sends the owner of the button.
                PostMessageA(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                             reinterpret_cast<LPARAM>(button));
                for (int i = 0; i < 500 && IsWindow(button) && IsWindowVisible(button); ++i)
                    Sleep(10);
                return true;
            }
        }
    return false;
}

std::string Quoted(const std::string& arg) {
    if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) return arg;
    return "\"" + arg + "\"";
}

} // namespace

int main(int argc, char** argv) {
    int at = 2;
    std::vector<Rule> rules;
    for (; at < argc && std::string(argv[at]) != "--"; ++at) {
        const std::string rule = argv[at];
        const size_t eq = rule.find_last_of("=@");
        if (eq == std::string::npos) {
            std::fprintf(stderr, "cvn_answer: a rule is TEXT=BUTTON or TEXT@ITEM: %s\n", rule.c_str());
            return 2;
        }
        rules.push_back({rule.substr(0, eq), rule.substr(eq + 1), rule[eq] == '@'});
    }
    if (argc < 2 || at + 1 >= argc) {
        std::fprintf(stderr, "usage: cvn_answer SECONDS RULE... -- PROGRAM [ARGUMENT...]\n");
        return 2;
    }
    std::string command;
    for (int i = at + 1; i < argc; ++i)
        command += (command.empty() ? "" : " ") + Quoted(argv[i]);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        std::fprintf(stderr, "cvn_answer: cannot start %s (%lu)\n", command.c_str(), GetLastError());
        return 2;
    }
    CloseHandle(pi.hThread);
    const DWORD limit = DWORD(atoi(argv[1])) * 1000;
    const DWORD start = GetTickCount();
    // A program started by PROGRAM may still ask after PROGRAM has ended.
    constexpr DWORD kQuietAfterEnd = 6000;
    DWORD lastAnswer = start;
    while (GetTickCount() - start < limit) {
        if (AnswerOne(rules)) {
            lastAnswer = GetTickCount();
            continue;
        }
        const bool ended = WaitForSingleObject(pi.hProcess, 100) == WAIT_OBJECT_0;
        if (ended && GetTickCount() - lastAnswer > kQuietAfterEnd) {
            DWORD code = 0;
            GetExitCodeProcess(pi.hProcess, &code);
            CloseHandle(pi.hProcess);
            return int(code);
        }
    }
    std::fprintf(stderr, "cvn_answer: timed out\n");
    CloseHandle(pi.hProcess);
    return 99;
}
