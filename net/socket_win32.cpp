// Winsock.
#include "net/socket.h"

#include "platform/scope_exit.h"
#include "platform/win32/handles.h"

#include <winsock2.h>
#include <ws2tcpip.h>

namespace qnb::net {

bool StartSockets() {
    WSADATA data;
    int error = WSAStartup(MAKEWORD(2, 2), &data);
    if (error != 0) WSASetLastError(error);  // WSAStartup returns its error instead of setting it
    return error == 0;
}

int LastSocketError() { return WSAGetLastError(); }

std::optional<uint32_t> ResolveIpv4(const std::string& host) {
    if (host.empty()) return std::nullopt;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (int error = getaddrinfo(host.c_str(), nullptr, &hints, &found); error != 0 || !found) {
        WSASetLastError(error != 0 ? error : WSAHOST_NOT_FOUND);
        return std::nullopt;
    }
    ScopeExit freeFound([found] { freeaddrinfo(found); });
    return reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
}

SocketHandle ConnectTcp(uint32_t address, uint16_t port, int receiveTimeoutMs) {
    win32::UniqueSocket s(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    if (!s) return kNoSocket;
    if (receiveTimeoutMs > 0) {
        DWORD timeout = static_cast<DWORD>(receiveTimeoutMs);
        setsockopt(s.get(), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
    }
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = address;
    if (::connect(s.get(), reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) {
        int error = WSAGetLastError();
        s.reset();
        WSASetLastError(error);  // the connect's error, not the close's
        return kNoSocket;
    }
    return static_cast<SocketHandle>(s.release());
}

long SendAll(SocketHandle socket, const char* data, size_t size) {
    size_t sent = 0;
    while (sent < size) {
        int piece = static_cast<int>(size - sent > 0x10000000 ? 0x10000000 : size - sent);
        int n = ::send(static_cast<SOCKET>(socket), data + sent, piece, 0);
        if (n == SOCKET_ERROR || n == 0) return -1;
        sent += static_cast<size_t>(n);
    }
    return static_cast<long>(sent);
}

long Receive(SocketHandle socket, char* data, size_t size) {
    int n = ::recv(static_cast<SOCKET>(socket), data, static_cast<int>(size), 0);
    return n == SOCKET_ERROR ? -1 : n;
}

void ShutdownSocket(SocketHandle socket) {
    if (socket != kNoSocket) ::shutdown(static_cast<SOCKET>(socket), SD_BOTH);
}

// The HTTP client's connection owns its socket as a portable SocketHandle
// and closes it here, once, when the connection ends.
void CloseSocket(SocketHandle socket) {
    if (socket != kNoSocket) closesocket(static_cast<SOCKET>(socket));
}

}  // namespace qnb::net
