#include "script/HttpMessage.h"

#include <cctype>
#include <cstring>

namespace cvn {

namespace {

// More header lines than any real server sends; a peer that never ends its header
// must not grow the list without bound.
constexpr size_t kMaxHeaderLines = 256;

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ')
        s.remove_prefix(1);
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ')
        s.remove_suffix(1);
    return s;
}

// A decimal count; -1 for anything else (an unusable length counts as none).
int64_t ReadLength(std::string_view s) {
    s = Trim(s);
    if (s.empty() || s.size() > 18) return -1;
    int64_t n = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return -1;
        n = n * 10 + (c - '0');
    }
    return n;
}

bool StartsWithHtml(std::string_view line) {
    return line.size() >= 6 && Lower(line.substr(0, 6)) == "<html>";
}

bool IsStatusLine(std::string_view line) {
    return line.starts_with("HTTP/1.0") || line.starts_with("HTTP/1.1");
}

} // namespace

std::string BuildHttpRequestHead(const THttpUrl& url, int64_t postLength) {
    const bool post = postLength >= 0;
    std::string head = std::string(post ? "POST " : "GET ") + url.path + " HTTP/1.0\r\n";
    head += "Accept: " + std::string(kHttpAccept) + "\r\n";
    if (post) head += "Content-Type: " + std::string(kHttpPostContentType) + "\r\n";
    head += "User-Agent: " + std::string(kHttpAgent) + "\r\n";
    // A server on another port than its scheme's own needs the port in the Host line
    // to find the right site.
    const uint16_t defaultPort = url.scheme == "https" ? 443 : 80;
    head += "Host: " + url.host + (url.port != defaultPort ? ":" + std::to_string(url.port) : "") + "\r\n";
    if (post) head += "Content-Length: " + std::to_string(postLength) + "\r\n";
    if (!url.user.empty()) head += "Authorization: Basic " + Base64(url.user + ":" + url.password) + "\r\n";
    head += "\r\n";
    return head;
}

THttpReplyParser::TState THttpReplyParser::Fail(std::string why) {
    failure_ = std::move(why);
    line_.clear();
    return state_ = TState::Failed;
}

THttpReplyParser::TState THttpReplyParser::Feed(const char* data, size_t size) {
    while (size > 0 && state_ == TState::Header) {
        const void* found = std::memchr(data, '\n', size);
        const char* lf = static_cast<const char*>(found);
        size_t take = lf ? size_t(lf - data) : size;
        if (line_.size() + take > kLineLimit) return Fail("HTTP line too long");
        line_.append(data, take);
        if (!lf) return state_;
        data += take + 1;
        size -= take + 1;
        if (!line_.empty() && line_.back() == '\r') line_.pop_back();
        std::string line;
        line.swap(line_);
        if (firstLine_ && StartsWithHtml(line)) {
            // No header at all: the whole reply, this line included, is the document.
            firstLine_ = false;
            status_ = 200;
            reason_ = "OK";
            contentType_ = "text/html";
            state_ = TState::Body;
            line += '\n';
            if (Body(line.data(), line.size()) != TState::Body) return state_;
            break;
        }
        firstLine_ = false;
        HeaderLine(line);
    }
    if (state_ == TState::Body && size > 0) return Body(data, size);
    return state_;
}

THttpReplyParser::TState THttpReplyParser::HeaderLine(std::string_view line) {
    if (line.empty()) {
        if (!sawStatus_) return Fail("the reply has no status line");
        return EndOfHeader();
    }
    if (IsStatusLine(line)) {
        if (line.size() < 12 || line[8] != ' ' || !std::isdigit(static_cast<unsigned char>(line[9])) ||
            !std::isdigit(static_cast<unsigned char>(line[10])) ||
            !std::isdigit(static_cast<unsigned char>(line[11])))
            return Fail("the reply has no valid status line");
        sawStatus_ = true;
        status_ = (line[9] - '0') * 100 + (line[10] - '0') * 10 + (line[11] - '0');
        reason_ = line.size() > 13 ? std::string(line.substr(13)) : std::string();
        // An error reply is not read further; the request ends with its status.
        if (status_ >= 400) return state_ = TState::Done;
        return state_;
    }
    if (!sawStatus_) return Fail("not an HTTP reply");
    if (headerLines_.size() >= kMaxHeaderLines) return Fail("too many header lines");
    headerLines_.emplace_back(line);
    size_t colon = line.find(':');
    if (colon == std::string_view::npos) return state_;
    std::string name = Lower(Trim(line.substr(0, colon)));
    std::string_view value = line.substr(colon + 1);
    while (!value.empty() && value.front() == ' ')
        value.remove_prefix(1);
    if (name == "location")
        location_ = std::string(Trim(value));
    else if (name == "content-length")
        contentLength_ = ReadLength(value);
    else if (name == "content-type")
        contentType_ = Lower(value);
    else if (name == "transfer-encoding" && Lower(value).find("chunked") != std::string::npos)
        // A request made as HTTP/1.0 should never get one; its body would be stored
        // with the chunk sizes in it, so it is refused.
        return Fail("chunked replies are not supported");
    return state_;
}

THttpReplyParser::TState THttpReplyParser::EndOfHeader() {
    // Only a 3xx reply is a redirect; a location beside a document is just a header.
    if (status_ >= 300 && status_ < 400 && !location_.empty()) return state_ = TState::Done;
    if (contentLength_ == 0) return state_ = TState::Done;
    return state_ = TState::Body;
}

THttpReplyParser::TState THttpReplyParser::Body(const char* data, size_t size) {
    // Bytes past the announced length are not part of the document.
    if (contentLength_ >= 0 && int64_t(size) > contentLength_ - received_)
        size = size_t(contentLength_ - received_);
    if (size > 0) {
        received_ += int64_t(size);
        if (onBody && !onBody(data, size)) return Fail("the document could not be stored");
    }
    if (contentLength_ >= 0 && received_ >= contentLength_) return state_ = TState::Done;
    return state_;
}

THttpReplyParser::TState THttpReplyParser::Closed() {
    if (state_ == TState::Header) {
        if (firstLine_ && StartsWithHtml(line_)) {
            std::string rest;
            rest.swap(line_);
            status_ = 200;
            reason_ = "OK";
            contentType_ = "text/html";
            state_ = TState::Body;
            if (Body(rest.data(), rest.size()) != TState::Body) return state_;
            return state_ = TState::Done;
        }
        return Fail(firstLine_ && line_.empty() ? "the server closed the connection without a reply"
                                                : "the connection closed before the reply header ended");
    }
    if (state_ == TState::Body) {
        // A reply that announced its length and stopped short is a broken download,
        // not a complete one.
        if (contentLength_ >= 0 && received_ < contentLength_)
            return Fail("the connection closed before the whole document arrived");
        return state_ = TState::Done;
    }
    return state_;
}

} // namespace cvn
