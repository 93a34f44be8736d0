#include "script/HttpNetwork.h"

#include "core/Handle_win.h"
#include "core/SystemLibrary_win.h"

#include <windows.h>

#include <winhttp.h>

#include <string>
#include <vector>

namespace cvn {

namespace {

// WinHTTP, loaded from the system folder on first use (missing before Windows 2000 SP3:
// https URLs then fail like any other internet error).
struct TWinHttp {
    Library library;
    decltype(&::WinHttpOpen) open = nullptr;
    decltype(&::WinHttpCrackUrl) crackUrl = nullptr;
    decltype(&::WinHttpConnect) connect = nullptr;
    decltype(&::WinHttpOpenRequest) openRequest = nullptr;
    decltype(&::WinHttpSetTimeouts) setTimeouts = nullptr;
    decltype(&::WinHttpSetOption) setOption = nullptr;
    decltype(&::WinHttpSendRequest) sendRequest = nullptr;
    decltype(&::WinHttpReceiveResponse) receiveResponse = nullptr;
    decltype(&::WinHttpQueryHeaders) queryHeaders = nullptr;
    decltype(&::WinHttpReadData) readData = nullptr;
    decltype(&::WinHttpCloseHandle) closeHandle = nullptr;
    bool ready = false;

    TWinHttp() : library(LoadSystemLibrary("winhttp.dll")) {
        if (!library) return;
        HMODULE h = library.Get();
        open = ProcAddress<decltype(open)>(h, "WinHttpOpen");
        crackUrl = ProcAddress<decltype(crackUrl)>(h, "WinHttpCrackUrl");
        connect = ProcAddress<decltype(connect)>(h, "WinHttpConnect");
        openRequest = ProcAddress<decltype(openRequest)>(h, "WinHttpOpenRequest");
        setTimeouts = ProcAddress<decltype(setTimeouts)>(h, "WinHttpSetTimeouts");
        setOption = ProcAddress<decltype(setOption)>(h, "WinHttpSetOption");
        sendRequest = ProcAddress<decltype(sendRequest)>(h, "WinHttpSendRequest");
        receiveResponse = ProcAddress<decltype(receiveResponse)>(h, "WinHttpReceiveResponse");
        queryHeaders = ProcAddress<decltype(queryHeaders)>(h, "WinHttpQueryHeaders");
        readData = ProcAddress<decltype(readData)>(h, "WinHttpReadData");
        closeHandle = ProcAddress<decltype(closeHandle)>(h, "WinHttpCloseHandle");
        ready = open && crackUrl && connect && openRequest && setTimeouts && setOption && sendRequest &&
                receiveResponse && queryHeaders && readData && closeHandle;
    }
};

TWinHttp& WinHttp() {
    static TWinHttp winHttp;
    return winHttp;
}

class TInternetHandle {
public:
    explicit TInternetHandle(HINTERNET h) : h_(h) {}
    ~TInternetHandle() {
        if (h_) WinHttp().closeHandle(h_);
    }
    TInternetHandle(const TInternetHandle&) = delete;
    TInternetHandle& operator=(const TInternetHandle&) = delete;
    HINTERNET Get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }

private:
    HINTERNET h_;
};

std::wstring Wide(const std::string& s) {
    int n = MultiByteToWideChar(CP_ACP, 0, s.c_str(), int(s.size()), nullptr, 0);
    std::wstring w(size_t(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(CP_ACP, 0, s.c_str(), int(s.size()), w.data(), n);
    return w;
}

std::string Narrow(const wchar_t* w, size_t n) {
    int k = WideCharToMultiByte(CP_ACP, 0, w, int(n), nullptr, 0, nullptr, nullptr);
    std::string s(size_t(k > 0 ? k : 0), '\0');
    if (k > 0) WideCharToMultiByte(CP_ACP, 0, w, int(n), s.data(), k, nullptr, nullptr);
    return s;
}

THttpsReply LocalFailure(const char* what) {
    DWORD error = GetLastError();
    THttpsReply r;
    r.status = 404;
    r.reason =
        error == ERROR_WINHTTP_SECURE_FAILURE || error == ERROR_WINHTTP_SECURE_INVALID_CA ||
                error == ERROR_WINHTTP_SECURE_CERT_CN_INVALID
            ? "can't connect: the server's certificate is not trusted (Error #" + std::to_string(error) + ")"
            : std::string(what) + " (Error #" + std::to_string(error) + ")";
    return r;
}

// TLS through the system's own HTTP client, which checks the server's certificate
// against the system's trusted roots and follows redirects itself. Its calls block
// for as long as one network step takes (bounded by the timeouts below); messages
// are handled between the reads of the body.
class TWinHttpsClient final : public THttpsClient {
public:
    THttpsReply Fetch(const std::string& url, const std::string* body,
                      const std::function<bool(const char*, size_t, int64_t)>& onBody,
                      const THttpIdle& idle) override {
        TWinHttp& api = WinHttp();
        THttpsReply reply;
        reply.status = 404;
        if (!api.ready) {
            reply.reason = "can't connect: https is not available on this system";
            return reply;
        }
        std::wstring wideUrl = Wide(url);
        URL_COMPONENTS parts{};
        parts.dwStructSize = sizeof parts;
        parts.dwHostNameLength = DWORD(-1);
        parts.dwUrlPathLength = DWORD(-1);
        parts.dwExtraInfoLength = DWORD(-1);
        if (!api.crackUrl(wideUrl.c_str(), DWORD(wideUrl.size()), 0, &parts))
            return LocalFailure("invalid URL");
        std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
        std::wstring path(parts.lpszUrlPath, parts.dwUrlPathLength);
        path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
        if (path.empty()) path = L"/";

        TInternetHandle session(api.open(L"Mozilla/3.0 (compatible)", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
                                         WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
        if (!session) return LocalFailure("can't connect: https session");
        api.setTimeouts(session.Get(), 15000, 15000, 15000, 30000);
        // Older systems offer only SSL 3 and TLS 1.0 unless asked; servers today want
        // TLS 1.2. A system that does not know an asked-for version keeps its own set.
        DWORD protocols = WINHTTP_FLAG_SECURE_PROTOCOL_TLS1 | WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_1 |
                          WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2;
        api.setOption(session.Get(), WINHTTP_OPTION_SECURE_PROTOCOLS, &protocols, sizeof protocols);
        TInternetHandle connection(api.connect(session.Get(), host.c_str(), parts.nPort, 0));
        if (!connection) return LocalFailure("can't resolve hostname to IP address");
        TInternetHandle request(api.openRequest(connection.Get(), body ? L"POST" : L"GET", path.c_str(),
                                                nullptr, WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                                WINHTTP_FLAG_SECURE));
        if (!request) return LocalFailure("can't connect: https request");
        const wchar_t* headers = body ? L"Content-Type: application/x-www-form-urlencoded\r\n" : nullptr;
        void* data = body ? const_cast<char*>(body->data()) : nullptr;
        DWORD size = body ? DWORD(body->size()) : 0;
        if (!api.sendRequest(request.Get(), headers, headers ? DWORD(-1) : 0, data, size, size, 0))
            return LocalFailure("can't connect");
        if (!idle()) return reply; // the client reports the abort
        if (!api.receiveResponse(request.Get(), nullptr)) return LocalFailure("no reply");

        DWORD status = 0;
        DWORD length = sizeof status;
        api.queryHeaders(request.Get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                         WINHTTP_HEADER_NAME_BY_INDEX, &status, &length, WINHTTP_NO_HEADER_INDEX);
        wchar_t text[256] = {};
        length = sizeof text - sizeof(wchar_t);
        if (api.queryHeaders(request.Get(), WINHTTP_QUERY_STATUS_TEXT, WINHTTP_HEADER_NAME_BY_INDEX, text,
                             &length, WINHTTP_NO_HEADER_INDEX))
            reply.reason = Narrow(text, length / sizeof(wchar_t));
        DWORD contentLength = 0;
        length = sizeof contentLength;
        reply.contentLength =
            api.queryHeaders(request.Get(), WINHTTP_QUERY_CONTENT_LENGTH | WINHTTP_QUERY_FLAG_NUMBER,
                             WINHTTP_HEADER_NAME_BY_INDEX, &contentLength, &length, WINHTTP_NO_HEADER_INDEX)
                ? int64_t(contentLength)
                : -1;
        reply.status = int(status);
        if (reply.status >= 400 || reply.status == 0) {
            if (reply.status == 0) reply.status = 404;
            return reply;
        }
        std::vector<char> buffer(8192);
        int64_t received = 0;
        for (;;) {
            if (!idle()) {
                reply.status = 404;
                return reply;
            }
            DWORD read = 0;
            if (!api.readData(request.Get(), buffer.data(), DWORD(buffer.size()), &read)) {
                return LocalFailure("the connection failed");
            }
            if (read == 0) break;
            received += read;
            if (!onBody(buffer.data(), read, reply.contentLength)) {
                reply.status = 404;
                reply.reason = "the document could not be stored";
                return reply;
            }
        }
        if (reply.contentLength >= 0 && received < reply.contentLength) {
            reply.status = 404;
            reply.reason = "the connection closed before the whole document arrived";
        }
        return reply;
    }
};

} // namespace

std::unique_ptr<THttpsClient> CreateWinHttpsClient() {
    return std::make_unique<TWinHttpsClient>();
}

} // namespace cvn
