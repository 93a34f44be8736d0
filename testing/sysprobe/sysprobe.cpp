// Reports what the system services see, for tests that need a fresh process (the
// Windows version Wine pretends to be is fixed when a process starts):
//
//   cvn_sysprobe OUTFILE facts                      computed variables, one "%Name%=value" a line
//   cvn_sysprobe OUTFILE register-font FILE NAME    RegisterFont (added now), then "result=1|0"
//   cvn_sysprobe OUTFILE unregister-font FILE NAME  UnregisterFont, then "result=1|0"
//   cvn_sysprobe OUTFILE cwd                         the working folder
//
// The report is written to a temporary name and then renamed, so a reader never
// sees half of it.

#include "install/Fonts.h"
#include "install/SystemServices.h"
#include "install/WinSystemValues.h"
#include "script/Variables.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

const char* const kFacts[] = {"%IsNT%",           "%OSVersion%",       "%OSMajorVersion%", "%OSMinorVersion%",
                              "%IsAdmin%",        "%ColorDepth%",      "%RAMMemory%",      "%WinDir%",
                              "%SysDir%",         "%ProgramFilesDir%", "%CommonFilesDir%", "%FontsDir%",
                              "%MyDocumentsDir%", "%ProgramsDir%",     "%DesktopDir%"};

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    std::string out = argv[1], command = argv[2];
    cvn::TSystemServicesScope services;
    if (!services.Ok()) return 3;
    std::string report;
    if (command == "facts") {
        cvn::TWinSystemValues system;
        cvn::TVariables vars(system);
        for (const char* name : kFacts)
            report += std::string(name) + "=" + vars.ExpandVariables(name) + "\n";
        report += "ServicePack=" + std::to_string(system.OSVersionPart(4)) + "\n";
        report += "Build=" + std::to_string(system.OSVersionPart(3)) + "\n";
        report += "Packed=" + std::to_string(system.OSVersionPart(0)) + "\n";
    } else if (command == "register-font" && argc == 5) {
        report = std::string("result=") + (cvn::RegisterFont(argv[3], argv[4], true) ? "1" : "0") + "\n";
    } else if (command == "unregister-font" && argc == 5) {
        report = std::string("result=") + (cvn::UnregisterFont(argv[3], argv[4]) ? "1" : "0") + "\n";
    } else if (command == "cwd") {
        char dir[MAX_PATH] = {};
        GetCurrentDirectoryA(MAX_PATH, dir);
        report = std::string("cwd=") + dir + "\n";
    } else {
        return 2;
    }
    std::string temp = out + ".part";
    FILE* f = std::fopen(temp.c_str(), "wb");
    if (!f) return 4;
    std::fwrite(report.data(), 1, report.size(), f);
    std::fclose(f);
    return MoveFileExA(temp.c_str(), out.c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : 5;
}
