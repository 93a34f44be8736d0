#include "script/HttpNetwork.h"

#include "core/Handle_win.h"
#include "core/SystemLibrary_win.h"

#include <winsock2.h>

#include <cstring>
#include <memory>

namespace cvn {

namespace {

// Windows Sockets, loaded from the system folder on first use (it is not a known DLL
// on every Windows version, so it is never linked by name).
struct TWinsock {
    using StartupFn = int(WSAAPI*)(WORD, LPWSADATA);
    using SocketFn = SOCKET(WSAAPI*)(int, int, int);
    using ConnectFn = int(WSAAPI*)(SOCKET, const sockaddr*, int);
    using SendFn = int(WSAAPI*)(SOCKET, const char*, int, int);
    using RecvFn = int(WSAAPI*)(SOCKET, char*, int, int);
    using SelectFn = int(WSAAPI*)(int, fd_set*, fd_set*, fd_set*, const timeval*);
    using CloseFn = int(WSAAPI*)(SOCKET);
    using IoctlFn = int(WSAAPI*)(SOCKET, long, u_long*);
    using GetHostFn = hostent*(WSAAPI*)(const char*);
    using InetAddrFn = unsigned long(WSAAPI*)(const char*);
    using LastErrorFn = int(WSAAPI*)();
    using GetSockOptFn = int(WSAAPI*)(SOCKET, int, int, char*, int*);

    Library library;
    bool ready = false;
    SocketFn socket = nullptr;
    ConnectFn connect = nullptr;
    SendFn send = nullptr;
    RecvFn recv = nullptr;
    SelectFn select = nullptr;
    CloseFn closesocket = nullptr;
    IoctlFn ioctlsocket = nullptr;
    GetHostFn gethostbyname = nullptr;
    InetAddrFn inet_addr = nullptr;
    LastErrorFn lastError = nullptr;
    GetSockOptFn getsockopt = nullptr;

    TWinsock() : library(LoadSystemLibrary("ws2_32.dll")) {
        if (!library) return;
        HMODULE h = library.Get();
        auto startup = ProcAddress<StartupFn>(h, "WSAStartup");
        socket = ProcAddress<SocketFn>(h, "socket");
        connect = ProcAddress<ConnectFn>(h, "connect");
        send = ProcAddress<SendFn>(h, "send");
        recv = ProcAddress<RecvFn>(h, "recv");
        select = ProcAddress<SelectFn>(h, "select");
        closesocket = ProcAddress<CloseFn>(h, "closesocket");
        ioctlsocket = ProcAddress<IoctlFn>(h, "ioctlsocket");
        gethostbyname = ProcAddress<GetHostFn>(h, "gethostbyname");
        inet_addr = ProcAddress<InetAddrFn>(h, "inet_addr");
        lastError = ProcAddress<LastErrorFn>(h, "WSAGetLastError");
        getsockopt = ProcAddress<GetSockOptFn>(h, "getsockopt");
        WSADATA data;
        ready = startup && socket && connect && send && recv && select && closesocket && ioctlsocket &&
                gethostbyname && inet_addr && lastError && getsockopt && startup(MAKEWORD(2, 0), &data) == 0;
    }
    // The library stays loaded for the rest of the run: cleaning up at process end
    // would race other DLLs' own teardown for nothing.
};

TWinsock& Winsock() {
    static TWinsock winsock;
    return winsock;
}

// How long one wait lasts before the user interface gets its messages again.
constexpr long kPollMicroseconds = 15000;

std::string ErrorText(int code) {
    char* text = nullptr;
    DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                 FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, DWORD(code), 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string s = n && text ? std::string(text, n) : std::string("socket error");
    if (text) LocalFree(text);
    while (!s.empty() && (s.back() == '\r' || s.back() == '\n' || s.back() == ' ' || s.back() == '.'))
        s.pop_back();
    return s;
}

// One name look-up, shared by the thread that makes it and the one that waits for it;
// whichever lets go last frees it.
struct TLookup {
    LONG references = 2;
    std::string host;
    TWinsock::GetHostFn gethostbyname = nullptr;
    unsigned long ip = INADDR_NONE;

