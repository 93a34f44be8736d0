// Reading a large package: 10,000 file records and 200 dialogs. Start-up reads
// every section before the first window appears, so a whole read must stay well
// under 100 ms. Prints the median of several runs for a memory stream and for a
// file, side by side with a plain copy of the same bytes, and each against the budget.

#include "core/Stream.h"
#include "package/PackageReader.h"
#include "package/PackageWriter.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

using namespace cvn;

namespace {

TScript SomeScript(int n, int seed) {
    TScript s;
    for (int i = 0; i < n; ++i) {
        TScriptStatement st;
        st.code = uint8_t((seed + i) % 115);
        for (auto& p : st.param)
            p = "%Variable" + std::to_string(i) + "% value text";
        st.condition = i % 2 ? "%IsNT% = 1|" : "";
        s.push_back(st);
    }
    return s;
}

TPackage BigPackage() {
    TPackage p;
    p.Settings().softwareName = "Benchmark";
    TLanguage en;
    en.name = "English";
    for (auto& m : en.messages)
        m = "A message text of ordinary length for %SoftwareName%.";
    p.languages.languages.push_back(en);
    for (int i = 0; i < 10000; ++i) {
        TFileRecord f;
        f.memberId = i;
        f.fileSize = uint32_t(i * 100);
        f.entry.sourceName = "C:\\Build\\Output\\Files\\file" + std::to_string(i) + ".dll";
        f.entry.targetDir = "%InstallDir%\\Sub" + std::to_string(i % 50) + "\\";
        f.entry.components = "Main|Docs";
        f.entry.condition = i % 3 ? "" : "%IsNT% = 1|";
        p.files.push_back(f);
    }
    for (int d = 0; d < 200; ++d) {
        TDialogDefinition dlg;
        dlg.name = "Dialog" + std::to_string(d);
        dlg.caption = "%SoftwareName% Setup - page " + std::to_string(d);
        dlg.font.face = "Tahoma";
        dlg.beforeBuildScript = SomeScript(3, d);
        dlg.leaveScript = SomeScript(2, d + 1);
        for (int c = 0; c < 12; ++c) {
            TControlDefinition ctl;
            ctl.kind = uint8_t(1 + c % 14);
            ctl.variable = "%Var" + std::to_string(c) + "%";
            for (auto& t : ctl.text)
                t = "Control text " + std::to_string(c);
            ctl.eventScript = SomeScript(2, c);
            dlg.controls.push_back(ctl);
        }
        p.dialogs.push_back(dlg);
    }
    return p;
}

double MedianMs(int runs, const std::function<void()>& work) {
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        auto t0 = std::chrono::steady_clock::now();
        work();
        ms.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

} // namespace

int main() {
    constexpr double kBudgetMs = 100.0;
    constexpr int kRuns = 15;
    std::vector<uint8_t> bytes;
    std::string error;
    if (!WritePackage(std::vector<uint8_t>(65536, 'S'), BigPackage(), {}, bytes, error)) {
        std::fprintf(stderr, "cannot build the package: %s\n", error.c_str());
        return 1;
    }
    const auto path = std::filesystem::temp_directory_path() / "cvn_package_read_bench.exe";
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));

    bool ok = true;
    size_t files = 0, dialogs = 0;
    double copyMs = MedianMs(kRuns, [&] {
        std::vector<uint8_t> copy(bytes.size());
        std::memcpy(copy.data(), bytes.data(), bytes.size());
        ok = ok && copy.back() == bytes.back();
    });
    double memoryMs = MedianMs(kRuns, [&] {
        MemoryInputStream s(bytes);
        TPackageReader r(s);
        TPackage p;
        ok = ok && r.ReadAll(p).Ok();
        files = p.files.size();
        dialogs = p.dialogs.size();
    });
    double fileMs = MedianMs(kRuns, [&] {
        auto f = FileInputStream::Open(path.string());
        TPackage p;
        ok = ok && f && TPackageReader(*f).ReadAll(p).Ok();
    });
    std::filesystem::remove(path);
    if (!ok) {
        std::fprintf(stderr, "reading the package failed\n");
        return 1;
    }

    std::printf("package of %zu bytes: %zu file records, %zu dialogs (median of %d runs)\n", bytes.size(),
                files, dialogs, kRuns);
    std::printf("  %-30s %8.2f ms\n", "copy of the same bytes", copyMs);
    std::printf("  %-30s %8.2f ms  %6.1fx the copy  %5.1f%% of the %.0f ms budget\n",
                "read all (memory stream)", memoryMs, memoryMs / copyMs, 100 * memoryMs / kBudgetMs,
                kBudgetMs);
    std::printf("  %-30s %8.2f ms  %6.1fx the copy  %5.1f%% of the %.0f ms budget\n", "read all (file)",
                fileMs, fileMs / copyMs, 100 * fileMs / kBudgetMs, kBudgetMs);
    std::printf("  %s\n",
                fileMs < kBudgetMs && memoryMs < kBudgetMs ? "within the budget" : "OVER the budget");
    std::printf("package_read: ratio %.3f (target 1.00), %.2f ms from a file against %.0f ms\n",
                fileMs / kBudgetMs, fileMs, kBudgetMs);
#ifndef NDEBUG
    std::printf("  (unoptimised build: measure with -DCMAKE_BUILD_TYPE=Release)\n");
#endif
    return 0;
}
