#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace cvn {

// What a waiting network operation does between its polls: let the user interface
// handle its messages, and say whether to go on (false once the request is aborted).
using THttpIdle = std::function<bool()>;

// One TCP connection. Every wait calls the idle routine, so the user interface stays
// alive, and gives up as soon as it says stop.
class THttpConnection {
public:
    virtual ~THttpConnection() = default;
    // All bytes, or false on failure or a stop.
    virtual bool Send(const char* data, size_t size) = 0;
    // The next bytes received: their count, 0 when the peer closed the connection,
    // -1 on failure or a stop.
    virtual long Receive(char* buffer, size_t size) = 0;
};

class THttpNetwork {
public:
    virtual ~THttpNetwork() = default;
    // Resolves the host and connects. Null on failure, with the reason phrase the
    // client reports ("can't resolve hostname to IP address", "can't connect: ...").
    virtual std::unique_ptr<THttpConnection> Connect(const std::string& host, uint16_t port,
                                                     const THttpIdle& idle, std::string& reason) = 0;
};

// The reply of a request made over TLS by the system's own HTTPS client, for the
// URLs the plain client does not speak.
struct THttpsReply {
    int status = 0; // 404 for local failures, as the plain client reports them
    std::string reason;
    int64_t contentLength = -1;
};

class THttpsClient {
public:
    virtual ~THttpsClient() = default;
    // Fetches the URL (a POST when body is set) with the certificate checked, passing
    // each piece of the reply body to onBody (false stops with a failure).
    virtual THttpsReply Fetch(const std::string& url, const std::string* body,
                              const std::function<bool(const char*, size_t, int64_t contentLength)>& onBody,
                              const THttpIdle& idle) = 0;
};

// TCP over Windows Sockets (Windows build only): non-blocking sockets polled in short
// waits, each wait running the request's idle routine first.
std::unique_ptr<THttpNetwork> CreateWinHttpNetwork();

// HTTPS through WinHTTP (Windows build only), with the certificate checked against the
// system's trusted roots.
std::unique_ptr<THttpsClient> CreateWinHttpsClient();

} // namespace cvn
