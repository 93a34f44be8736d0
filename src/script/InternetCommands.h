#pragma once

#include "package/Script.h"
#include "script/HttpCli.h"
#include "script/HttpNetwork.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace cvn {

struct TCommandsContext;
class TInterpreter;

// The wizard's download display. The Download command binds it as the data event of
// its client and also calls it once before the transfer (data null) and once after
// it (sender null: no transfer is active any more).
class THttpDownloadDisplay {
public:
    virtual ~THttpDownloadDisplay() = default;
    virtual void HttpDownloadProc(THttpCli* sender, const char* data, size_t size) = 0;
};

// The display on a progress sink of the four kinds (0 status, 1 detail, 2 position,
// 3 maximum): maximum 100 before the transfer, the percentage received during it,
// position 0 afterwards. A reply without a length (or with length 0) leaves the
// position at 0: there is nothing to measure against. Nothing is reported while
// no sink is bound.
class TDownloadProgress final : public THttpDownloadDisplay {
public:
    std::function<void(int kind, const std::string& text, int value)> reportProgress;
    void HttpDownloadProc(THttpCli* sender, const char* data, size_t size) override;
};

// The most HttpGet keeps of a reply body. Its result is a script variable, copied by
// every expansion that names it: meant for a version number, a short text or a list,
// never a file (Download writes those to disk). A longer reply fails like a missing one
// instead of growing the setup's memory without bound.
inline constexpr size_t kHttpGetLimit = size_t(1) << 20;

// The address CheckInternet fetches.
inline constexpr const char* kInternetCheckUrl = "http://www.corvane.com/check.txt";

// The internet commands: CheckInternet, Download, HttpPost, HttpGet and AbortDownload.
// Each makes its own client for one blocking request; internet errors never leave a
// command, they become its "0", empty or deleted-file outcome.
class TInternetCommands {
public:
    // pump handles pending window messages while a request waits; secure serves
    // https:// URLs (null: they fail like any other internet error).
    TInternetCommands(TCommandsContext& ctx, THttpNetwork& network, std::function<void()> pump,
                      THttpsClient* secure = nullptr);

    // Installs the five commands for their statement codes.
    void Install(TInterpreter& interpreter);

    // The wizard's download display, or null.
    THttpDownloadDisplay* downloadDisplay = nullptr;
    std::string checkUrl = kInternetCheckUrl;

    // Ends the running download (statement 111, or the wizard's Cancel); nothing when none runs.
    void AbortDownload();
    bool Downloading() const { return download_ != nullptr; }

    void CheckInternet(const TScriptStatement& s);
    void Download(const TScriptStatement& s);
    void HttpPost(const TScriptStatement& s);
    void HttpGet(const TScriptStatement& s);

private:
    THttpCli NewClient(const std::string& url);

    TCommandsContext* ctx_;
    THttpNetwork* network_;
    std::function<void()> pump_;
    THttpsClient* secure_;
    THttpCli* download_ = nullptr;
};

} // namespace cvn
