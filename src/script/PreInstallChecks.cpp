#include "script/PreInstallChecks.h"

#include "package/PackageModel.h"
#include "script/CommandPlatform.h"
#include "script/Commands.h"
#include "script/Interpreter.h"
#include "script/Languages.h"
#include "script/Variables.h"

namespace cvn {

bool WindowsVersionAllowed(const TWindowsVersionLimits& limits, uint32_t version, uint32_t servicePack,
                           bool isNT) {
    uint32_t lower = uint32_t(limits.minVersion), upper = uint32_t(limits.maxVersion);
    bool lowerHolds;
    if (isNT)
        lowerHolds =
            lower == 0 || version > lower ||
            (version == lower && (limits.minServicePack == 0 || servicePack >= limits.minServicePack));
    else
        lowerHolds = lower == 0 || lower <= version;
    bool upperHolds = upper == 0 || version <= upper;
    return lowerHolds && upperHolds;
}

bool ScreenAllowed(uint8_t minScreenClass, int width, int height) {
    static const int kMinimum[][2] = {{640, 480}, {720, 480}, {720, 576}, {800, 600}, {1024, 768}};
    if (minScreenClass < 1 || minScreenClass > 5) return true;
    const int* m = kMinimum[minScreenClass - 1];
    return width >= m[0] && height >= m[1];
}

std::string FirstVolumePath(const std::string& executablePath) {
    size_t dot = executablePath.find_last_of(".\\:");
    size_t stem = dot != std::string::npos && executablePath[dot] == '.' ? dot : executablePath.size();
    return executablePath.substr(0, stem) + ".001";
}

bool TPreInstallChecks::Run(const TPackage& package, const TPreInstallFacts& facts) {
    TSystemValues& system = vars_->System();
    const TRequirements& req = package.product.requirements;

    if (facts.archiveOffset == 0) {
        std::string volume = FirstVolumePath(facts.executablePath);
        if (!files_->FileExists(volume) && !Fail(package, facts, 19, "3", PathFileName(volume))) return false;
    }
    if (!WindowsVersionAllowed(package.product.windows, system.OSVersionPart(0), system.OSVersionPart(4),
                               system.IsNT()) &&
        !Fail(package, facts, 18, "4"))
        return false;
    if (!ScreenAllowed(req.minScreenClass, system.ScreenWidth(), system.ScreenHeight()) &&
        !Fail(package, facts, 54, "5"))
        return false;
    if (req.minColorDepth > 0 && system.ColorDepth() < req.minColorDepth && !Fail(package, facts, 55, "6"))
        return false;
    if (req.minMemory > 0 && int64_t(system.PhysicalMemoryMB()) < req.minMemory &&
        !Fail(package, facts, 56, "7"))
        return false;
    return true;
}

bool TPreInstallChecks::Fail(const TPackage& package, const TPreInstallFacts& facts, int message,
                             const char* errorCode, const std::string& fileName) {
    std::string text =
        fileName.empty() ? languages_->Text(message) : languages_->Text(message, {{"<file>", fileName}});
    messages_->ShowMessage(facts.applicationTitle, text, TMessageIcon::Error);
    vars_->SetVariable("%CanClose%", "1");
    // The script may read it, but scripts may not set it: stored directly.
    vars_->Store().SetValue("%IsFinishingSetup%", "0");
    vars_->SetVariable("%ErrorCode%", errorCode);
    interpreter_->RunScript(package.eventScripts[4]);
    return vars_->ExpandVariables("%CanClose%") == "0";
}

} // namespace cvn
