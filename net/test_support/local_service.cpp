#include "net/test_support/local_service.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

extern char** environ;

namespace qnb::test {

namespace {

int ConnectLoopback(uint16_t port) {
    int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(s, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) {
        ::close(s);
        return -1;
    }
    return s;
}

}  // namespace

LocalService::LocalService(std::vector<std::string> switches, std::string filesFolder, uint16_t port) {
    char logTemplate[] = "/tmp/qnb-service-log.XXXXXX";
    int logFd = mkstemp(logTemplate);
    if (logFd < 0) return;
    ::close(logFd);
    logPath_ = logTemplate;

    std::vector<std::string> args = {"python3", QNB_SOURCE_DIR "/testbed/service/service.py", "--port",
                                     std::to_string(port), "--log", logPath_};
    if (!filesFolder.empty()) args.insert(args.end(), {"--files", filesFolder});
    for (const std::string& s : switches) args.insert(args.end(), {"--set", s});
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);

    int out[2];
    if (pipe(out) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    pid_t pid = -1;
    int rc = posix_spawnp(&pid, "python3", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    if (rc != 0) {
        ::close(out[0]);
        return;
    }
    pid_ = pid;
    // The first line is "PORT n".
    std::string line;
    char c;
    while (::read(out[0], &c, 1) == 1 && c != '\n') line += c;
    ::close(out[0]);
    if (line.rfind("PORT ", 0) != 0) {
        Stop();
        return;
    }
    port_ = static_cast<uint16_t>(std::atoi(line.c_str() + 5));
}

LocalService::~LocalService() {
    Stop();
    if (!logPath_.empty()) std::remove(logPath_.c_str());
}

void LocalService::Stop() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
}

bool LocalService::Set(const std::string& query) {
    std::string answer = RawGet(port_, "/_control/set?" + query);
    return answer.rfind("HTTP/1.1 200", 0) == 0;
}

bool LocalService::Reset() { return RawGet(port_, "/_control/reset").rfind("HTTP/1.1 200", 0) == 0; }

std::vector<std::string> LocalService::LogLines(const std::string& group) const {
    std::vector<std::string> lines;
    std::ifstream in(logPath_);
    std::string line;
    std::string marker = "\"group\": \"" + group + "\"";
    while (std::getline(in, line)) {
        if (line.find(marker) != std::string::npos) lines.push_back(line);
    }
    return lines;
}

uint16_t FreePort() {
    int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(s, reinterpret_cast<sockaddr*>(&at), sizeof at);
    socklen_t size = sizeof at;
    ::getsockname(s, reinterpret_cast<sockaddr*>(&at), &size);
    ::close(s);
    return ntohs(at.sin_port);
}

std::string RawGet(uint16_t port, const std::string& pathAndQuery) {
    int s = ConnectLoopback(port);
    if (s < 0) return {};
    std::string request = "GET " + pathAndQuery + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: Close\r\n\r\n";
    ::send(s, request.data(), request.size(), MSG_NOSIGNAL);
    std::string answer;
    char buffer[4096];
    for (ssize_t n; (n = ::recv(s, buffer, sizeof buffer, 0)) > 0;) answer.append(buffer, static_cast<size_t>(n));
    ::close(s);
    return answer;
}

}  // namespace qnb::test
