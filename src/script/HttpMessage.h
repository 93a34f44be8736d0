#pragma once

#include "script/HttpUrl.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace cvn {

inline constexpr std::string_view kHttpAccept = "image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*";
inline constexpr std::string_view kHttpAgent = "Mozilla/3.0 (compatible)";
inline constexpr std::string_view kHttpPostContentType = "application/x-www-form-urlencoded";

// The head of an HTTP/1.0 request, every line ended by CR LF, up to and including
// the empty line: the request line, then Accept, Content-Type (POST), User-Agent,
// Host, Content-Length (POST) and Authorization when the URL carries a user name.
// postLength < 0 makes a GET.
std::string BuildHttpRequestHead(const THttpUrl& url, int64_t postLength);

// Reads one reply, every received byte of it. Header lines are cut at LF (a CR
// before it dropped) in a buffer of kLineLimit bytes; body bytes go to onBody as
// they come. The parser never holds more than one header line.
class THttpReplyParser {
public:
    static constexpr size_t kLineLimit = 8192;

    enum class TState {
        Header, // waiting for more of the header
        Body,   // passing body bytes on
        Done,   // the reply is complete (or its status is 400 or more: nothing more is read)
        Failed, // not a usable reply: Failure() says why
    };

    // A piece of body; false stops the reply (the receiving stream failed).
    std::function<bool(const char* data, size_t size)> onBody;

    TState Feed(const char* data, size_t size);
    // The server closed the connection.
    TState Closed();

    TState State() const { return state_; }
    int Status() const { return status_; }
    const std::string& Reason() const { return reason_; }
    const std::string& Failure() const { return failure_; }
    // -1 when the reply has no (usable) content-length header.
    int64_t ContentLength() const { return contentLength_; }
    int64_t Received() const { return received_; }
    // The location of a redirect, empty for none.
    const std::string& Location() const { return location_; }
    const std::string& ContentType() const { return contentType_; }
    const std::vector<std::string>& HeaderLines() const { return headerLines_; }

private:
    TState HeaderLine(std::string_view line);
    TState EndOfHeader();
    TState Body(const char* data, size_t size);
    TState Fail(std::string why);

    TState state_ = TState::Header;
    std::string line_;
    bool firstLine_ = true;
    bool sawStatus_ = false;
    int status_ = 0;
    std::string reason_;
    std::string failure_;
    int64_t contentLength_ = -1;
    int64_t received_ = 0;
    std::string location_;
    std::string contentType_;
    std::vector<std::string> headerLines_;
};

} // namespace cvn
