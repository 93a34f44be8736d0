#pragma once

#include "script/HttpNetwork.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace cvn {

// A small HTTP/1.0 client used in blocking fashion: set the URL and the streams,
// call Get or Post, read the outcome. While a request runs, the network waits call
// the pump routine, so window messages are handled and Abort can be called from a
// script or a Cancel button. Failures are reported by result: a status of 400 or
// more, with 404 and a reason phrase for failures on this side.
class THttpCli {
public:
    // A redirect loop would otherwise keep the setup waiting for ever.
    static constexpr int kMaxRedirects = 10;

    // secure serves https:// URLs; null: they fail like any other internet error.
    THttpCli(THttpNetwork& network, std::function<void()> pump, THttpsClient* secure = nullptr);

    std::string url;
    // The receive stream: each piece of the reply body; false stops the request.
    // Not set: the body is read and dropped.
    std::function<bool(const char* data, size_t size)> receive;
    // The send stream of a POST.
    const std::string* sendBody = nullptr;
    // Called for each piece of body after the receive stream (download progress).
    std::function<void(THttpCli& sender, const char* data, size_t size)> onDocumentData;

    // True when the request ended with a status below 400.
    bool Get() { return Request(false); }
    bool Post() { return Request(true); }
    // Ends the request in progress with "Connection aborted on request".
    void Abort();

    bool Busy() const { return busy_; }
    int StatusCode() const { return status_; }
    const std::string& ReasonPhrase() const { return reason_; }
    int64_t ContentLength() const { return contentLength_; }
    int64_t ReceivedCount() const { return received_; }
    const std::vector<std::string>& HeaderLines() const { return headerLines_; }
    const std::string& DocumentName() const { return documentName_; }

private:
    bool Request(bool post);
    bool RequestSecure(const std::string& target, bool post);
    bool End(int status, std::string reason);
    bool Idle();

    THttpNetwork* network_;
    std::function<void()> pump_;
    THttpsClient* secure_;
    bool busy_ = false;
    bool aborted_ = false;
    int status_ = 0;
    std::string reason_;
    int64_t contentLength_ = -1;
    int64_t received_ = 0;
    std::vector<std::string> headerLines_;
    std::string documentName_;
};

} // namespace cvn
