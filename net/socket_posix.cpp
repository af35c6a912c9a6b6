// BSD sockets, for the native builds.
#include "net/socket.h"

#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace qnb::net {

bool StartSockets() { return true; }

int LastSocketError() { return errno; }

std::optional<uint32_t> ResolveIpv4(const std::string& host) {
    if (host.empty()) return std::nullopt;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (int error = getaddrinfo(host.c_str(), nullptr, &hints, &found); error != 0 || !found) {
        errno = error == EAI_SYSTEM ? errno : EHOSTUNREACH;
        return std::nullopt;
    }
    uint32_t address = reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
    freeaddrinfo(found);
    return address;
}

SocketHandle ConnectTcp(uint32_t address, uint16_t port, int receiveTimeoutMs) {
    int s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s < 0) return kNoSocket;
    if (receiveTimeoutMs > 0) {
        timeval tv{};
        tv.tv_sec = receiveTimeoutMs / 1000;
        tv.tv_usec = (receiveTimeoutMs % 1000) * 1000;
        setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    }
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = address;
    int rc;
    do {
        rc = ::connect(s, reinterpret_cast<sockaddr*>(&to), sizeof to);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        int error = errno;
        ::close(s);
        errno = error;
        return kNoSocket;
    }
    return s;
}

long SendAll(SocketHandle socket, const char* data, size_t size) {
    size_t sent = 0;
    while (sent < size) {
        ssize_t n = ::send(static_cast<int>(socket), data + sent, size - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return -1;
        sent += static_cast<size_t>(n);
    }
    return static_cast<long>(sent);
}

long Receive(SocketHandle socket, char* data, size_t size) {
    ssize_t n;
    do {
        n = ::recv(static_cast<int>(socket), data, size, 0);
    } while (n < 0 && errno == EINTR);
    return n < 0 ? -1 : static_cast<long>(n);
}

void ShutdownSocket(SocketHandle socket) {
    if (socket != kNoSocket) ::shutdown(static_cast<int>(socket), SHUT_RDWR);
}

void CloseSocket(SocketHandle socket) {
    if (socket != kNoSocket) ::close(static_cast<int>(socket));
}

}  // namespace qnb::net
