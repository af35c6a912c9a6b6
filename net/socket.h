// The few socket calls the HTTP client makes: Winsock on Windows, BSD
// sockets elsewhere (so that the client runs natively in tests).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace qnb::net {

using SocketHandle = intptr_t;
constexpr SocketHandle kNoSocket = -1;

// WSAStartup 2.2 on Windows (once per call, as Winsock counts them); true elsewhere.
bool StartSockets();

// The first IPv4 address of a host name or dotted address, in network byte order.
std::optional<uint32_t> ResolveIpv4(const std::string& host);

// A connected TCP socket, or kNoSocket. A receive that waits longer than
// receiveTimeoutMs (0: no limit) fails.
SocketHandle ConnectTcp(uint32_t address, uint16_t port, int receiveTimeoutMs);

// Sends everything; the bytes sent, or -1 on a socket error.
long SendAll(SocketHandle socket, const char* data, size_t size);

// Up to `size` bytes; 0 when the peer has closed, -1 on an error or time-out.
long Receive(SocketHandle socket, char* data, size_t size);

// The error code of the last failed socket call on this thread (WSAGetLastError,
// errno natively): after StartSockets, ResolveIpv4 or ConnectTcp failed.
int LastSocketError();

// Ends the connection both ways; a receive that waits on it returns at once.
void ShutdownSocket(SocketHandle socket);
void CloseSocket(SocketHandle socket);

}  // namespace qnb::net
