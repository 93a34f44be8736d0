#include "script/InternetCommands.h"

#include "package/StatementCodes.h"
#include "script/CommandsContext.h"
#include "script/HttpUrl.h"
#include "script/Interpreter.h"

#include <memory>

namespace cvn {

void TDownloadProgress::HttpDownloadProc(THttpCli* sender, const char* data, size_t) {
    if (!reportProgress) return;
    if (!sender) {
        reportProgress(2, {}, 0);
    } else if (!data) {
        reportProgress(3, {}, 100);
    } else {
        const int64_t length = sender->ContentLength();
        reportProgress(2, {}, length > 0 ? int(sender->ReceivedCount() * 100 / length) : 0);
    }
}

TInternetCommands::TInternetCommands(TCommandsContext& ctx, THttpNetwork& network, std::function<void()> pump,
                                     THttpsClient* secure)
    : ctx_(&ctx), network_(&network), pump_(std::move(pump)), secure_(secure) {}

void TInternetCommands::Install(TInterpreter& interpreter) {
    using SC = StatementCommand;
    interpreter.SetExternalCommand(uint8_t(SC::scCheckInternet),
                                   [this](const TScriptStatement& s) { CheckInternet(s); });
    interpreter.SetExternalCommand(uint8_t(SC::scDownload),
                                   [this](const TScriptStatement& s) { Download(s); });
    interpreter.SetExternalCommand(uint8_t(SC::scHttpPost),
                                   [this](const TScriptStatement& s) { HttpPost(s); });
    interpreter.SetExternalCommand(uint8_t(SC::scHttpGet), [this](const TScriptStatement& s) { HttpGet(s); });
    interpreter.SetExternalCommand(uint8_t(SC::scAbortDownload),
                                   [this](const TScriptStatement&) { AbortDownload(); });
}

THttpCli TInternetCommands::NewClient(const std::string& url) {
    THttpCli cli(*network_, pump_, secure_);
    cli.url = EscapeUrlSpaces(ctx_->Expand(url));
    return cli;
}

void TInternetCommands::AbortDownload() {
    if (download_) download_->Abort();
}

void TInternetCommands::CheckInternet(const TScriptStatement& s) {
    // Only the status counts: the body is read and dropped.
    THttpCli cli = NewClient(checkUrl);
    ctx_->Set(s.param[0], cli.Get() ? "1" : "0");
}

void TInternetCommands::HttpGet(const TScriptStatement& s) {
    THttpCli cli = NewClient(s.param[1]);
    std::string body;
    cli.receive = [&body](const char* data, size_t size) {
        if (size > kHttpGetLimit - body.size()) return false;
        body.append(data, size);
        return true;
    };
    ctx_->Set(s.param[0], cli.Get() ? body : std::string());
}

void TInternetCommands::HttpPost(const TScriptStatement& s) {
    THttpCli cli = NewClient(s.param[0]);
    const std::string body = ctx_->Expand(s.param[1]);
    cli.sendBody = &body;
    cli.Post();
}

void TInternetCommands::Download(const TScriptStatement& s) {
    // One download at a time: a control script that starts another while the first
    // runs gets nothing, and the first one's file is left alone.
    if (download_) return;
    TPcFiles* files = ctx_->platform.files;
    if (!files) return;
    THttpCli cli = NewClient(s.param[0]);
    const std::string destination = ctx_->Expand(s.param[1]);
    // Emptied by removing it: a file that cannot be removed is not written into.
    if (files->FileExists(destination) && !files->RemoveFile(destination)) return;
    std::unique_ptr<TPcFile> file = files->OpenReadWrite(destination);
    if (!file) return;
    cli.receive = [&file](const char* data, size_t size) { return file->Write(data, size); };
    THttpDownloadDisplay* display = downloadDisplay;
    if (display)
        cli.onDocumentData = [display](THttpCli& c, const char* data, size_t size) {
            display->HttpDownloadProc(&c, data, size);
        };
    download_ = &cli;
    if (display) display->HttpDownloadProc(&cli, nullptr, 0);
    const bool ok = cli.Get();
    download_ = nullptr;
    if (display) display->HttpDownloadProc(nullptr, nullptr, 0);
    file.reset();
    if (!ok) files->RemoveFile(destination);
}

} // namespace cvn
