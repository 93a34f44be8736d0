#pragma once

#include "package/Script.h"

namespace cvn {

struct TCommandsContext;
struct TPackage;
class THotSync;
class TInterpreter;
class TRapiTool;

// The script commands on a connected Windows CE device (through the device link) and
// on the HotSync users. Every device command first makes sure the link is usable,
// connecting when a device is present; otherwise it gives its "not connected" answer.
class TDeviceCommands {
public:
    TDeviceCommands(TCommandsContext& ctx, TRapiTool& device, const THotSync& hotSync,
                    const TPackage& package)
        : ctx_(&ctx), device_(&device), hotSync_(&hotSync), package_(&package) {}

    // Installs the commands for their statement codes.
    void Install(TInterpreter& interpreter);
    // Performs one of them; false for a code that is not one of them.
    bool Run(const TScriptStatement& s);

private:
    void Owner(const TScriptStatement& s);
    void OsVersion(const TScriptStatement& s);
    void FileDetails(const TScriptStatement& s);
    void FileOpen(const TScriptStatement& s);
    void FileAppend(const std::string& text);
    void FileRead(const TScriptStatement& s);
    void FileReadLine(const TScriptStatement& s);
    void RegRead(const TScriptStatement& s);
    void RegWrite(const TScriptStatement& s);
    void RegDelete(const TScriptStatement& s);
    void FreeSpace(const TScriptStatement& s);

    std::string Expand(const std::string& text) const;
    void Set(const std::string& var, const std::string& value) const;
    bool Usable();

    TCommandsContext* ctx_;
    TRapiTool* device_;
    const THotSync* hotSync_;
    const TPackage* package_;
};

} // namespace cvn
