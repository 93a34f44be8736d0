// Expansion speed against the direct approach (test every stored name against the
// text, replace with find/erase/insert), measured side by side on the same inputs.

#include "script/Variables.h"

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using namespace cvn;

class TQuietSystem : public TSystemValues {
public:
    std::string WindowsDir() override { return "C:\\WINDOWS"; }
    std::string SystemDir() override { return "C:\\WINDOWS\\SYSTEM32"; }
    std::string ProgramFilesDir() override { return "C:\\Program Files"; }
    std::string CommonFilesDir() override { return "C:\\Program Files\\Common Files"; }
    std::string FontsDir() override { return "C:\\WINDOWS\\Fonts"; }
    std::string PersonalDir() override { return "C:\\Docs"; }
    std::string ActiveSyncDir() override { return "C:\\AS"; }
    std::string HotSyncDir() override { return ""; }
    std::string DotNetDir() override { return ""; }
    std::string SourceDir() override { return "D:\\"; }
    std::string ShellFolder(TShellFolderKind, bool) override { return "C:\\Menu"; }
    uint32_t OSVersionPart(int) override { return 5; }
    bool IsNT() override { return true; }
    bool IsAdmin() override { return true; }
    uint32_t PhysicalMemoryMB() override { return 512; }
    int ColorDepth() override { return 32; }
    int ScreenWidth() override { return 1024; }
    int ScreenHeight() override { return 768; }
    TLocalTime LocalTime() override { return {2004, 1, 2, 3, 4, 5}; }
    std::string DateSeparator() override { return "/"; }
    std::vector<std::string> CommandLineArgs() override { return {"setup.exe"}; }
    uintptr_t MainWindowHandle() override { return 1; }
    uintptr_t ActiveDialogHandle() override { return 0; }
    bool IsActiveSyncInstalled() override { return true; }
    std::string ActiveSyncVersion() override { return "3.7"; }
    bool IsHotSyncInstalled() override { return false; }
    std::string HotSyncUser() override { return ""; }
    bool IsDotNetInstalled() override { return false; }
    std::string DotNetVersion() override { return "0.0"; }
    bool ReadRegistryText(TRegRoot, const std::string&, const std::string&, std::string&) override {
        return false;
    }
};

// Stored variables only; every stored name is tested against the whole text.
std::string DirectExpand(const TVariableList& store, const std::string& text) {
    const std::string upperInput = AsciiUpperCopy(text);
    std::string result = text;
    for (const auto& [name, value] : store.Entries()) {
        const std::string upperName = AsciiUpperCopy(name);
        if (upperInput.find(upperName) == std::string::npos) continue;
        std::string upperResult = AsciiUpperCopy(result);
        for (size_t pos = upperResult.find(upperName); pos != std::string::npos;
             pos = upperResult.find(upperName, pos + value.size())) {
            result.replace(pos, name.size(), value);
            upperResult.replace(pos, name.size(), AsciiUpperCopy(value));
        }
    }
    return result;
}

template <class F> double Millis(int repeat, F&& f) {
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < repeat; ++i)
        f();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// The case where ours fares worst against the direct approach closes the run.
struct Worst {
    double ratio = 0, ours = 0, direct = 0;
    bool same = true;
};

void Compare(const char* label, TVariables& vars, const std::string& text, int repeat, Worst& worst) {
    std::string ours, direct;
    double t1 = Millis(repeat, [&] { ours = vars.ExpandVariables(text); });
    double t2 = Millis(repeat, [&] { direct = DirectExpand(vars.Store(), text); });
    std::printf("%-44s ours %9.3f ms  direct %9.3f ms  ratio %6.1fx  %s\n", label, t1 / repeat, t2 / repeat,
                t2 / t1, ours == direct ? "same result" : "RESULTS DIFFER");
    worst.same = worst.same && ours == direct;
    if (t1 / t2 > worst.ratio) worst = {t1 / t2, t1 / repeat, t2 / repeat, worst.same};
}

} // namespace

int main() {
    TQuietSystem sys;
    TVariables vars(sys);
    Worst worst;
    for (int i = 0; i < 2000; ++i)
        vars.Store().SetValue("%Var" + std::to_string(i) + "%", "value" + std::to_string(i));
    vars.Store().SetValue("%InstallDir%", "C:\\Program Files\\App");

    Compare("short path, 2001 stored variables", vars, "%InstallDir%\\bin\\app.exe", 2000, worst);

    std::string licence;
    for (int i = 0; i < 4000; ++i)
        licence += "Line " + std::to_string(i) + " of the licence text for the product.\n";
    Compare("200 KB text without references", vars, licence, 20, worst);

    std::string many = licence;
    for (int i = 0; i < 400; ++i)
        many += "%Var" + std::to_string(i * 5) + "% ";
    Compare("200 KB text, 400 references", vars, many, 5, worst);

    std::string dense;
    for (int i = 0; i < 20000; ++i)
        dense += "%Var" + std::to_string(i % 2000) + "%,";
    Compare("20000 references to 2000 variables", vars, dense, 2, worst);
    std::printf("expansion: ratio %.3f (target 1.00), ours %.3f ms, direct %.3f ms in its worst case\n",
                worst.ratio, worst.ours, worst.direct);
    return worst.same ? 0 : 1;
}
