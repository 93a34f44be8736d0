#include "app/SetupRun.h"

#include "core/FileSystem.h"

namespace cvn {

TSetupRun::TSetupRun(TSystemValues& system, const TCommandPlatform& platform)
    : variables(system), languages(variables), conditions(variables, selection),
      interpreter(variables, conditions, platform) {
    selection.Attach(variables);
}

TSetupRun::~TSetupRun() {
    CleanUp();
}

void TSetupRun::InstallInternetCommands(std::unique_ptr<THttpNetwork> network,
                                        std::unique_ptr<THttpsClient> secure, std::function<void()> pump) {
    httpNetwork = std::move(network);
    httpsClient = std::move(secure);
    internet = std::make_unique<TInternetCommands>(interpreter.Commands(), *httpNetwork, std::move(pump),
                                                   httpsClient.get());
    internet->Install(interpreter);
}

void TSetupRun::CleanUp() {
    package = TPackage{};
    for (const auto& path : extractedSupportFiles)
        DeleteFileForced(path);
    // A folder someone else put files into stays; that removal fails quietly.
    if (!tempSetupDir.empty()) RemoveEmptyFolder(tempSetupDir);
    extractedSupportFiles.clear();
    extractedSupportFiles.shrink_to_fit();
}

} // namespace cvn