    void Release() {
        if (InterlockedDecrement(&references) == 0) delete this;
    }
    void Run() {
        hostent* entry = gethostbyname(host.c_str());
        if (entry && entry->h_addrtype == AF_INET && entry->h_addr_list && entry->h_addr_list[0])
            std::memcpy(&ip, entry->h_addr_list[0], sizeof ip);
    }
};

// The look-up thread does nothing but the look-up. It holds Windows Sockets loaded
// while it runs, so a look-up abandoned at the end of the setup still finds them.
DWORD WINAPI LookUpOnItsThread(void* parameter) {
    Library winsock = LoadSystemLibrary("ws2_32.dll");
    auto* lookup = static_cast<TLookup*>(parameter);
    lookup->Run();
    lookup->Release();
    if (HMODULE held = winsock.Release()) FreeLibraryAndExitThread(held, 0);
    return 0;
}

// The system's look-up blocks for as long as its resolver takes (many seconds without a
// network), so it runs on a thread of its own while this one keeps calling the idle
// routine: the window stays alive and Abort works. Only the look-up leaves the
// user-interface thread. An abandoned look-up ends on its own; its answer is dropped.
unsigned long LookUpHost(const std::string& host, const THttpIdle& idle, bool& stopped) {
    auto* lookup = new TLookup;
    lookup->host = host;
    lookup->gethostbyname = Winsock().gethostbyname;
    KernelHandle thread(CreateThread(nullptr, 0, LookUpOnItsThread, lookup, 0, nullptr));
    if (!thread) {
        lookup->Run(); // no thread to spare: a blocking look-up still beats none
        lookup->references = 1;
    } else {
        for (;;) {
            if (!idle()) {
                stopped = true;
                lookup->Release();
                return INADDR_NONE;
            }
            const HANDLE handles[] = {thread.Get()};
            if (MsgWaitForMultipleObjects(1, handles, FALSE, kPollMicroseconds / 1000, QS_ALLINPUT) ==
                WAIT_OBJECT_0)
                break;
        }
    }
    const unsigned long ip = lookup->ip;
    lookup->Release();
    return ip;
}

enum class TWaitFor { Read, Write };

class TWinConnection final : public THttpConnection {
public:
    TWinConnection(SOCKET s, const THttpIdle& idle) : socket_(s), idle_(&idle) {}
    ~TWinConnection() override { Winsock().closesocket(socket_); }

    // Waits until the socket is ready; false on a stop, or with the socket's error
    // when the wait for a connection fails.
    bool Wait(TWaitFor what, int* connectError = nullptr) {
        TWinsock& ws = Winsock();
        for (;;) {
            if (!(*idle_)()) return false;
            fd_set ready{};
            fd_set failed{};
            ready.fd_count = 1;
            ready.fd_array[0] = socket_;
            failed.fd_count = 1;
            failed.fd_array[0] = socket_;
            timeval timeout{0, kPollMicroseconds};
            int n = ws.select(0, what == TWaitFor::Read ? &ready : nullptr,
                              what == TWaitFor::Write ? &ready : nullptr, connectError ? &failed : nullptr,
                              &timeout);
            if (n < 0) return false;
            if (n == 0) continue;
            if (connectError && failed.fd_count > 0) {
                int error = 0;
                int size = sizeof error;
                ws.getsockopt(socket_, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size);
                *connectError = error ? error : WSAECONNREFUSED;
                return false;
            }
            return true;
        }
    }

    bool Send(const char* data, size_t size) override {
        TWinsock& ws = Winsock();
        while (size > 0) {
            int chunk = int(size > 65536 ? 65536 : size);
            int n = ws.send(socket_, data, chunk, 0);
            if (n > 0) {
                data += n;
                size -= size_t(n);
            } else if (n < 0 && ws.lastError() == WSAEWOULDBLOCK) {
                if (!Wait(TWaitFor::Write)) return false;
            } else {
                return false;
            }
        }
        return true;
    }

    long Receive(char* buffer, size_t size) override {
        TWinsock& ws = Winsock();
        for (;;) {
            int n = ws.recv(socket_, buffer, int(size > 65536 ? 65536 : size), 0);
            if (n >= 0) return n;
            if (ws.lastError() != WSAEWOULDBLOCK) return -1;
            if (!Wait(TWaitFor::Read)) return -1;
        }
    }

private:
    SOCKET socket_;
    const THttpIdle* idle_;
};

class TWinHttpNetwork final : public THttpNetwork {
public:
    std::unique_ptr<THttpConnection> Connect(const std::string& host, uint16_t port, const THttpIdle& idle,
                                             std::string& reason) override {
        TWinsock& ws = Winsock();
        if (!ws.ready) {
            reason = "can't connect: Windows Sockets are not available";
            return nullptr;
        }
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = u_short((port >> 8) | ((port & 0xFF) << 8)); // network byte order
        unsigned long ip = ws.inet_addr(host.c_str());
        if (ip == INADDR_NONE) {
            bool stopped = false;
            ip = LookUpHost(host, idle, stopped);
            if (stopped) {
                reason = "can't resolve hostname: aborted";
                return nullptr;
            }
            if (ip == INADDR_NONE) {
                reason = "can't resolve hostname to IP address";
                return nullptr;
            }
        }
        address.sin_addr.s_addr = ip;
        SOCKET s = ws.socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        if (s == INVALID_SOCKET) {
            int error = ws.lastError();
            reason = "can't connect: " + ErrorText(error) + " (Error #" + std::to_string(error) + ")";
            return nullptr;
        }
        auto connection = std::make_unique<TWinConnection>(s, idle);
        u_long nonBlocking = 1;
        ws.ioctlsocket(s, long(FIONBIO), &nonBlocking);
        int error = 0;
        if (ws.connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
            error = ws.lastError();
            if (error == WSAEWOULDBLOCK) {
                error = 0;
                if (!connection->Wait(TWaitFor::Write, &error) && error == 0) {
                    reason = "can't connect: aborted";
                    return nullptr;
                }
            }
        }
        if (error != 0) {
            reason = "can't connect: " + ErrorText(error) + " (Error #" + std::to_string(error) + ")";
            return nullptr;
        }
        return connection;
    }
};

} // namespace

std::unique_ptr<THttpNetwork> CreateWinHttpNetwork() {
    return std::make_unique<TWinHttpNetwork>();
}

} // namespace cvn
