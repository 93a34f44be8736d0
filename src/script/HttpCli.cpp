#include "script/HttpCli.h"

#include "script/HttpMessage.h"
#include "script/HttpUrl.h"

#include <algorithm>
#include <memory>

namespace cvn {

namespace {

constexpr const char* kAborted = "Connection aborted on request";
constexpr size_t kSendPiece = 8193;

} // namespace

THttpCli::THttpCli(THttpNetwork& network, std::function<void()> pump, THttpsClient* secure)
    : network_(&network), pump_(std::move(pump)), secure_(secure) {}

void THttpCli::Abort() {
    if (busy_) aborted_ = true;
}

bool THttpCli::Idle() {
    if (pump_) pump_();
    return !aborted_;
}

bool THttpCli::End(int status, std::string reason) {
    if (aborted_) {
        status = 404;
        reason = kAborted;
    }
    status_ = status;
    reason_ = std::move(reason);
    busy_ = false;
    aborted_ = false;
    return status_ < 400;
}

bool THttpCli::Request(bool post) {
    // These two leave a request in progress alone.
    if (busy_) {
        reason_ = "HTTP component is busy";
        return false;
    }
    if (post && !sendBody) {
        status_ = 404;
        reason_ = "HTTP component has nothing to post";
        return false;
    }
    busy_ = true;
    aborted_ = false;
    headerLines_.clear();
    std::string target = url;
    THttpUrl u;
    if (!ParseHttpUrl(target, u)) return End(404, "invalid URL");
    documentName_ = HttpDocumentName(u.path);
    const THttpIdle idle = [this] { return Idle(); };
    char buffer[8192];

    for (int redirects = 0;; ++redirects) {
        contentLength_ = -1;
        received_ = 0;
        if (u.scheme == "https") return RequestSecure(target, post);
        if (u.scheme != "http") return End(404, "unsupported URL scheme " + u.scheme);

        std::string reason;
        std::unique_ptr<THttpConnection> connection = network_->Connect(u.host, u.port, idle, reason);
        if (!connection) return End(404, reason);
        const std::string head = BuildHttpRequestHead(u, post ? int64_t(sendBody->size()) : -1);
        bool sent = connection->Send(head.data(), head.size());
        for (size_t at = 0; sent && post && at < sendBody->size(); at += kSendPiece)
            sent = connection->Send(sendBody->data() + at, std::min(kSendPiece, sendBody->size() - at));
        if (!sent) return End(404, "the request could not be sent");

        THttpReplyParser reply;
        reply.onBody = [this, &reply](const char* data, size_t size) {
            received_ = reply.Received();
            contentLength_ = reply.ContentLength();
            if (receive && !receive(data, size)) return false;
            if (onDocumentData) onDocumentData(*this, data, size);
            return true;
        };
        THttpReplyParser::TState state = reply.State();
        while (state == THttpReplyParser::TState::Header || state == THttpReplyParser::TState::Body) {
            long n = connection->Receive(buffer, sizeof buffer);
            if (n < 0) return End(404, "the connection failed");
            state = n == 0 ? reply.Closed() : reply.Feed(buffer, size_t(n));
        }
        connection.reset();
        headerLines_ = reply.HeaderLines();
        contentLength_ = reply.ContentLength();
        received_ = reply.Received();
        if (state == THttpReplyParser::TState::Failed) return End(404, reply.Failure());
        const bool redirect = reply.Status() >= 300 && reply.Status() < 400 && !reply.Location().empty();
        if (!redirect) return End(reply.Status(), reply.Reason());

        if (redirects >= kMaxRedirects) return End(404, "too many redirects");
        THttpUrl next;
        if (!ResolveHttpLocation(u, reply.Location(), next)) return End(404, "invalid redirect location");
        // Only an absolute location can change the scheme; the text is kept for the
        // HTTPS client, which takes whole URLs.
        if (reply.Location().front() != '/') target = reply.Location();
        u = next;
        // A redirected POST is repeated as a GET, and the new reply has its own header.
        post = false;
        headerLines_.clear();
    }
}

bool THttpCli::RequestSecure(const std::string& target, bool post) {
    if (!secure_) return End(404, "https is not available");
    THttpsReply reply = secure_->Fetch(
        target, post ? sendBody : nullptr,
        [this](const char* data, size_t size, int64_t length) {
            contentLength_ = length;
            received_ += int64_t(size);
            if (receive && !receive(data, size)) return false;
            if (onDocumentData) onDocumentData(*this, data, size);
            return true;
        },
        [this] { return Idle(); });
    contentLength_ = reply.contentLength;
    return End(reply.status, reply.reason);
}

} // namespace cvn
